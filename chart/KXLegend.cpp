#include "KXLegend.h"

#include "Kurvex.h"
#include "Messages.h"

#include <QPainter>
#include <exception>

namespace {
constexpr int IconSize = 16;

QIcon ChartIcon() {
    QPixmap pm(IconSize, IconSize);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setPen(Qt::darkBlue);
    p.drawRect(1, 1, IconSize - 3, IconSize - 3);
    p.drawPolyline(QPolygon({QPoint(3, 11), QPoint(6, 6), QPoint(9, 9), QPoint(12, 3)}));
    return QIcon(pm);
}

QIcon FieldIcon() {
    QPixmap pm(IconSize, IconSize);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setPen(Qt::darkGray);
    p.drawRect(2, 2, IconSize - 5, IconSize - 5);
    return QIcon(pm);
}

QIcon ScaleIcon() {
    QPixmap pm(IconSize, IconSize);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawLine(4, 1, 4, IconSize - 2);
    for (int y = 2; y < IconSize - 1; y += 3) p.drawLine(4, y, 8, y);
    return QIcon(pm);
}

// A node keeps a guarded reference: an object freed while the legend did not hear of
// it (the chart was locked) leaves a node that shows nothing and renames nothing.
class TLegendNode : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    QPointer<QObject> Object;
};

QString CaptionOf(QObject* o) {
    if (auto* c = qobject_cast<TGraphion*>(o)) return c->Caption();
    if (auto* f = qobject_cast<TChartField*>(o)) return f->Caption();
    if (auto* s = qobject_cast<TScale*>(o)) return s->Caption();
    if (auto* s = qobject_cast<TSeries*>(o)) return s->Caption();
    return {};
}

void SetCaptionOf(QObject* o, const QString& text) {
    if (auto* c = qobject_cast<TGraphion*>(o)) c->SetCaption(text);
    else if (auto* f = qobject_cast<TChartField*>(o)) f->SetCaption(text);
    else if (auto* s = qobject_cast<TScale*>(o)) s->SetCaption(text);
    else if (auto* s = qobject_cast<TSeries*>(o)) s->SetCaption(text);
}
}  // namespace

TGraphionLegend::TGraphionLegend(QWidget* AOwner) : QTreeWidget(AOwner) {
    setHeaderHidden(true);
    setColumnCount(1);
    setIconSize(QSize(IconSize, IconSize));
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    connect(this, &QTreeWidget::itemChanged, this, &TGraphionLegend::NodeEdited);
}

TGraphionLegend::~TGraphionLegend() {
    if (FChart && FChart->Legend() == this) FChart->SetLegend(nullptr);
}

QObject* TGraphionLegend::NodeObject(const QTreeWidgetItem* Node) {
    const auto* n = dynamic_cast<const TLegendNode*>(Node);
    return n ? n->Object.data() : nullptr;
}

void TGraphionLegend::SetChart(TGraphion* Value) {
    if (FChart && FChart->Legend() == this) FChart->SetLegend(nullptr);
    FChart = Value;
    FChartRaw = Value;
    Rebuild();
    if (Value) Value->SetLegend(this);
}

bool TGraphionLegend::event(QEvent* e) {
    if (TWKMessage::IsWKMessage(e)) {
        auto* m = static_cast<TWKMessage*>(e);
        if (m->Msg() == CM_CHARTDESTROYED) {
            ChartDestroyed(static_cast<TGraphion*>(m->WParam().value<QObject*>()));
            m->Handled = true;
            return true;
        }
        if (m->Msg() == CM_CHARTCHANGED) {
            Rebuild();
            m->Handled = true;
            return true;
        }
    }
    return QTreeWidget::event(e);
}

void TGraphionLegend::ChartDestroyed(TGraphion* Chart) {
    if (Chart != FChartRaw) return;
    FChart = nullptr;
    FChartRaw = nullptr;
    FBuilding = true;
    clear();
    FBuilding = false;
}

QIcon TGraphionLegend::SeriesIcon(QObject* Series) const {
    auto* s = qobject_cast<TSeries*>(Series);
    QPixmap pm(IconSize, IconSize);
    pm.fill(Qt::white);
    if (!s || !FChart) return QIcon(pm);
    QPainter p(&pm);
    const QRect box(0, 0, IconSize, IconSize);
    if (TChartField* f = FChart->Fields().FindItemID(s->FieldID())) f->PaintIcon(p, box);
    s->PaintIcon(p, box);
    return QIcon(pm);
}

void TGraphionLegend::Rebuild() {
    FBuilding = true;
    setUpdatesEnabled(false);
    clear();
    TGraphion* chart = FChart;
    if (chart) {
        auto node = [](TLegendNode* n, QObject* o, const QString& text, const QIcon& icon) {
            n->setText(0, text);
            n->setIcon(0, icon);
            n->Object = o;
            n->setFlags(n->flags() | Qt::ItemIsEditable);
            return n;
        };
        auto* root = node(new TLegendNode(this), chart, chart->Caption(), ChartIcon());
        auto addSeries = [&](QTreeWidgetItem* parent, TSeries* s) {
            try {
                node(new TLegendNode(parent), s, s->Caption(), SeriesIcon(s));
            } catch (const std::exception&) {
            }
        };
        for (int i = 0; i < chart->Fields().Count(); ++i) {
            TChartField* f = chart->Fields().Items(i);
            auto* fn = node(new TLegendNode(root), f, f->Caption(), FieldIcon());
            for (int k = 0; k < chart->GetSeriesCount(); ++k) {
                TSeries* s = chart->GetSeries(k);
                if (s->FieldID() == f->ID() && s->ScaleID() == -1) addSeries(fn, s);
            }
            for (int j = 0; j < f->Scales().Count(); ++j) {
                TScale* sc = f->Scales().Items(j);
                auto* sn = node(new TLegendNode(fn), sc, sc->Caption(), ScaleIcon());
                for (int k = 0; k < chart->GetSeriesCount(); ++k) {
                    TSeries* s = chart->GetSeries(k);
                    if (s->FieldID() == f->ID() && s->ScaleID() == sc->ID()) addSeries(sn, s);
                }
            }
        }
        expandAll();
        setCurrentItem(root);
    }
    setUpdatesEnabled(true);
    FBuilding = false;
}

QTreeWidgetItem* TGraphionLegend::FindNode(QObject* Obj) const {
    if (!Obj) return nullptr;
    for (QTreeWidgetItemIterator it(const_cast<TGraphionLegend*>(this)); *it; ++it)
        if (NodeObject(*it) == Obj) return *it;
    return nullptr;
}

void TGraphionLegend::ObjectTextChanged(QObject* Obj) {
    QTreeWidgetItem* n = FindNode(Obj);
    if (!n) return;
    FBuilding = true;
    n->setText(0, CaptionOf(Obj));
    if (qobject_cast<TSeries*>(Obj)) n->setIcon(0, SeriesIcon(Obj));
    FBuilding = false;
}

void TGraphionLegend::NodeEdited(QTreeWidgetItem* Node, int) {
    if (FBuilding || !FChart) return;
    const QString text = Node->text(0);
    QObject* o = NodeObject(Node);
    if (!o) return;
    if (text.isEmpty()) {
        FBuilding = true;
        Node->setText(0, CaptionOf(o));
        FBuilding = false;
        return;
    }
    SetCaptionOf(o, text);
}

void TGraphionLegend::SelectObject(QObject* Obj) {
    if (QTreeWidgetItem* n = FindNode(Obj)) setCurrentItem(n);
}
