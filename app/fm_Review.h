#pragma once
// The review form: a monitoring form with one chart whose series draw recorded
// data that the workstation's plug-in manager loads into the form's data document.
#include "ReviewSeries.h"
#include "SketchDocStub.h"
#include "fm_BaseMDIForm.h"

#include <memory>

#pragma GCC visibility push(default)

class TGraphion;

inline const QString SNoDataPlugins =
    QStringLiteral("Модули источников данных не найдены: в папке Plugins программы нет подключаемых модулей");
inline const QString SNoReviewData = QStringLiteral("Источники данных не вернули данных для графиков формы");

class TfmReview : public TBaseMDIForm, public ISketchDocInterface {
    Q_OBJECT
    Q_INTERFACES(ISketchDocInterface)
    Q_PROPERTY(bool IsDateTime READ IsDateTime WRITE SetIsDateTime)
public:
    Q_INVOKABLE explicit TfmReview(QObject* owner = nullptr);
    ~TfmReview() override;

    // The form's chart: its first child control when that is a chart.
    TGraphion* Chart() const;
    // Creates the chart: client-aligned, white, the review popups.
    TGraphion* CreateChart();
    // Loads the recorded data of the chart's series and sets the X limits to
    // their range; a series that cannot be computed is reported and skipped.
    void LoadData();

    bool IsDateTime() const;
    void SetIsDateTime(bool value);

    TReviewDataDocument* GetDocument() override { return FDocument.get(); }
    // A read form takes its data class from its chart.
    void Loaded() override;

private:
    void ForEachReviewSeries(const std::function<void(TWKReviewBaseSeries&)>& proc) const;
    std::unique_ptr<TReviewDataDocument> FDocument;
};

// A new review form with its chart on time (isDateTime) or depth, the X range
// given; what the new-form gallery calls for its review entries.
TfmReview* CreateReviewForm(bool isDateTime, double xMin, double xMax, QObject* owner = nullptr);

#pragma GCC visibility pop
