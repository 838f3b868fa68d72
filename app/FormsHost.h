#pragma once
// What the form kinds and the gallery need of the main window, and what the
// main window asks of the form kinds it does not know itself. The main
// window implements the host; the units of the form kinds install their
// hooks when they are linked in.
#include <QRect>
#include <QString>
#include <functional>

#pragma GCC visibility push(default)

class QWidget;
class TBaseMDIForm;
class TWKChart;

class IWKFormsHost {
public:
    virtual ~IWKFormsHost() = default;
    // The main window's frame (new forms are placed below it).
    virtual QRect HostBounds() const = 0;
    virtual QWidget* HostWindow() = 0;
    // Opens a composite form, a desktop or a form file by its extension.
    virtual void OpenFile(const QString& fileName) = 0;
    // The open dialog for composite forms (.wkf); false when cancelled.
    virtual bool ChooseComplexFormFile(QString& fileName) = 0;
    // The form commands act on the active page's form (docked mode).
    virtual void ApplyActiveFormRule() = 0;
};

struct TFormKindHooks {
    // A composite form made from a user form file (.wkf).
    std::function<TBaseMDIForm*(const QString& fileName)> CreateComplexForm;
    // The new-form gallery.
    std::function<void(IWKFormsHost& host)> NewForm;
    // A recorded-data review form on time or depth, with its chart and its X
    // range set; the gallery lists its review entries only when this is set.
    std::function<TBaseMDIForm*(bool isDateTime)> CreateReviewForm;
    // The chart popup's add-series command on a chart: a new chart form opens
    // it so that the user picks the parameters at once. Unset: the form opens
    // with an empty chart.
    std::function<void(TWKChart* chart)> AddChartSeries;
    // The recorded-data review: whether a form is one, and its data loading.
    std::function<bool(TBaseMDIForm* form)> IsReviewForm;
    std::function<void(TBaseMDIForm* form)> LoadData;
    // The shared scale toggle of charts: whether the form offers it, and the toggle.
    std::function<bool(TBaseMDIForm* form)> HasChart;
    std::function<void(TBaseMDIForm* form)> ToggleScales;
};

// The hooks in force; units fill in their members at start-up.
TFormKindHooks& FormKindHooks();

#pragma GCC visibility pop
