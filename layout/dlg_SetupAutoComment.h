#pragma once
// The automatic-comment curve's dialog: the comment dialog's template text,
// font, angle and offset, with the data group, the table the rows come from
// and its columns, inserted into the template as "{~ID}".
#include "DataStructures.h"
#include "dlg_SetupComment.h"
#include "dlg_SetupTable.h"

#pragma GCC visibility push(default)

class QListWidget;
class QToolButton;

namespace Plotmere {

class TPluginManager;
class TPrintAutoCommentSeries;

class TdlgSetupAutoComment : public TdlgSetupComment {
    Q_OBJECT
public:
    explicit TdlgSetupAutoComment(QWidget* parent = nullptr);

    // The choice is "[Нет источника]" and the tables; the groups are the
    // document's non-empty ones.
    void SetValues(const TPrintAutoCommentSeries& series, const QStringList& groups,
                   const QList<TSystemTable>& tables);
    void GetValues(TPrintAutoCommentSeries& series) const;

    QComboBox* cbGroup;
    QComboBox* cbSource;
    QListWidget* lbVariables;
    QToolButton* btAddVariable;

protected:
    void Validate() override;

private:
    void FillVariables();
    void InsertVariable();
    QList<TSystemTable> FTables;
};

}  // namespace Plotmere

#pragma GCC visibility pop
