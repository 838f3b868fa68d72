#include "DBGrids.h"

#include "ClassRegistry.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

WK_REGISTER_CLASS(TDataSource)
WK_REGISTER_CLASS(TDBGrid)

// ---- data source ----

TDataSource::TDataSource(QObject* owner) : TComponent(owner) {}

TDataSource::~TDataSource() { SetDataSet(nullptr); }

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == FDataSet) return;
    if (FDataSet) {
        FDataSet->RemoveDataListener(FListener);
        QObject::disconnect(FDestroyed);
    }
    FDataSet = dataSet;
    FListener = 0;
    if (!FDataSet) return;
    FListener = FDataSet->AddDataListener([this](TDataEvent event, TField* field) {
        if (OnEvent) OnEvent(event, field);
        if (OnDataChange && event != TDataEvent::deUpdateState)
            OnDataChange(event == TDataEvent::deFieldChange ? field : nullptr);
    });
    // A dataset that goes first leaves the source without one.
    FDestroyed = QObject::connect(FDataSet, &QObject::destroyed, this, [this] {
        FDataSet = nullptr;
        FListener = 0;
        if (OnEvent) OnEvent(TDataEvent::deDataSetChange, nullptr);
    });
    if (OnEvent) OnEvent(TDataEvent::deDataSetChange, nullptr);
}

// ---- columns ----

void TColumnTitle::SetCaption(const QString& v) {
    FCaption = v;
    emit Changed();
}

void TColumnTitle::Assign(const TPersistent* source) {
    if (auto* t = qobject_cast<const TColumnTitle*>(source)) {
        SetCaption(t->FCaption);
        return;
    }
    TPersistent::Assign(source);
}

TColumn::TColumn(TCollection* collection) : TCollectionItem(collection), FTitle(new TColumnTitle(this)) {
    connect(FTitle, &TPersistent::Changed, this, [this] { ItemChanged(); });
}

void TColumn::SetFieldName(const QString& v) {
    FFieldName = v;
    ItemChanged();
}

void TColumn::SetWidth(int v) {
    FWidth = std::clamp(v, 0, TCustomGrid::MaxCount);
    ItemChanged();
}

void TColumn::SetVisible(bool v) {
    FVisible = v;
    ItemChanged();
}

TField* TColumn::Field() const {
    auto* grid = Collection() ? qobject_cast<TDBGrid*>(Collection()->Owner()) : nullptr;
    TDataSet* ds = grid ? grid->DataSet() : nullptr;
    return ds && ds->Active() ? ds->FindField(FFieldName) : nullptr;
}

QString TColumn::TitleText() const {
    if (!FTitle->Caption().isEmpty()) return FTitle->Caption();
    if (const TField* f = Field()) return f->DisplayLabel();
    return FFieldName;
}

void TColumn::Assign(const TPersistent* source) {
    if (auto* c = qobject_cast<const TColumn*>(source)) {
        FFieldName = c->FFieldName;
        FWidth = c->FWidth;
        FVisible = c->FVisible;
        FTitle->Assign(c->FTitle);
        ItemChanged();
        return;
    }
    TCollectionItem::Assign(source);
}

namespace {
// Keeps the grid's cells in step with its columns.
class TDBGridColumns : public TCollection {
public:
    explicit TDBGridColumns(TDBGrid* grid) : TCollection(&TColumn::staticMetaObject, grid), FGrid(grid) {}
    std::function<void()> OnUpdate;

protected:
    void Update(TCollectionItem* item) override {
        Q_UNUSED(item);
        if (OnUpdate) OnUpdate();
    }

private:
    TDBGrid* FGrid;
};
}  // namespace

// ---- grid ----

TDBGrid::TDBGrid(QObject* owner) : TCustomGrid(owner) {
    auto* columns = new TDBGridColumns(this);
    columns->OnUpdate = [this] {
        if (!FReading) LayoutColumns();
    };
    FColumns = columns;
    SetFixedCols(0);
    SetOptions(TGridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goColSizing | goColMoving));
    SetDefaultRowHeight(18);
    LayoutColumns();
}

TDBGrid::~TDBGrid() {
    FReading = true;
    SetDataSource(nullptr);
    DestroyComponent();
}

TComponent* TDBGrid::DataSourceComponent() const { return FDataSource; }

void TDBGrid::SetDataSourceComponent(TComponent* v) { SetDataSource(qobject_cast<TDataSource*>(v)); }

void TDBGrid::SetDataSource(TDataSource* source) {
    if (source == FDataSource) return;
    if (FDataSource) {
        FDataSource->OnEvent = nullptr;
        RemoveFreeNotification(FDataSource);
    }
    FDataSource = source;
    if (FDataSource) {
        FreeNotification(FDataSource);
        FDataSource->OnEvent = [this](TDataEvent event, TField*) { DataSourceEvent(event); };
    }
    if (!FReading) DataChanged();
}

void TDBGrid::Notification(TComponentBase* component, TOperation operation) {
    TCustomGrid::Notification(component, operation);
    if (operation == TOperation::opRemove && FDataSource && component == static_cast<TComponentBase*>(FDataSource)) {
        FDataSource = nullptr;
        if (!FReading) DataChanged();
    }
}

void TDBGrid::Loaded() {
    TCustomGrid::Loaded();
    DataChanged();
}

void TDBGrid::SetDBOptions(TDBGridOptions v) {
    FDBOptions = v;
    update();
}

void TDBGrid::DataSourceEvent(TDataEvent event) {
    if (event == TDataEvent::deFieldChange || event == TDataEvent::deRecordChange) {
        update();
        return;
    }
    DataChanged();
}

void TDBGrid::DataChanged() {
    if (FReading || IsLoading()) return;
    FReading = true;
    FTexts.clear();
    TDataSet* ds = DataSet();
    try {
        if (ds && ds->Active()) {
            // Columns of their own until the form gives stored ones.
            if (FColumns->Count() == 0 || FDefaultColumns) {
                FColumns->Clear();
                for (int i = 0; i < ds->FieldCount(); ++i) {
                    const TField* f = ds->Fields(i);
                    if (!f->Visible) continue;
                    auto* c = qobject_cast<TColumn*>(FColumns->Add());
                    c->SetFieldName(f->FieldName());
                    if (f->DisplayWidth > 0) c->SetWidth(f->DisplayWidth * fontMetrics().averageCharWidth() + 4);
                }
                FDefaultColumns = true;
            }
            if (!ds->IsEmpty() && ds->State() == TDataSetState::dsBrowse) {
                const TBookmark here = ds->GetBookmark();
                ds->DisableControls();
                int current = 0;
                for (ds->First(); !ds->Eof(); ds->Next()) {
                    QStringList texts;
                    for (int c = 0; c < FColumns->Count(); ++c) {
                        const TField* f = ds->FindField(Column(c)->FieldName());
                        texts << (f ? f->DisplayText() : QString());
                    }
                    if (ds->GetBookmark() == here) current = int(FTexts.size());
                    FTexts.push_back(texts);
                }
                ds->GotoBookmark(here);
                ds->EnableControls();
                FReading = false;
                LayoutColumns();
                SetSelection(std::max(Col(), 0), current + 1);
                // The current row in view.
                if (current + 1 < TopRow() || current + 1 >= TopRow() + std::max(1, VisibleRowCount()))
                    SetTopRow(std::max(1, current + 2 - std::max(1, VisibleRowCount())));
                return;
            }
        }
    } catch (...) {
        FReading = false;
        throw;
    }
    FReading = false;
    LayoutColumns();
}

void TDBGrid::LayoutColumns() {
    SetColCount(std::max(1, FColumns->Count()));
    for (int c = 0; c < FColumns->Count(); ++c) SetColWidths(c, Column(c)->Visible() ? Column(c)->Width() : 0);
    SetRowCount(1 + std::max<int>(1, int(FTexts.size())));
    if (FixedRows() != 1) SetFixedRows(1);
    update();
}

QString TDBGrid::CellText(int column, int row) const {
    if (row < 0 || row >= int(FTexts.size())) return {};
    return FTexts[size_t(row)].value(column);
}

void TDBGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect) {
    const QRect text = rect.adjusted(2, 0, -2, 0);
    p.setPen(palette().color(QPalette::WindowText));
    if (row == 0) {
        if (col < FColumns->Count()) p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, Column(col)->TitleText());
        return;
    }
    const bool selected = row == Row() && (FDBOptions.testFlag(dgRowSelect) || col == Col()) && !FTexts.empty();
    if (selected && (hasFocus() || FDBOptions.testFlag(dgAlwaysShowSelection))) {
        p.fillRect(rect, palette().color(QPalette::Highlight));
        p.setPen(palette().color(QPalette::HighlightedText));
    }
    const TField* f = col < FColumns->Count() ? Column(col)->Field() : nullptr;
    const bool number = f && (f->DataType() == TFieldType::ftFloat || f->DataType() == TFieldType::ftInteger);
    p.drawText(text, Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft), CellText(col, row - 1));
    if (OnDrawColumnCell && col < FColumns->Count()) OnDrawColumnCell(rect, col, Column(col));
}

void TDBGrid::ColumnMoved(int from, int to) {
    FReading = true;
    Column(from)->SetIndex(to);
    for (QStringList& texts : FTexts) texts.move(from, to);
    FReading = false;
    if (OnColumnMoved) OnColumnMoved(from, to);
}

void TDBGrid::mousePressEvent(QMouseEvent* e) {
    TCustomGrid::mousePressEvent(e);
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || e->button() != Qt::LeftButton) return;
    int c = -1, r = -1;
    MouseToCell(e->position().toPoint(), c, r);
    if (r >= 1 && r <= int(FTexts.size())) ds->SetRecNo(r);
}

void TDBGrid::mouseReleaseEvent(QMouseEvent* e) {
    TCustomGrid::mouseReleaseEvent(e);
    if (OnMouseUp) OnMouseUp(e->button(), e->position().toPoint());
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    TCustomGrid::mouseDoubleClickEvent(e);
    if (OnDblClick) OnDblClick();
}
