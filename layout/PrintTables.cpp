#include "PrintTables.h"

#include "ClassRegistry.h"
#include "ItemSetup.h"
#include "SketchDoc.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace Plotmere {

namespace {
// Text extents in millimetres at a device's unscaled resolution: the same
// on every device.
double TextHeightMM(const TFont& font) { return QFontMetrics(font.ToQFont()).height() / ScreenPixelsPerMM; }
double TextWidthMM(const TFont& font, const QString& text) {
    return QFontMetrics(font.ToQFont()).horizontalAdvance(text) / ScreenPixelsPerMM;
}
// Cell texts are as wide as their text and 2 mm.
constexpr double CellMargin = 2;

// Columns that take no room of their own.
void Collapse(TPrintTableField& field) {
    field.SetLeft(0);
    field.SetTop(0);
    field.SetWidth(0);
    field.SetHeight(0);
}

QPen TablePen(TColor color, int width) {
    QPen pen(ColorToQColor(color), std::max(width, 1));
    pen.setStyle(Qt::SolidLine);
    return pen;
}
}  // namespace

QString TPrintTableField::GetDataString(int row) const {
    if (!FSegment || row < 0 || row >= FSegment->GetCount()) return {};
    return FSegment->GetAsString(row);
}

TPrintTable::TPrintTable(QObject* owner)
    : TPrintDBItem(owner), FFont(new TFont(this)), FHeaderFont(new TFont(this)) {
    FFont->SetName(QStringLiteral("Arial"));
    FFont->SetCharset(RUSSIAN_CHARSET);
    FFont->SetSize(10);
    FHeaderFont->Assign(FFont);
    FHeaderFont->SetStyle(TFont::fsBold);
    FWidth = 50;
    FHeight = 10;
    FState = TPrintItemState(psAutosize | psNoChildEdit);
}

QList<TPrintTableField*> TPrintTable::Fields() const {
    QList<TPrintTableField*> fields;
    for (TPrintItem* item : Items())
        if (auto* field = qobject_cast<TPrintTableField*>(item)) fields << field;
    return fields;
}

TPrintTableField* TPrintTable::AddField(const TSketchFieldDescr& descr) {
    auto* field = new TPrintTableField(this);
    field->SetFieldID(descr.ID);
    field->SetName(descr.Name);
    field->SetDataType(descr.DataType);
    field->SetPrecision(descr.Precision);
    return field;
}

double TPrintTable::HeaderHeight() const { return TextHeightMM(*FHeaderFont); }

double TPrintTable::LineHeight() const { return TextHeightMM(*FFont); }

void TPrintTable::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    tree.AddChild(node, QStringLiteral("Таблица ") + (FTableName.isEmpty() ? QStringLiteral("(пустая)") : FTableName),
                  11, this);
}

void TPrintTable::RegisterParams(const QString& source, const QString& group, QStringList& gids) {
    if (source == FSystemID && group == Group() && !gids.contains(FBlockName)) gids << FBlockName;
}

bool TPrintTable::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

void TPrintTable::DropDataReferences() {
    FBlock = nullptr;
    for (TPrintTableField* field : Fields()) field->SetSegment(nullptr);
}

void TPrintTable::Prepare(TRenderDevice& device) {
    FFieldWidths.clear();
    const TPrintDocument* doc = GetDocument();
    const bool designer = doc && doc->IsDesigner();
    SetStateFlag(psSelectable, designer);
    SetStateFlag(psCanSetup, designer);
    const auto* sketch = qobject_cast<const TSketchDocument*>(doc);
    FBlock = sketch ? sketch->Blocks().GetBlockBySysGroupName(FSystemID, Group(), FBlockName) : nullptr;
    // A table without its block shows its headers only.
    if (FBlockName.isEmpty()) FBlock = nullptr;
    const double h = HeaderHeight(), l = LineHeight();
    QList<TPrintTableField*> visible;
    for (TPrintTableField* field : Fields()) {
        field->SetSegment(FBlock ? FBlock->GetDataSegment(field->FieldID()) : nullptr);
        if (field->Visible()) visible << field;
        else Collapse(*field);
    }
    if (FVertical) {
        double x = 0;
        for (TPrintTableField* field : visible) {
            double width = TextWidthMM(*FHeaderFont, field->Name()) + CellMargin;
            for (int r = 0; r < field->RowCount(); ++r)
                width = std::max(width, TextWidthMM(*FFont, field->GetDataString(r)) + CellMargin);
            field->SetLeft(int(std::round(x)));
            field->SetTop(0);
            field->SetWidth(int(std::ceil(width)));
            field->SetHeight(int(std::ceil(field->Segment() ? h + l * FBlock->GetRecordCount() : h + l)));
            x += field->Width();
        }
        TPrintDBItem::Prepare(device);
        return;
    }
    double header = 0;
    int rows = 0;
    for (TPrintTableField* field : visible) {
        header = std::max(header, TextWidthMM(*FHeaderFont, field->Name()) + CellMargin);
        rows = std::max(rows, field->RowCount());
    }
    FFieldWidths.assign(size_t(rows), CellMargin);
    for (TPrintTableField* field : visible)
        for (int r = 0; r < field->RowCount(); ++r)
            FFieldWidths[size_t(r)] = std::max(FFieldWidths[size_t(r)], TextWidthMM(*FFont, field->GetDataString(r)) + CellMargin);
    double width = header;
    for (const double w : FFieldWidths) width += w;
    FWidth = int(std::ceil(width));
    FHeight = int(std::ceil(l * visible.size()));
    for (TPrintTableField* field : visible) Collapse(*field);
    SetStateFlag(psAutosize, false);
    TPrintDBItem::Prepare(device);
    SetStateFlag(psAutosize, true);
}

void TPrintTable::Render(TRenderDevice& device) {
    if (!device.Canvas()) return;
    QPainter& canvas = *device.Canvas();
    canvas.save();
    if (FVertical) RenderVertical(device);
    else RenderHorizontal(device);
    canvas.restore();
    if (Selected()) {
        canvas.save();
        canvas.setBrush(Qt::NoBrush);
        canvas.setPen(QPen(ColorToQColor(clFuchsia), 1, Qt::DotLine));
        device.Rectangle(FBounds.left(), FBounds.top(), FBounds.left() + FBounds.width(), FBounds.top() + FBounds.height());
        canvas.restore();
    }
}

void TPrintTable::RenderVertical(TRenderDevice& device) {
    QPainter& canvas = *device.Canvas();
    const double h = HeaderHeight(), l = LineHeight();
    const double left = FBounds.left(), top = FBounds.top();
    const double right = left + FBounds.width(), bottom = top + FBounds.height();
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(ColorToQColor(FHeaderColor));
    device.Rectangle(left, top, right, top + h);
    QList<TPrintTableField*> visible;
    for (TPrintTableField* field : Fields())
        if (field->Visible()) visible << field;
    for (TPrintTableField* field : visible) {
        const QRect b = field->Bounds();
        const double fl = b.left(), fr = b.left() + b.width();
        canvas.setPen(Qt::NoPen);
        canvas.setBrush(ColorToQColor(field->Color()));
        device.Rectangle(fl, top + h, fr, bottom);
        canvas.setBrush(Qt::NoBrush);
        device.SetScaledFont(*FHeaderFont);
        device.DrawText(fl + 1, top, fr, top + h, field->Name(), DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        device.SetScaledFont(*FFont);
        for (int r = 0; r < field->RowCount(); ++r) {
            const double y = top + h + r * l;
            device.DrawText(fl + 1, y, fr, y + l, field->GetDataString(r), DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        }
    }
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(TablePen(FIntPenColor, FIntPenWidth));
    for (int k = 1; top + h + k * l < bottom - 1e-9; ++k) {
        device.MoveTo(left, top + h + k * l);
        device.LineTo(right, top + h + k * l);
    }
    const QList<TPrintItem*> children = Items();
    for (TPrintTableField* field : visible) {
        if (field == children.last()) continue;
        const QRect b = field->Bounds();
        device.MoveTo(b.left() + b.width(), b.top());
        device.LineTo(b.left() + b.width(), bottom);
    }
    canvas.setPen(TablePen(FExtPenColor, FExtPenWidth));
    device.Rectangle(left, top, right, top + h);
    device.Rectangle(left, top, right, bottom);
}

void TPrintTable::RenderHorizontal(TRenderDevice& device) {
    QPainter& canvas = *device.Canvas();
    const double l = LineHeight();
    const double left = FBounds.left(), top = FBounds.top();
    const double right = left + FBounds.width(), bottom = top + FBounds.height();
    double w = 0;
    QList<TPrintTableField*> visible;
    for (TPrintTableField* field : Fields())
        if (field->Visible()) {
            visible << field;
            w = std::max(w, TextWidthMM(*FHeaderFont, field->Name()) + CellMargin);
        }
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(ColorToQColor(FHeaderColor));
    device.Rectangle(left, top, left + w, bottom);
    for (int k = 0; k < visible.size(); ++k) {
        const TPrintTableField* field = visible.at(k);
        const double y = top + k * l;
        canvas.setPen(Qt::NoPen);
        canvas.setBrush(ColorToQColor(field->Color()));
        device.Rectangle(left + w, y, right, y + l);
        canvas.setBrush(Qt::NoBrush);
        device.SetScaledFont(*FHeaderFont);
        device.DrawText(left + 1, y, left + w, y + l, field->Name(), DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        device.SetScaledFont(*FFont);
        double x = left + w;
        for (int r = 0; r < int(FFieldWidths.size()); ++r) {
            device.DrawText(x + 1, y, x + FFieldWidths[size_t(r)], y + l, field->GetDataString(r),
                            DT_LEFT | DT_SINGLELINE | DT_VCENTER);
            x += FFieldWidths[size_t(r)];
        }
    }
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(TablePen(FIntPenColor, FIntPenWidth));
    for (int k = 1; k < visible.size(); ++k) {
        device.MoveTo(left, top + k * l);
        device.LineTo(right, top + k * l);
    }
    double x = left + w;
    for (size_t r = 0; r + 1 < FFieldWidths.size(); ++r) {
        x += FFieldWidths[r];
        device.MoveTo(x, top);
        device.LineTo(x, bottom);
    }
    canvas.setPen(TablePen(FExtPenColor, FExtPenWidth));
    device.Rectangle(left, top, left + w, bottom);
    device.Rectangle(left, top, right, bottom);
}

WK_REGISTER_CLASS(TPrintTableField)
WK_REGISTER_CLASS(TPrintTable)

}  // namespace Plotmere
