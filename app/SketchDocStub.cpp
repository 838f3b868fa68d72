#include "SketchDocStub.h"

#include "ReviewSeries.h"
#include "fm_Review.h"

using namespace Plotmere;

TReviewDataDocument::TReviewDataDocument(TfmReview* form) : FBlocks(std::make_unique<TDataBlockList>()), FForm(form) {}

TReviewDataDocument::~TReviewDataDocument() = default;

void TReviewDataDocument::SetBlocks(std::unique_ptr<TDataBlockList> blocks) {
    FBlocks = blocks ? std::move(blocks) : std::make_unique<TDataBlockList>();
}

void TReviewDataDocument::RegisterParams(const QString& id, const QString& group, QStringList& list) {
    TGraphion* chart = FForm ? FForm->Chart() : nullptr;
    if (!chart) return;
    for (int i = 0; i < chart->GetSeriesCount(); ++i) {
        TSeries* s = chart->GetSeries(i);
        if (auto* formula = qobject_cast<TExpressionLineSeries*>(s)) {
            formula->RegisterParams(id, group, list);
        } else if (auto* review = qobject_cast<TWKReviewBaseSeries*>(s)) {
            if (review->SourceID() == id) list.append(review->ID().toString());
        }
    }
}
