#pragma once
// The journals of the current well on user forms: the operation log grid
// (OPERATIONLOG) and the message log grid (LOG). Both share one data module
// with the data sets, the popup menus and the actions. Operations and
// messages are not edited here: the actions ask the program's main window to
// do it by messages 1224-1227, so that the host program supplies the dialogs.
#include "ActnList.h"
#include "DBGrids.h"
#include "Formatting.h"
#include "ImgList.h"
#include "Menus.h"
#include "SqlDataSet.h"
#include "WKControlDesign.h"
#include "WKServices.h"

#include <QHash>
#include <QPointer>

#pragma GCC visibility push(default)

class TdmWells;

class TdmWKDBControls : public TComponent, public IWKNotification {
    Q_OBJECT
public:
    explicit TdmWKDBControls(QObject* AOwner = nullptr);
    ~TdmWKDBControls() override;

    TSqlTransaction itOpLog;
    TSqlTransaction itMain;
    TSqlTransaction itLog;
    TSqlDataSet* tblOpLog;
    TDataSource* dsOpLog;
    // The range of operations being copied.
    TSqlDataSet* iqOpLog;
    // The well database's message log.
    TSqlDataSet* tblLog;
    TDataSource* dsLog;
    TImageList* ilDBControls;
    TActionList* alDBControls;
    TAction* actOpLogCopy;
    TAction* actNewOperation;
    TAction* actEditOperation;
    TAction* actOpDelete;
    TAction* actNewMessage;
    TPopupMenu* pmOpLog;
    TPopupMenu* pmMessageLog;

    // Opens the operation log of the current well at its last row; nothing
    // without the well database. Errors propagate.
    void OpenOpLog();
    // Opens the message log at its last row and follows every reload of the
    // well module's log; nothing without the well database. Errors propagate.
    void OpenMessageLog();

    // seDBChange naming "OPERATIONLOG" or "WELLS" opens the operation log
    // again on the current well; every other event is ignored.
    void Notify(TServiceEvent Event, void* Sender) override;

    // The names of the reference tables by number (empty for an unknown one).
    QString OpClassName(const QVariant& OpClass) const;
    QString OperationName(const QVariant& OpCode) const;
    QString SuboperationName(const QVariant& OpSubCode) const;

    // The operation's name with its sub-operation and comment in parentheses.
    static QString DetailedOperationText(const QString& Operation, const QString& Suboperation, const QString& Comment);
    // The operations of the current well from Start up to Stop (excluded), one
    // "time<TAB>operation" line each, lines separated by CR LF.
    QString OperationsText(TDateTime Start, TDateTime Stop);

    Q_INVOKABLE void actOpLogCopyExecute(QObject* Sender);
    Q_INVOKABLE void actNewOperationExecute(QObject* Sender);
    Q_INVOKABLE void actEditOperationExecute(QObject* Sender);
    Q_INVOKABLE void actOpDeleteExecute(QObject* Sender);
    Q_INVOKABLE void actNewMessageExecute(QObject* Sender);

private:
    void CreateOpLogFields();
    void CreateCopyFields();
    void CreateLogFields();
    void CreateActions();
    void tblOpLogCalcFields(TDataSet& DataSet);
    // Attaches the transactions to the well module; false without one.
    bool AttachToWells();
    void ReopenOpLog();
    void LoadReferences();
    void ReloadMessageLog();
    // Sends msg with the current operation's time to the main window.
    void SendCurrentOperation(int Msg);

    QHash<int, QString> FOpClasses, FOperations, FSuboperations;
    QPointer<TdmWells> FWells;
    QMetaObject::Connection FLogReloaded;
    bool FRegistered = false;
};

// The one module, made by the first log grid; null before.
extern TdmWKDBControls* dmWKDBControls;
// The module, made with the application as owner on first use.
TdmWKDBControls& WKDBControls();

// A data grid whose columns are its own: one per field of the data set,
// visible exactly when the field is, so that hidden fields stay hidden.
// Forms store only its place, alignment and bevel.
class TStoredFieldsDBGrid : public TDBGrid {
    Q_OBJECT
    Q_CLASSINFO("AlwaysStored", "Align")
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE SetCtl3D)
public:
    Q_INVOKABLE explicit TStoredFieldsDBGrid(QObject* owner = nullptr);

    void MakePersistentFields();
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool v);

    // What the grid holds comes from its data module, not from the form.
    Q_INVOKABLE bool IsColumnsStored() const { return false; }
    Q_INVOKABLE bool IsOptionsStored() const { return false; }
    Q_INVOKABLE bool IsReadOnlyStored() const { return false; }
    Q_INVOKABLE bool IsPopupMenuStored() const { return false; }
    Q_INVOKABLE bool IsColCountStored() const { return false; }
    Q_INVOKABLE bool IsRowCountStored() const { return false; }
    Q_INVOKABLE bool IsFixedColsStored() const { return false; }
    Q_INVOKABLE bool IsFixedRowsStored() const { return false; }
    Q_INVOKABLE bool IsDefaultColWidthStored() const { return false; }
    Q_INVOKABLE bool IsDefaultRowHeightStored() const { return false; }
    Q_INVOKABLE bool IsBorderStyleStored() const { return false; }

protected:
    // Read-only, whole rows, titles, column sizing, lines and the tab key; on top.
    void SetupLogGrid(TDataSource* Source, TPopupMenu* Menu, TAction* DblClickAction);
    // Asks the splitter setup dialog for alignment and bevel.
    void SetupThroughDialog(const QString& Caption);

private:
    bool FCtl3D = true;
};

class TOpLogGrid : public TStoredFieldsDBGrid, public IControlDesign {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
public:
    Q_INVOKABLE explicit TOpLogGrid(QObject* owner = nullptr);
    void Setup() override;
};

class TMessageLogGrid : public TStoredFieldsDBGrid, public IControlDesign {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
public:
    Q_INVOKABLE explicit TMessageLogGrid(QObject* owner = nullptr);
    void Setup() override;
};

#pragma GCC visibility pop
