#include "SketchDoc.h"

#include "ClassRegistry.h"
#include "ComponentStreaming.h"
#include "ItemSetup.h"
#include "PrintFields.h"
#include "PrintSeries.h"
#include "PrintView.h"

#include <QPainter>
#include <QScopedValueRollback>
#include <cmath>
#include <limits>

namespace Plotmere {

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Every item of the tree, parents before their children.
void WalkTree(TPrintItem* item, const std::function<void(TPrintItem*)>& proc) {
    proc(item);
    for (TPrintItem* child : item->Items()) WalkTree(child, proc);
}

constexpr unsigned BookmarkPenColor = 0x800000;    // navy
constexpr unsigned BookmarkBrushColor = 15769736;  // $F0A088
}  // namespace

TSketchDocument::TSketchDocument(QObject* owner) : TPrintDocument(owner), FBlocks(new TDataBlockList(this)) {
    FBookmarks.fill(NaN);
    FRange.RequestedStart = NaN;
    FRange.RequestedStop = NaN;
}

TSketchDocument::TSketchDocument(QObject* owner, const QString& fileName) : TSketchDocument(owner) {
    ReadTree(ReadComponentFileTree(fileName));
    DeselectAll();
    SetFormFile(fileName);
}

TSketchDocument::~TSketchDocument() {
    // Curves go before the blocks their caches point into.
    DestroyComponents();
}

bool TSketchDocument::GetMIDSubst() const { return FBlocks->MainIDSubst; }

void TSketchDocument::SetMIDSubst(bool value) {
    if (FBlocks->MainIDSubst == value) return;
    FBlocks->MainIDSubst = value;
    if (IsLoading()) return;
    FRebuildCaches = true;
    NotifyViews(dcData);
    NotifyViews(dcProperty);
}

void TSketchDocument::RegisterGroups(QStringList& groups, bool ignoreEmptyGroup) {
    WalkTree(this, [&](TPrintItem* item) {
        auto* data = qobject_cast<TPrintDBItem*>(item);
        if (!data) return;
        const QString group = data->Group();
        if (ignoreEmptyGroup && group.isEmpty()) return;
        if (!groups.contains(group)) groups << group;
    });
}

void TSketchDocument::RegisterParams(const QString& source, const QString& group, QStringList& params) {
    WalkTree(this, [&](TPrintItem* item) {
        if (auto* data = qobject_cast<TPrintDBItem*>(item)) data->RegisterParams(source, group, params);
    });
}

void TSketchDocument::SetLoading(bool value) {
    if (value) {
        FDocState.Include(TSketchDocStateItem::dsLoading);
        // The manager is about to replace blocks the caches point into.
        DropDataCaches();
    } else {
        FLoadedFromForm = false;
        FSaveData = false;
        PrepareDocument();
        FDocState.Exclude(TSketchDocStateItem::dsLoading);
    }
    NotifyViews(dcData);
    NotifyViews(dcProperty);
}

QString TSketchDocument::GetParamValue(const QString& srcID, const QString& blockName, const QString& id,
                                       const QString& groupName) const {
    QString value;
    for (int i = 0; i < FBlocks->Count(); ++i) {
        const TDataBlock* block = FBlocks->GetBlock(i);
        if (block->SourceID() != srcID || block->Name() != blockName || block->Group() != groupName) continue;
        const auto* column = qobject_cast<const TStringDataSegment*>(block->GetDataSegment(id));
        value = column && column->GetCount() > 0 ? column->GetAsString(0) : QString();
    }
    return value;
}

void TSketchDocument::AdjustDataRange() {
    FMin = 2147483647;
    FMax = 0;
    for (int i = 0; i < FBlocks->Count(); ++i) {
        const TDataBlock* block = FBlocks->GetBlock(i);
        if (block->MainID().isEmpty() || block->GetRecordCount() < 1) continue;
        if (block->Start() < FMin) FMin = block->Start();
        if (block->Stop() > FMax) FMax = block->Stop();
    }
    if (FMin > FMax) FMin = FMax;
}

void TSketchDocument::SetBlocks(const TDataBlockList& value) {
    DropDataCaches();
    FBlocks->Assign(&value);
    FBlocks->MainIDSubst = value.MainIDSubst;
    FRebuildCaches = true;
}

void TSketchDocument::DropDataCaches() {
    Enum([](TPrintItem* item) {
        if (auto* data = qobject_cast<TPrintDBItem*>(item)) data->DropDataReferences();
    });
}

void TSketchDocument::Loaded() {
    TPrintDocument::Loaded();
    if (FBlocks->Count() > 0) {
        FDocState.Include(TSketchDocStateItem::dsLoading);
        FLoadedFromForm = true;
    }
    FSaveData = false;
}

bool TSketchDocument::AcceptItem(TPrintItem* item) const {
    if (!item) return false;
    // Curves and comments live inside tracks.
    if (qobject_cast<TPrintSeries*>(item) || item->inherits("Plotmere::TPrintComment") ||
        item->inherits("Plotmere::TPrintCommentsRoot"))
        return false;
    return true;
}

void TSketchDocument::Clear() {
    TPrintDocument::Clear();
    FMin = 0;
    FMax = 0;
    FScale = 1;
    FShowBottomHeader = false;
    FStep = 0;
}

bool TSketchDocument::Setup(TRenderDevice* device) {
    if (!RunItemSetupDialog(*this, device)) return false;
    NotifyViews(dcProperty);
    return true;
}

QString TSketchDocument::GetSysVar(int index) const {
    const bool time = FDataClass == 0;
    switch (index) {
    case 7:
        return QStringLiteral("1:") + FormatFloat(QStringLiteral("0.##"), time ? 1 / (FScale * 24) : FScale * 1000);
    case 8:
        if (time)
            return FormatDateTime(QStringLiteral("dd.mm.yy h:nn"), FMin) + QStringLiteral(" - ") +
                   FormatDateTime(QStringLiteral("dd.mm.yy h:nn"), FMax);
        return FormatFloat(QStringLiteral("0.##"), FMin) + QStringLiteral(" - ") +
               FormatFloat(QStringLiteral("0.##"), FMax);
    case 9: return FormatFloat(QStringLiteral("0.##"), time ? FStep * 24 * 60 : FStep);
    default: return TPrintDocument::GetSysVar(index);
    }
}

void TSketchDocument::PrepareDocument() {
    if (GetLoading() && !FLoadedFromForm) AdjustDataRange();
    TPrintDocument::PrepareDocument();
    FRebuildCaches = false;
    if (FLoadedFromForm) FDocState.Exclude(TSketchDocStateItem::dsLoading);
}

void TSketchDocument::Save(const QString& fileName) {
    {
        const QScopedValueRollback writing(FWritingFile, true);
        TPrintDocument::Save(fileName);
    }
    FSaveData = false;
}

TPrintField* TSketchDocument::FirstField() const {
    TPrintField* found = nullptr;
    WalkTree(const_cast<TSketchDocument*>(this), [&](TPrintItem* item) {
        if (!found) found = qobject_cast<TPrintField*>(item);
    });
    return found;
}

double TSketchDocument::GetCurrentPosition(TSketchView* view) const {
    const TPrintField* field = FirstField();
    if (!field || !view) return NaN;
    return field->PrjVertMMToValue(view->GetPosition());
}

double TSketchDocument::DoJumpToPosition(TSketchView* view, double value) {
    const TPrintField* field = FirstField();
    if (!field || !view) return NaN;
    const double old = GetCurrentPosition(view);
    view->SetPosition(field->PrjVertValueToMM(value));
    return old;
}

bool TSketchDocument::SamePosition(TSketchView* view, double a, double b) const {
    const double pixel = view ? std::abs(view->Device().VPixelsToMM(1)) * FScale : 0;
    return std::abs(a - b) <= pixel;
}

bool TSketchDocument::AddHistory(double value) {
    if (!FJumpHistory.empty() && FJumpHistory.back() == value) return false;
    FJumpHistory.push_back(value);
    return true;
}

void TSketchDocument::JumpToPosition(TSketchView* view, double position) {
    const double old = DoJumpToPosition(view, position);
    if (std::isnan(old)) return;
    if (AddHistory(old)) ++FJumpIndex;
    if (AddHistory(GetCurrentPosition(view))) ++FJumpIndex;
}

void TSketchDocument::JumpBack(TSketchView* view) {
    if (FJumpIndex <= 0 || !FirstField()) return;
    if (FJumpIndex > 1 && SamePosition(view, GetCurrentPosition(view), FJumpHistory[size_t(FJumpIndex - 1)]))
        --FJumpIndex;
    const double left = DoJumpToPosition(view, FJumpHistory[size_t(FJumpIndex - 1)]);
    if (FJumpIndex == int(FJumpHistory.size())) AddHistory(left);
    --FJumpIndex;
}

void TSketchDocument::JumpForward(TSketchView* view) {
    if (FJumpIndex >= int(FJumpHistory.size()) || !FirstField()) return;
    ++FJumpIndex;
    if (FJumpIndex < int(FJumpHistory.size()) &&
        SamePosition(view, GetCurrentPosition(view), FJumpHistory[size_t(FJumpIndex - 1)]))
        ++FJumpIndex;
    DoJumpToPosition(view, FJumpHistory[size_t(FJumpIndex - 1)]);
}

void TSketchDocument::JumpToMarker(TSketchView* view, int index) {
    const double mark = GetBookmark(index);
    if (!std::isnan(mark)) JumpToPosition(view, mark);
}

void TSketchDocument::SetMarker(TSketchView* view, int index) {
    if (index < 0 || index > 9) return;
    const double position = GetCurrentPosition(view);
    if (std::isnan(position)) return;
    FBookmarks[size_t(index)] = position;
    UpdateViews(false);
}

double TSketchDocument::GetBookmark(int index) const {
    return index < 0 || index > 9 ? NaN : FBookmarks[size_t(index)];
}

void TSketchDocument::PostRender(TRenderDevice& device) {
    TPrintDocument::PostRender(device);
    auto* screen = dynamic_cast<TScreenDevice*>(&device);
    const TPrintField* field = FirstField();
    if (!screen || device.DeviceType != dtScreen || !field || !device.Canvas()) return;
    QPainter& canvas = *device.Canvas();
    canvas.save();
    canvas.setClipping(false);
    canvas.resetTransform();
    canvas.setPen(QPen(ColorToQColor(TColor(BookmarkPenColor)), 1));
    canvas.setBrush(ColorToQColor(TColor(BookmarkBrushColor)));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);  // 8 points at 96 dots per inch
    font.setBold(true);
    canvas.setFont(font);
    for (int i = 0; i < 10; ++i) {
        const double mark = FBookmarks[size_t(i)];
        if (std::isnan(mark)) continue;
        const QPoint p = screen->AbsPrj(0, field->PrjVertValueToMM(mark));
        canvas.drawEllipse(QRect(QPoint(p.x() - 17, p.y()), QPoint(p.x() - 1, p.y() + 16)));
        const QString number = QString::number(i);
        const int w = canvas.fontMetrics().horizontalAdvance(number);
        canvas.drawText(QPoint(p.x() - 8 - w / 2, p.y() + 2 + canvas.fontMetrics().ascent()), number);
    }
    canvas.restore();
}

WK_REGISTER_CLASS(TSketchDocument)

}  // namespace Plotmere
