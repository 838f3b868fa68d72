// The automatic-comment curve: one text per row of a table block, made from
// a template whose placeholders "{~Name}" take the row's column texts.
#include "PrintSeries.h"

#include "ClassRegistry.h"
#include "ItemSetup.h"

#include <QPainter>
#include <QRegularExpression>

namespace Plotmere {

namespace {
const QChar Placeholder(1);
const QString PlaceholderOpen = QStringLiteral("{~");
}  // namespace

TPrintAutoCommentSeries::TPrintAutoCommentSeries(QObject* owner) : TPrintSeries(owner) {}

void TPrintAutoCommentSeries::RegisterParams(const QString& source, const QString& group, QStringList& gids) {
    if (source == SourceID() && group == Group() && !FTableID.isEmpty()) gids << FTableID;
}

void TPrintAutoCommentSeries::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    if (HasState(psCanSetup)) tree.AddChild(node, QStringLiteral("Авто-комментарии ") + FTableName, 2, this);
}

void TPrintAutoCommentSeries::Prepare(TRenderDevice& device) {
    // A range of one keeps the projection usable; only the index is drawn.
    FDescr.Max = FDescr.Min + 1;
    SetStateFlag(psCanSetup, true);
    TPrintSeries::Prepare(device);
    ParseAndBind();
}

bool TPrintAutoCommentSeries::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

void TPrintAutoCommentSeries::ParseAndBind() {
    FXSeg = nullptr;
    FSegments.clear();
    FTemplate.clear();
    const TSketchDocument* doc = GetSketchDocument();
    if (!doc || FTableID.isEmpty()) return;
    TDataBlock* block = doc->Blocks().GetBlockBySysGroupName(SourceID(), Group(), FTableID);
    if (!block) return;
    FXSeg = block->GetMainSegment();
    QString text = FText;
    qsizetype from = 0;
    while (true) {
        const qsizetype open = text.indexOf(PlaceholderOpen, from);
        if (open < 0) break;
        const qsizetype close = text.indexOf(QLatin1Char('}'), open + PlaceholderOpen.size());
        // An unclosed placeholder stays literal text and ends the scan.
        if (close < 0) break;
        const QString name = text.mid(open + PlaceholderOpen.size(), close - open - PlaceholderOpen.size()).trimmed();
        text.replace(open, close - open + 1, Placeholder);
        FSegments << block->GetDataSegment(name);
        from = open + 1;
    }
    FTemplate = text;
}

void TPrintAutoCommentSeries::DropDataReferences() {
    TPrintSeries::DropDataReferences();
    FXSeg = nullptr;
    FSegments.clear();
}

QString TPrintAutoCommentSeries::GetDisplayText(int row) const {
    QString text = FTemplate;
    qsizetype from = 0;
    for (const TDataSegment* segment : FSegments) {
        const qsizetype at = text.indexOf(Placeholder, from);
        if (at < 0) break;
        const QString value = segment && row < segment->GetCount() ? segment->GetAsString(row) : QString();
        text.replace(at, 1, value);
        from = at + value.size();
    }
    return text;
}

void TPrintAutoCommentSeries::DoRender(TRenderDevice& device) {
    const TPrintField* field = GetPrintField();
    if (!FXSeg || !field || !FCanPrj || !device.Canvas()) return;
    device.SetRotatedFont(*FFont, FRotation);
    device.Canvas()->setBrush(Qt::NoBrush);
    const double x = field->Bounds().left() + FOffset;
    const double lineX = device.XResScl() > 0 ? 1 / device.XResScl() : 0;
    const double lineY = device.YResScl() > 0 ? 1 / device.YResScl() : 0;
    const int lineHeight = device.TextHeight(*FFont, QStringLiteral("Wq"));
    // Each next line moves along the text's own downward direction.
    double dx = 0, dy = 0;
    switch (((FRotation % 360) + 360) % 360) {
    case 90: dx = lineHeight * lineX; break;
    case 180: dy = -lineHeight * lineY; break;
    case 270: dx = -lineHeight * lineX; break;
    default: dy = lineHeight * lineY; break;
    }
    for (int row = 0; row < FXSeg->GetCount(); ++row) {
        if (FXSeg->GetIsEmpty(row)) continue;
        const double y = PrjDataY(FXSeg->GetAsDouble(row));
        const QStringList lines = GetDisplayText(row).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
        for (int i = 0; i < lines.size(); ++i) device.TextOut(x + i * dx, y + i * dy, lines.at(i));
    }
}

WK_REGISTER_CLASS(TPrintAutoCommentSeries)

}  // namespace Plotmere
