#pragma once
// The well choice of a monitoring form: "[Не задана]" (no well) first, then
// the wells of a copy of the program's well list, which the dialog keeps for
// its life.
#include <QDialog>
#include <memory>

#pragma GCC visibility push(default)

class QPushButton;
class QTreeWidget;
class TWells;
class TWellDescr;

class TdlgSelectWell : public QDialog {
    Q_OBJECT
public:
    // currentWellID: the row to focus (none: "[Не задана]").
    TdlgSelectWell(const TWells& wells, const QString& currentWellID, QWidget* parent = nullptr);
    ~TdlgSelectWell() override;

    QTreeWidget* lvWells;
    QPushButton* btnOK;
    // The chosen well, null for "[Не задана]"; valid while the dialog lives.
    TWellDescr* SelectedWell() const;
    bool HasSelection() const;
    void OkClick();

private:
    void UpdateOK();
    std::unique_ptr<TWells> FWells;
};

// What a form gets from the choice: the well's name text and ID (both empty
// for no well).
struct TWellChoice {
    QString WellName;
    QString WellID;
};
TWellChoice WellChoiceOf(const TWellDescr* well);

#pragma GCC visibility pop
