#pragma once
// The parameter picker: the parameters of the local configuration in the
// chosen conversion profile (or of a caller's own source) and the stored
// formulas of the well database, as a tree grouped by their group paths, with
// a filter, in single choice (a selected node) or multi choice (check boxes).
#include "WKParamSource.h"

#include <QDialog>
#include <QMap>

#pragma GCC visibility push(default)

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;
class TRParser;
class TStateTreeView;
class TTreeNode;

// Node images: group, (unused), parameter, formula.
enum TParamNodeImage { pniGroup = 0, pniParameter = 2, pniFormula = 3 };
// State images: none, unchecked, checked.
enum TParamNodeState { pnsNone = -1, pnsUnchecked = 1, pnsChecked = 2 };

class TdlgSelectParam : public QDialog {
    Q_OBJECT
public:
    explicit TdlgSelectParam(QWidget* parent = nullptr);
    ~TdlgSelectParam() override;

    TSensSelection Selection;
    bool SingleParam = false;
    TGetCustomParams FOnGetCustomParams;
    QString FFormulaSubset;
    TRParser* FFormulaParser = nullptr;  // null: the global parser
    TSensDescrArray FParams;

    // Prepares the dialog as its showing does (profiles, visibility, the
    // list) and runs it through the UI services. A source or database
    // error propagates.
    int Execute();
    // The chosen descriptions (copies): the selected one in single choice,
    // every checked one in tree order in multi choice.
    TSensDescrArray GetSensDescriptions() const;

    // Reloads (or, with onlyFilter, re-filters) the tree.
    void UpdateParamList(bool onlyFilter);
    // On enables OK; otherwise OK stays enabled only while a node is checked.
    void EnableOk(bool on);
    // The filter timer's work: re-filters, expands everything, recomputes OK.
    void tmrUpdateTreeTimer();
    // The new-formula command: the formula properties dialog over a new row
    // of the subset; OK stores the row and lists it.
    void btnFormulaEditorClick();

    QLabel* lblProfile;
    QComboBox* cbProfile;
    QCheckBox* cbPrimary;
    TStateTreeView* tvParams;
    QLineEdit* edFilter;
    QToolButton* btnExpand;
    QToolButton* btnCollapse;
    QToolButton* btnFormulaEditor;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QTimer* tmrUpdateTree;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PrepareShow();
    TTreeNode* GroupNode(QString path);
    void BuildTree();
    void ApplyFilter(const QString& filter);
    void AppendFormulas();
    void ToggleSelected();
    void TreeMouseDown(const QPoint& pos);
    bool AnyChecked() const;

    QMap<QString, TTreeNode*> FGroups;  // upper-cased path -> node
};

#pragma GCC visibility pop
