#include "fm_Review.h"

#include "ClassRegistry.h"
#include "DebugOutput.h"
#include "FormsHost.h"
#include "Kurvex.h"
#include "SketchDLLMan.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "dm_CommonRes.h"

using namespace Plotmere;

WK_REGISTER_CLASS(TfmReview)

TfmReview::TfmReview(QObject* owner) : TBaseMDIForm(owner), FDocument(std::make_unique<TReviewDataDocument>(this)) {
    SetColor(clWhite);
}

TfmReview::~TfmReview() {
    // The series' runs point into the document's blocks.
    ForEachReviewSeries([](TWKReviewBaseSeries& s) { s.ClearCache(); });
    try {
        FDocument.reset();
    } catch (...) {
        OutputDebugString(QStringLiteral("Plotmere TfmReview.Destroy exception"));
    }
}

TGraphion* TfmReview::Chart() const {
    const QList<TControl*> children = Controls();
    return children.isEmpty() ? nullptr : qobject_cast<TGraphion*>(children.first());
}

TGraphion* TfmReview::CreateChart() {
    TdmCommonRes& res = dmCommonRes();
    auto* chart = new TGraphion(this);
    chart->SetParentWidget(this);
    chart->SetPopupMenu(res.pmField);
    chart->XScale()->SetPopupMenu(res.pmScale);
    chart->SetBorderWidth(0);
    chart->SetAlign(TControl::alClient);
    chart->XScale()->SetCaption(QString());
    chart->setFocusPolicy(Qt::StrongFocus);
    chart->SetColor(clWhite);
    return chart;
}

bool TfmReview::IsDateTime() const {
    const TGraphion* chart = Chart();
    return chart && chart->XScale()->AsDateTime();
}

void TfmReview::SetIsDateTime(bool value) {
    if (TGraphion* chart = Chart()) chart->XScale()->SetAsDateTime(value);
    FDocument->SetDataClass(value ? 0 : 1);
}

void TfmReview::Loaded() {
    TBaseMDIForm::Loaded();
    if (Chart()) FDocument->SetDataClass(IsDateTime() ? 0 : 1);
}

void TfmReview::ForEachReviewSeries(const std::function<void(TWKReviewBaseSeries&)>& proc) const {
    const TGraphion* chart = Chart();
    if (!chart) return;
    for (int i = 0; i < chart->GetSeriesCount(); ++i)
        if (auto* s = qobject_cast<TWKReviewBaseSeries*>(chart->GetSeries(i))) proc(*s);
}

void TfmReview::LoadData() {
    Welvista::TPluginManager& plugins = Welvista::PluginManager();
    if (plugins.GetSysCount() == 0 && plugins.GetSrcCount() == 0) {
        MessageDlg(SNoDataPlugins, mtInformation, mbOK);
        return;
    }
    // The runs keep guarded pointers into the blocks: a block that a load
    // replaces drops out of them, and a load that fails leaves the others
    // drawn. Either way the runs are made again from the blocks there are.
    QStringList failures;
    try {
        if (!plugins.Load(*FDocument, false)) return;
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TfmReview.LoadData: %1").arg(ExceptionMessage(e)));
        failures << ExceptionMessage(e);
    }
    double mn = 2147483647.0, mx = -2147483647.0;
    const TDataBlockList& blocks = FDocument->Blocks();
    for (int i = 0; i < blocks.Count(); ++i) {
        const TDataBlock* b = blocks.GetBlock(i);
        if (b->Start() == b->Stop() || b->SystemID() == b->SourceID()) continue;
        // A log recorded upwards may give its range either way round.
        mn = std::min(mn, std::min(b->Start(), b->Stop()));
        mx = std::max(mx, std::max(b->Start(), b->Stop()));
    }
    ForEachReviewSeries([&](TWKReviewBaseSeries& s) {
        try {
            s.CacheRanges(mn, mx);
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TfmReview.LoadData: %1: %2").arg(s.Caption(), ExceptionMessage(e)));
            failures << ExceptionMessage(e);
        }
    });
    TGraphion* chart = Chart();
    // With no block in range the X scale keeps its limits.
    if (chart && mn <= mx) chart->XScale()->SetLimits(mn, mx, false);
    if (chart) chart->ForceRepaint();
    failures.removeDuplicates();
    if (!failures.isEmpty()) MessageDlg(failures.join(QLatin1Char('\n')), mtError, mbOK);
    else if (mn > mx) MessageDlg(SNoReviewData, mtInformation, mbOK);
}

TfmReview* CreateReviewForm(bool isDateTime, double xMin, double xMax, QObject* owner) {
    auto* form = new TfmReview(owner);
    TGraphion* chart = form->CreateChart();
    chart->Fields().Add();
    form->SetIsDateTime(isDateTime);
    chart->XScale()->SetMinMax(xMin, xMax);
    return form;
}

namespace {
// The main window asks the form kinds through these.
const bool HooksInstalled = [] {
    TFormKindHooks& hooks = FormKindHooks();
    hooks.IsReviewForm = [](TBaseMDIForm* form) { return qobject_cast<TfmReview*>(form) != nullptr; };
    hooks.LoadData = [](TBaseMDIForm* form) {
        if (auto* review = qobject_cast<TfmReview*>(form)) review->LoadData();
    };
    return true;
}();
}  // namespace
