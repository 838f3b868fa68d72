#pragma once
// The real-time chart of user forms: its series follow live arrays of the
// secondary stream list; every poll slides the X window to the newest data.
#include "Kurvex.h"
#include "WKControlDesign.h"
#include "WKServices.h"
#include "fr_ChartSeries.h"

#pragma GCC visibility push(default)

class TWKChart : public TGraphion,
                 public IControlDesign,
                 public IControlDesignEx,
                 public IWKParameterContext,
                 public IWKNotification {
    Q_OBJECT
    Q_INTERFACES(IControlDesign IControlDesignEx IWKParameterContext)
    Q_PROPERTY(QString StreamSuffix READ StreamSuffix WRITE SetStreamSuffix)
public:
    Q_INVOKABLE explicit TWKChart(QObject* AOwner = nullptr);
    ~TWKChart() override;

    void Loaded() override;
    // The series without the comment series: comments are notes of the
    // running session and are not kept with the form.
    void GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) override;
    void Notify(TServiceEvent Event, void* Sender) override;
    // Every series binds again at its next paint or update.
    void BindData();
    // Formula series recompute; the X window slides to the newest data.
    void UpdateData();
    void SetIsDateTime(bool IsDateTime) override;
    void Setup() override;
    bool GetSensorDescriptor(TSensDescr& Descr) override;
    // The grid of the statistics dialog over the selection [Start, Stop]:
    // header row, then one row per series (name, minimum, maximum, mean).
    QList<QStringList> Statistics(double Start, double Stop) const;
    // The statistics dialog over the current selection; nothing without
    // series or without both ends of a selection.
    void ShowStatDialog();

    QString StreamSuffix() const { return FStreamSuffix; }
    void SetStreamSuffix(const QString& Value) { FStreamSuffix = Value; }
    bool FirstUpdatePending() const { return FFirstUpdate; }

protected:
    bool WKMessage(TWKMessage& msg) override;
    // The shortcuts of the chart's popup menu work while the chart has the focus.
    void keyPressEvent(QKeyEvent* e) override;

private:
    // The chart menus of dmControlRes, when it exists: pmChart on the chart
    // and its plot areas, pmScale on the X scale and on every value scale.
    void AttachMenus();
    // A completed selection: out of selection mode, the statistics, then the
    // selection cleared.
    void SelectionChanged();
    QString FStreamSuffix;
    bool FFirstUpdate = false;
    bool FRegistered = false;
};

#pragma GCC visibility pop
