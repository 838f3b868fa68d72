#pragma once
// The automatic-comment curve's dialog: the comment dialog's template text,
// font, angle and offset, with the data group, the table the rows come from
// and its columns, inserted into the template as "{~ID}".
#include "DataStructures.h"
#include "dlg_SetupComment.h"

class QListWidget;
class QToolButton;

namespace Plotmere {

class TPluginManager;
class TPrintAutoCommentSeries;

// A table a system plug-in offers, with the system's name and ID.
struct TSketchTableSource {
    QString SystemName, SystemID;
    TSketchTableDescr Table;
    // As the source lists show it: system name + ": " + table name.
    QString Caption() const { return SystemName + QStringLiteral(": ") + Table.TableName; }
};

// Every table of every system plug-in of the manager that lists its tables.
QList<TSketchTableSource> SketchTableSources(const TPluginManager& manager);

class TdlgSetupAutoComment : public TdlgSetupComment {
    Q_OBJECT
public:
    explicit TdlgSetupAutoComment(QWidget* parent = nullptr);

    // The choice is "[Нет источника]" and the tables; the groups are the
    // document's non-empty ones.
    void SetValues(const TPrintAutoCommentSeries& series, const QStringList& groups,
                   const QList<TSketchTableSource>& tables);
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
    QList<TSketchTableSource> FTables;
};

}  // namespace Plotmere
