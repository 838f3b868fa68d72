#pragma once
// The table dialog ("Настройка таблицы"): the table of a system plug-in it
// shows, its data group, which columns are visible and in what order, each
// column's caption, background and precision, and the table's colours,
// frame, fonts and layout. On OK the table's columns are made anew from the
// list.
#include "DataStructures.h"
#include "dlg_SetupForms.h"

#pragma GCC visibility push(default)

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace Plotmere {

class TPluginManager;
class TPrintTable;

// A table that a system plug-in offers, with the name and ID of its system.
struct TSystemTable {
    QString SystemName, SystemID;
    TSketchTableDescr Table;
    // "System: table", as the lists of data sources show it.
    QString Caption() const { return SystemName + QStringLiteral(": ") + Table.TableName; }
};
// Every table of every system of the manager that lists its tables, in the
// manager's order.
QList<TSystemTable> SystemTableList(const TPluginManager& manager);

class TdlgSetupTable : public TLayoutSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupTable(QWidget* parent = nullptr);

    void Fill(TPrintTable& table, const TPluginManager& manager);
    void Fill(TPrintTable& table);
    // Gives the dialog's values to the table, its columns made anew.
    void ApplyTo(TPrintTable& table) const;

    QTabWidget* pcPages;
    QComboBox* cbSource;
    QComboBox* cbGroup;
    QListWidget* clbFields;
    QPushButton* btnUp;
    QPushButton* btnDown;
    QPushButton* btnClear;
    QGroupBox* gbField;
    QLineEdit* edCaption;
    TColorSwatch* swFieldColor;
    QLabel* lbPrecision;
    QSpinBox* sePrecision;
    TColorSwatch* swHeaderColor;
    TColorSwatch* swFrameColor;
    QComboBox* cbFrameWidth;
    TFontButton* btnHeaderFont;
    TColorSwatch* swGridColor;
    TFontButton* btnFont;
    QCheckBox* cbVertical;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void Validate() override;

private:
    struct TColumnEntry {
        TSketchFieldDescr Descr;
        bool Visible = true;
    };
    // The chosen table (null for "[Нет источника]").
    const TSystemTable* ChosenTable() const;
    void ShowColumns(const QList<TColumnEntry>& columns);
    void ShowCurrentField();
    void MoveCurrent(int step);

    QList<TSystemTable> FTables;  // list index - 1
    int FBoundIndex = -1;         // list index of the table bound when filled
    QList<TColumnEntry> FBoundColumns;
    QList<TSketchFieldDescr> FEntries;  // one per list row
};

}  // namespace Plotmere

#pragma GCC visibility pop
