#pragma once
// The statistics frame of user forms: the rows of the current well and run
// in a read-only grid, a one-row strip of sums under it that follows the
// grid's columns, and the commands to copy, edit and delete rows. Without a
// statistics service the grid is empty and every command disabled. The grid
// and the strip are stored with the form that holds the frame.
#include "Controls.h"
#include "WKControlDesign.h"

#include <QPointer>
#include <vector>

#pragma GCC visibility push(default)

class QAction;
class QTimer;
class QToolBar;
class TDBGrid;
class TDataSource;
class TField;
class TPopupMenu;
class TStringGrid;
class TdlgTubingStatEdit;

class TfrTubingStat : public TControl, public IControlDesign {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE SetCtl3D)
public:
    Q_INVOKABLE explicit TfrTubingStat(QObject* owner = nullptr);
    ~TfrTubingStat() override;

    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool v);

    // Alignment and bevel through the setup dialog.
    void Setup() override;
    void Loaded() override;
    // The grid and the strip are written inside the frame.
    void GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) override;
    // Reading a stored frame: its own grid and strip go, the stored ones take their place.
    void DefineProperties(TFiler& filer) override;

    // The strip's columns, widths and sums follow the grid's columns.
    void UpdateSumLinks();
    void dsrcTubingStatDataChange(TField* Field);
    void grTubingStatColumnMoved();
    void grTubingStatMouseUp();
    void SetLeftVisibleGridCol();
    void grTubingStatDblClick();
    // Enables the five commands (the module exists, its rows are open and not empty);
    // binds the grid to the module's rows when the module came after the frame.
    void ActionUpdate();
    void actEditExecute();
    void actDeleteExecute();

    TDataSource* dsrcTubingStat;
    TDBGrid* grTubingStat = nullptr;
    TStringGrid* sgSumTimings = nullptr;
    QToolBar* tbStat;
    QAction* actCopy;
    QAction* actCopyAll;
    QAction* actCopyAllTubing;
    QAction* actEdit;
    QAction* actDelete;
    TPopupMenu* pmTubingStat;
    std::vector<int> FTubingSumTimingIndexs;

private:
    void CreateGrids();
    void SetupGrid();
    void SetupStrip();
    void BindDataSet();

    bool FCtl3D = true;
    QTimer* FUpdateTimer;
    QPointer<TdlgTubingStatEdit> FEditDialog;
};

#pragma GCC visibility pop
