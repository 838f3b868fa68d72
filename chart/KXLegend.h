#pragma once
// A tree that shows a chart's structure: the chart, its fields, their value
// scales and the series drawn on each; nodes can be renamed in place.
#include <QPointer>
#include <QTreeWidget>

#pragma GCC visibility push(default)

class TGraphion;

class TGraphionLegend : public QTreeWidget {
    Q_OBJECT
public:
    explicit TGraphionLegend(QWidget* AOwner = nullptr);
    ~TGraphionLegend() override;

    TGraphion* Chart() const { return FChart; }
    void SetChart(TGraphion* Value);
    void Rebuild();
    void SelectObject(QObject* Obj);
    // The chart is going away: forget it without touching it.
    void ChartDestroyed(TGraphion* Chart);
    // The caption of a shown object changed.
    void ObjectTextChanged(QObject* Obj);
    // The node that shows Obj, or null.
    QTreeWidgetItem* FindNode(QObject* Obj) const;
    static QObject* NodeObject(const QTreeWidgetItem* Node);

protected:
    // CM_CHARTDESTROYED forgets the chart, CM_CHARTCHANGED rebuilds the tree.
    bool event(QEvent* e) override;

private:
    void NodeEdited(QTreeWidgetItem* Node, int Column);
    QIcon SeriesIcon(QObject* Series) const;
    QPointer<TGraphion> FChart;
    TGraphion* FChartRaw = nullptr;
    bool FBuilding = false;
};

#pragma GCC visibility pop
