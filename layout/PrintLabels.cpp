#include "PrintLabels.h"

#include "ClassRegistry.h"
#include "ClipboardFormats.h"
#include "ItemSetup.h"
#include "SketchDoc.h"
#include "dlg_SetupDBLabel.h"
#include "dlg_SetupLabel.h"
#include "dlg_SetupSysVar.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <cmath>
#include <memory>

namespace Plotmere {

namespace {
const QString EmptyCaption = QStringLiteral("[Пустая строка]");

struct TAnnotationDefaults {
    std::unique_ptr<TFont> LabelFont, CommentFont;
    bool CommentNoClip = false;
};
TAnnotationDefaults& Defaults() {
    static TAnnotationDefaults defaults;
    return defaults;
}

void Remember(std::unique_ptr<TFont>& slot, const TFont& font) {
    if (!slot) slot = std::make_unique<TFont>();
    slot->Assign(&font);
}

int CeilMM(double pixels) { return int(std::ceil(pixels / ScreenPixelsPerMM)); }
}  // namespace

void SetLastLabelFont(const TFont& font) { Remember(Defaults().LabelFont, font); }

void SetLastCommentFont(const TFont& font) { Remember(Defaults().CommentFont, font); }

void SetLastCommentNoClip(bool noClip) { Defaults().CommentNoClip = noClip; }

const TFont* LastLabelFont() { return Defaults().LabelFont.get(); }

const TFont* LastCommentFont() { return Defaults().CommentFont.get(); }

bool LastCommentNoClip() { return Defaults().CommentNoClip; }

void ResetAnnotationDefaults() { Defaults() = TAnnotationDefaults(); }

TPrintLabel::TPrintLabel(QObject* owner) : TPrintDBItem(owner), FCaption(EmptyCaption), FFont(new TFont(this)) {
    FFont->SetName(QStringLiteral("Arial"));
    FFont->SetCharset(RUSSIAN_CHARSET);
    FFont->SetSize(12);
    FWidth = 40;
    FHeight = 5;
    FState = TPrintItemState(psAutosize);
}

TPrintLabel::TPrintLabel(QObject* owner, const TFloatPoint& position) : TPrintLabel(owner) {
    FRelPos = AbsoluteToRelativePos(FloatPointToPoint(position));
    if (const TFont* last = LastLabelFont()) FFont->Assign(last);
}

TPrintLabel::~TPrintLabel() { delete FEditor.data(); }

void TPrintLabel::BeginInplaceEdit(TPrintView* view) {
    if (!view || FEditor) return;
    TPrintDBItem::BeginInplaceEdit(view);
    FEditView = view;
    FEditor = OpenInplaceEditor(*this, view, FBounds, FCaption, *FFont, FCaption.trimmed() == EmptyCaption);
}

void TPrintLabel::EndInplaceEdit() {
    const TInplaceResult result = CloseInplaceEditor(FEditor, FCaption);
    FEditView = nullptr;
    TPrintDBItem::EndInplaceEdit();
    TPrintDocument* doc = GetDocument();
    if (!result.Changed || !doc) return;
    const QString oldText = GetAsText();
    FCaption = result.Text;
    SetAbsLeft(result.Rect.left());
    SetAbsTop(result.Rect.top());
    FWidth = result.Rect.width();
    FHeight = result.Rect.height();
    (new TPrintLabelEditAction(doc, this, oldText))->Finish();
    doc->Changed(dcContents);
}

void TPrintLabel::OnDetachView(TPrintView* view) {
    if (FEditor && FEditView == view) EndInplaceEdit();
    TPrintDBItem::OnDetachView(view);
}

QStringList TPrintLabel::Lines() const {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    return FCaption.split(lineEnd);
}

void TPrintLabel::AutoSize() {
    const QFontMetrics metrics(FFont->ToQFont());
    if (FCaption.isEmpty()) {
        FWidth = 10;
        FHeight = CeilMM(metrics.height());
        return;
    }
    const QStringList lines = Lines();
    const int lineHeight = metrics.height();
    int textWidth = 0;
    for (const QString& line : lines) textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    int textHeight = int(lines.size()) * lineHeight;
    if (FTextAngle == 90 || FTextAngle == 270) std::swap(textWidth, textHeight);
    FWidth = CeilMM(textWidth);
    FHeight = CeilMM(textHeight);
    if (FWidth <= 1) FWidth = 40;
    if (FHeight <= 1) FHeight = 10;
}

QRect TPrintLabel::PageRect(const TRenderDevice& device) const {
    if (!FEveryPage) return FBounds;
    const int top = int(Round((device.PageNo() - 1) * device.PageHeight + FBounds.top()));
    return QRect(FBounds.left(), top, FBounds.width(), FBounds.height());
}

void TPrintLabel::PrepareLabel() {
    if (HasState(psEditing) || FEditor) EndInplaceEdit();
    SetStateFlag(psCanSetup, true);
    SetStateFlag(psInplaceEditor, true);
    const TPrintDocument* doc = GetDocument();
    if (doc && doc->IsDesigner()) {
        SetStateFlag(psSelectable, true);
    } else {
        SetStateFlag(psSelectable, false);
        if (!FEnSetup) SetStateFlag(psCanSetup, false);
    }
    AutoSize();
}

void TPrintLabel::Prepare(TRenderDevice& device) {
    PrepareLabel();
    TPrintDBItem::Prepare(device);
}

void TPrintLabel::Render(TRenderDevice& device) {
    if (!device.Canvas()) return;
    // While edited on this view only the editor shows the text.
    if (FEditor && FEditView && &FEditView->Device() == &device) {
        FEditor->setFont(device.ScaledQFont(*FFont));
        return;
    }
    QPainter& canvas = *device.Canvas();
    const QRect rect = PageRect(device);
    const TPrintDocument* doc = GetDocument();
    canvas.save();
    if (doc && doc->IsDesigner() && (!FEveryPage || device.PageNo() == 1)) {
        // The designer tints the background under the text.
        canvas.save();
        device.SelectTint(TColor(FFrameColor));
        canvas.drawRect(device.PrjRect(rect));
        canvas.restore();
    }
    device.SetRotatedFont(*FFont, FTextAngle);
    canvas.setBrush(Qt::NoBrush);
    const double perMM = device.YResScl() > 0 ? device.YResScl() : ScreenPixelsPerMM;
    const double line = device.TextHeight(*FFont, QStringLiteral("Wq")) / perMM;
    const double l = rect.left(), t = rect.top(), r = rect.left() + rect.width(), b = rect.top() + rect.height();
    double x = l, y = t, dx = 0, dy = line;
    switch (FTextAngle) {
    case 90: y = b, dx = line, dy = 0; break;
    case 180: x = r, y = b, dy = -line; break;
    case 270: x = r, dx = -line, dy = 0; break;
    default: break;
    }
    const QStringList lines = Lines();
    for (int i = 0; i < lines.size(); ++i) device.TextOut(x + i * dx, y + i * dy, lines.at(i));
    device.SetScaledFont(*FFont);
    canvas.restore();
    TPrintDBItem::Render(device);
}

bool TPrintLabel::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

// Behind pictures: a copied picture often brings a caption or address as text too.
int TPrintLabel::SupportsClipboardFormat(const QList<int>& formats) const { return formats.contains(CF_TEXT) ? 100 : -1; }

void TPrintLabel::BeforeSetup(TRenderDevice*, TdlgSetupLabel& dialog) {
    dialog.SetSampleFont(*FFont);
    dialog.SetText(FCaption);
    const QPoint position = GetAbsPos();
    dialog.SetPosition(position.x(), position.y());
    dialog.SetAngle(FTextAngle);
    dialog.cbEnableSetup->setChecked(FEnSetup);
    dialog.cbEveryPage->setChecked(FEveryPage);
    const TPrintDocument* doc = GetDocument();
    dialog.SetPositionVisible(doc && doc->IsDesigner());
}

void TPrintLabel::AfterSetup(TRenderDevice*, TdlgSetupLabel& dialog) {
    FCaption = dialog.Text();
    FFont->Assign(&dialog.SampleFont());
    SetAbsLeft(dialog.PosX());
    SetAbsTop(dialog.PosY());
    FEnSetup = dialog.cbEnableSetup->isChecked();
    FEveryPage = dialog.cbEveryPage->isChecked();
    FTextAngle = dialog.Angle();
}

void TPrintLabel::CreateFromClipboard() {
    FCaption = UIServices().Clipboard().AsText();
    AutoSize();
}

void TPrintLabel::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    if (!HasState(psCanSetup)) return;
    QString text = FCaption.isEmpty() ? EmptyCaption : FCaption;
    const QStringList lines = Lines();
    if (lines.size() > 1) text = lines.first() + QStringLiteral("...");
    QTreeWidgetItem* own = tree.AddChild(node, text, 1, this);
    TPrintDBItem::BuildTree(tree, own);
}

void TPrintSysLabel::Prepare(TRenderDevice& device) {
    if (const TPrintDocument* doc = GetDocument()) FCaption = doc->GetSysVar(FSysVarType);
    PrepareLabel();
    SetStateFlag(psInplaceEditor, false);
    TPrintDBItem::Prepare(device);
}

void TPrintSysLabel::Render(TRenderDevice& device) {
    // The layout runs once for all pages, so the number it saw is that of
    // whichever page was drawn last; each page must show its own.
    if (FSysVarType == -1)
        if (const TPrintDocument* doc = GetDocument()) FCaption = doc->GetSysVar(FSysVarType);
    TPrintLabel::Render(device);
}

void TPrintSysLabel::BeforeSetup(TRenderDevice* device, TdlgSetupLabel& dialog) {
    TPrintLabel::BeforeSetup(device, dialog);
    if (auto* sysVar = qobject_cast<TdlgSetupSysVar*>(&dialog)) sysVar->Fill(GetDocument(), FSysVarType);
}

void TPrintSysLabel::AfterSetup(TRenderDevice* device, TdlgSetupLabel& dialog) {
    TPrintLabel::AfterSetup(device, dialog);
    if (auto* sysVar = qobject_cast<TdlgSetupSysVar*>(&dialog)) FSysVarType = sysVar->SysVarType();
}

void TPrintSysLabel::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    if (HasState(psCanSetup)) tree.AddChild(node, FCaption.isEmpty() ? EmptyCaption : FCaption, 3, this);
}

QString TPrintDBLabel::ShownValue(const TPrintDocument* doc, const TParamDescr& descr, const QString& group,
                                  const QString& fallback) {
    const auto* sketch = qobject_cast<const TSketchDocument*>(doc);
    if (sketch && sketch->Blocks().Count() > 0)
        return sketch->GetParamValue(descr.SourceID, descr.Path, descr.ID, group);
    if (!descr.Name.isEmpty()) return QLatin1Char('[') + descr.Name + QLatin1Char(']');
    return fallback;
}

void TPrintDBLabel::Prepare(TRenderDevice& device) {
    FCaption = ShownValue(GetDocument(), FDescr, Group(), FCaption);
    PrepareLabel();
    SetStateFlag(psInplaceEditor, false);
    const bool designer = GetDocument() && GetDocument()->IsDesigner();
    SetStateFlag(psSelectable, designer);
    SetStateFlag(psCanSetup, designer);
    FFrameColor = DataFrameColor;
    TPrintDBItem::Prepare(device);
}

void TPrintDBLabel::BeforeSetup(TRenderDevice* device, TdlgSetupLabel& dialog) {
    TPrintLabel::BeforeSetup(device, dialog);
    if (auto* data = qobject_cast<TdlgSetupDBLabel*>(&dialog)) data->Fill(GetDocument(), FDescr, Group());
}

void TPrintDBLabel::AfterSetup(TRenderDevice* device, TdlgSetupLabel& dialog) {
    TPrintLabel::AfterSetup(device, dialog);
    if (auto* data = qobject_cast<TdlgSetupDBLabel*>(&dialog)) {
        FDescr = data->Param();
        SetGroup(data->Group());
    }
}

void TPrintDBLabel::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    if (HasState(psCanSetup)) tree.AddChild(node, FCaption.isEmpty() ? EmptyCaption : FCaption, 2, this);
}

void TPrintDBLabel::RegisterParams(const QString& source, const QString& group, QStringList& gids) {
    if (source == FDescr.SourceID && group == Group() && !gids.contains(FDescr.ID)) gids << FDescr.ID;
}

WK_REGISTER_CLASS(TPrintLabel)
WK_REGISTER_CLASS(TPrintSysLabel)
WK_REGISTER_CLASS(TPrintDBLabel)

}  // namespace Plotmere
