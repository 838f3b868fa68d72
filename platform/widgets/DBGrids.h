#pragma once
// The data grid of the old class library: a grid that shows the rows of a
// dataset through a data source, one column per field, titles in a fixed
// top row and the dataset's current row selected. Its columns (field, width,
// title, visibility) are stored with forms; without stored columns the
// visible fields of the open dataset make them.
#include "DataSet.h"
#include "Grids.h"

#include <QStringList>
#include <functional>

#pragma GCC visibility push(default)

// Joins a dataset to data-bound controls; they hear the dataset's changes
// through it (OnDataChange: the field that changed, or null for the row).
class TDataSource : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TDataSource(QObject* owner = nullptr);
    ~TDataSource() override;
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* dataSet);
    std::function<void(TField* field)> OnDataChange;
    // Every event of the dataset, for the controls bound to the source.
    std::function<void(TDataEvent event, TField* field)> OnEvent;

private:
    TDataSet* FDataSet = nullptr;
    int FListener = 0;
    QMetaObject::Connection FDestroyed;
};

class TColumnTitle : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    explicit TColumnTitle(QObject* parent = nullptr) : TPersistent(parent) {}
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    void Assign(const TPersistent* source) override;

private:
    QString FCaption;
};

class TColumn : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString FieldName READ FieldName WRITE SetFieldName)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(TColumnTitle* Title READ Title WRITE SetTitle)
public:
    Q_INVOKABLE explicit TColumn(TCollection* collection = nullptr);
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    TColumnTitle* Title() const { return FTitle; }
    void SetTitle(TColumnTitle* v) { FTitle->Assign(v); }
    // The field of the grid's dataset (null when none or not found).
    TField* Field() const;
    // The title shown: the caption, else the field's label, else the field name.
    QString TitleText() const;
    QString DisplayName() const override { return FFieldName; }
    void Assign(const TPersistent* source) override;

private:
    QString FFieldName;
    int FWidth = 64;
    bool FVisible = true;
    TColumnTitle* FTitle;
};

class TDBGrid : public TCustomGrid {
    Q_OBJECT
    // Bound in code by the control that holds the grid.
    Q_PROPERTY(TComponent* DataSource READ DataSourceComponent WRITE SetDataSourceComponent STORED false)
    Q_PROPERTY(TCollection* Columns READ Columns)
    Q_PROPERTY(TDBGridOptions Options READ DBOptions WRITE SetDBOptions)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
public:
    enum TDBGridOption {
        dgEditing = 0x1, dgAlwaysShowEditor = 0x2, dgTitles = 0x4, dgIndicator = 0x8, dgColumnResize = 0x10,
        dgColLines = 0x20, dgRowLines = 0x40, dgTabs = 0x80, dgRowSelect = 0x100, dgAlwaysShowSelection = 0x200,
        dgConfirmDelete = 0x400, dgCancelOnExit = 0x800, dgMultiSelect = 0x1000
    };
    Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
    Q_FLAG(TDBGridOptions)

    Q_INVOKABLE explicit TDBGrid(QObject* owner = nullptr);
    ~TDBGrid() override;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* source);
    TComponent* DataSourceComponent() const;
    void SetDataSourceComponent(TComponent* v);
    TCollection* Columns() const { return FColumns; }
    TColumn* Column(int i) const { return FColumns->ItemAs<TColumn>(i); }
    TDBGridOptions DBOptions() const { return FDBOptions; }
    void SetDBOptions(TDBGridOptions v);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

    // The text of a data cell as shown (row 0 is the first row of the dataset).
    QString CellText(int column, int row) const;
    int DataRowCount() const { return int(FTexts.size()); }
    // Reads the rows of the dataset again (the grid does it on every change).
    void DataChanged();
    // True while the columns are the grid's own default ones, made again from
    // the visible fields whenever the data changes.
    bool DefaultColumns() const { return FDefaultColumns; }

    std::function<void(int from, int to)> OnColumnMoved;
    std::function<void()> OnDblClick;
    std::function<void(const QRect& rect, int dataCol, TColumn* column)> OnDrawColumnCell;
    std::function<void(Qt::MouseButton button, const QPoint& pos)> OnMouseUp;

    void Notification(TComponentBase* component, TOperation operation) override;
    void Loaded() override;

protected:
    // The columns held stay as they are when the data changes.
    void KeepColumns() { FDefaultColumns = false; }
    void DrawCell(QPainter& p, int col, int row, const QRect& rect) override;
    void ColumnMoved(int from, int to) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void LayoutColumns();
    void DataSourceEvent(TDataEvent event);

    TDataSource* FDataSource = nullptr;
    TCollection* FColumns;
    TDBGridOptions FDBOptions =
        TDBGridOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs |
                       dgConfirmDelete | dgCancelOnExit);
    bool FReadOnly = false;
    bool FDefaultColumns = false;
    bool FReading = false;
    std::vector<QStringList> FTexts;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGrid::TDBGridOptions)

#pragma GCC visibility pop
