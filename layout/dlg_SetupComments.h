#pragma once
// The comment list of a track: the dialog edits copies of the comments, so
// Cancel changes nothing; OK re-creates the track's comments from the list,
// each keeping its GUID so that earlier actions on it still undo and redo.
#include "Formatting.h"
#include "dlg_Common.h"

#include <memory>
#include <vector>

#pragma GCC visibility push(default)

class QLabel;
class QPushButton;
class QTableWidget;

namespace Plotmere {

class TPrintComment;
class TPrintCommentsRoot;

class TdlgSetupComments : public TLayoutSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupComments(QWidget* parent = nullptr);
    ~TdlgSetupComments() override;

    // Copies the root's comments into the dialog's own list, by position.
    void SetValues(TPrintCommentsRoot& root);
    // Replaces the root's comments by the list.
    void ApplyTo(TPrintCommentsRoot& root) const;
    // Forgets the copies and the root.
    void Release();
    const std::vector<std::unique_ptr<TPrintComment>>& List() const { return FList; }

    // The grid's text of a position.
    QString PositionText(double position) const;

    QTableWidget* sgComments;
    QPushButton* btAdd;
    QPushButton* btProps;
    QPushButton* btFont;
    QPushButton* btOffset;
    QPushButton* btDelete;
    QPushButton* btPaste;
    QPushButton* btCopy;
    QLabel* lbNote;

private:
    void FillGrid();
    void UpdateButtons();
    // The selected rows of the list, ascending.
    std::vector<int> SelectedRows() const;
    int CurrentRow() const;
    bool TimeDocument() const;
    TDateTime Today() const;
    void Add();
    void Properties();
    void ChooseFont();
    void ChooseOffset();
    void Delete();
    void Copy();
    void Paste();

    TPrintCommentsRoot* FRoot = nullptr;
    std::vector<std::unique_ptr<TPrintComment>> FList;
};

// A copy of a comment's values (and its GUID) in another comment.
void AssignComment(TPrintComment& to, const TPrintComment& from);

}  // namespace Plotmere

#pragma GCC visibility pop
