#include "fr_Chart.h"

#include "ClassRegistry.h"
#include "ConvSys.h"
#include "DebugOutput.h"
#include "EditControls.h"
#include "Formatting.h"
#include "Menus.h"
#include "ModalDialogs.h"
#include "WKConsts.h"
#include "WKDataStructures.h"
#include "dlg_ChartStatistic.h"
#include "dlg_SetupChart.h"
#include "dm_ControlRes.h"
#include "fr_Align.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMenu>
#include <cmath>

TWKChart::TWKChart(QObject* AOwner) : TGraphion(AOwner) {
    setFocusPolicy(Qt::StrongFocus);
    XScale()->SetCaption(QString());
    SetColor(clWhite);
    if (Fields().Count() == 0) Fields().Add();
    AttachMenus();
    OnSelectionChanged = [this] { SelectionChanged(); };
    if (SecondaryServices) {
        SecondaryServices->AddNotification(this);
        FRegistered = true;
    }
}

TWKChart::~TWKChart() {
    if (FRegistered && SecondaryServices) SecondaryServices->RemoveNotification(this);
}

void TWKChart::Loaded() {
    TGraphion::Loaded();
    if (Fields().Count() == 0) Fields().Add();
    AttachMenus();
    SetHint(QString());
}

void TWKChart::GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) {
    TGraphion::GetChildren(
        [&proc](TComponentBase* c) {
            if (!dynamic_cast<TWKCommentSeries*>(c)) proc(c);
        },
        root);
}

void TWKChart::AttachMenus() {
    if (TPopupMenu* menu = ChartMenu()) SetPopupMenu(menu);
    TPopupMenu* scaleMenu = ScaleMenu();
    if (!scaleMenu) return;
    XScale()->SetPopupMenu(scaleMenu);
    // Stored forms need not name the menu of their value scales: every strip gets it.
    for (int f = 0; f < Fields().Count(); ++f) {
        TScales& scales = Fields().Items(f)->Scales();
        for (int s = 0; s < scales.Count(); ++s) scales.Items(s)->SetPopupMenu(scaleMenu);
    }
}

void TWKChart::Notify(TServiceEvent Event, void*) {
    if (Event == seBindStreams) BindData();
    else if (Event == sePoll) UpdateData();
}

void TWKChart::BindData() {
    for (int i = 0; i < GetSeriesCount(); ++i)
        if (auto* s = qobject_cast<TWKChartBaseSeries*>(GetSeries(i))) s->ClearLinks();
    FFirstUpdate = true;
}

namespace {
bool SameLimit(double A, double B) {
    const double tolerance = std::max(1e-12, 1e-12 * std::min(std::fabs(A), std::fabs(B)));
    return std::fabs(A - B) <= tolerance;
}
}  // namespace

void TWKChart::UpdateData() {
    double mn = NAN, mx = NAN;
    for (int i = 0; i < GetSeriesCount(); ++i) {
        auto* s = qobject_cast<TWKChartSeries*>(GetSeries(i));
        if (!s) continue;
        try {
            s->UpdateData(false);
            if (!s->Link()) continue;
            double a, b;
            s->GetMinMaxXValues(a, b);
            if (std::isnan(a) || std::isnan(b)) continue;
            mn = std::isnan(mn) ? a : std::min(mn, a);
            mx = std::isnan(mx) ? b : std::max(mx, b);
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TWKChart.UpdateData: %1").arg(QString::fromUtf8(e.what())));
        }
    }
    if (std::isnan(mn) || std::isnan(mx) || mx <= mn) return;
    TScale& xs = *XScale();
    const double span = std::max(xs.AsDateTime() ? 3.0 : 5000.0, mx - mn);
    const double low = mx - span;
    if (SameLimit(xs.MinLimit(), low) && SameLimit(xs.MaxLimit(), mx)) return;
    xs.SetLimits(low, mx, true);
    if (FFirstUpdate) {
        // The visible window is placed so that it ends at the newest record
        // (an offset that would put it before the lower limit is ignored).
        xs.SetDataOffset(mx - (xs.Max() - xs.Min()) - xs.MinLimit());
        FFirstUpdate = false;
    }
}

bool TWKChart::WKMessage(TWKMessage& msg) {
    if (msg.Msg() != WM_WELLCHANGED) return TGraphion::WKMessage(msg);
    FStreamSuffix = msg.LParam().toString();
    msg.Handled = true;
    return true;
}

void TWKChart::keyPressEvent(QKeyEvent* e) {
    auto* menu = qobject_cast<TPopupMenu*>(PopupMenu());
    const QKeySequence key(e->keyCombination());
    if (menu)
        for (QAction* item : menu->Menu()->actions())
            if (!item->shortcut().isEmpty() && item->shortcut() == key && item->isEnabled()) {
                menu->SetPopupComponent(this);
                item->trigger();
                e->accept();
                return;
            }
    TGraphion::keyPressEvent(e);
}

void TWKChart::SetIsDateTime(bool IsDateTime) { XScale()->SetAsDateTime(IsDateTime); }

void TWKChart::Setup() {
    TdlgSetupChart dlg;
    dlg.frAlign->SetCtlAlign(Align());
    dlg.cbVert->setChecked(Orientation() == coVertical);
    dlg.cbTime->setChecked(XScale()->AsDateTime());
    dlg.rgInner->SetItemIndex(BevelInner());
    dlg.rgOuter->SetItemIndex(BevelOuter());
    dlg.cbBorder->setChecked(BorderStyle() == TPanel::bsSingle);
    dlg.cd.Color = Color();
    if (ShowModal(dlg) != mrOk) return;
    SetAlign(dlg.frAlign->GetCtlAlign());
    SetBevelInner(TPanel::TBevelCut(std::max(dlg.rgInner->ItemIndex(), 0)));
    SetBevelOuter(TPanel::TBevelCut(std::max(dlg.rgOuter->ItemIndex(), 0)));
    SetBorderStyle(dlg.cbBorder->isChecked() ? TPanel::bsSingle : TPanel::bsNone);
    SetColor(dlg.cd.Color);
    SetOrientation(dlg.cbVert->isChecked() ? coVertical : coHorizontal);
    const bool time = dlg.cbTime->isChecked();
    XScale()->SetAsDateTime(time);
    if (time) {
        const double now = Now();
        XScale()->SetMinMax(now, now + 1.0 / 12);
    } else {
        XScale()->SetMinMax(0, 100);
    }
}

bool TWKChart::GetSensorDescriptor(TSensDescr& Descr) {
    try {
        TPopupMenu* menu = XScale()->PopupMenu();
        auto* strip = menu ? qobject_cast<TScaleControl*>(menu->PopupComponent()) : nullptr;
        if (!strip || !qobject_cast<TFieldControl*>(strip->parentWidget()) || !strip->ParentScale()) return false;
        TScale* scale = strip->ParentScale();
        const TChartField* field = GetScaleField(scale);
        for (int i = 0; i < GetSeriesCount(); ++i) {
            auto* s = qobject_cast<TWKChartBaseSeries*>(GetSeries(i));
            if (!s || !field || s->FieldID() != field->ID() || s->ScaleID() != scale->ID()) continue;
            Descr = GetSensDescr(s->GID(), QString());
            return true;
        }
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TWKChart.GetSensorDescriptor: %1").arg(QString::fromUtf8(e.what())));
    }
    // No series on the strip: nothing for a context action to act on.
    return false;
}

namespace {
// A series' row in the statistics: a sensor by its descriptor's name and units, a
// formula by its own title (the formula's name), else by its text; the descriptor
// of a formula's GID would name the time sensor.
QString StatisticsName(const TWKChartBaseSeries& s) {
    auto named = [](const QString& name, const QString& units) {
        return units.isEmpty() ? name : name + QStringLiteral(" (") + units + QLatin1Char(')');
    };
    QString formula;
    if (auto* line = qobject_cast<const TWKExpressionSeries*>(&s)) formula = line->FormulaText();
    else if (auto* marks = qobject_cast<const TWKDigitalExpressionSeries*>(&s)) formula = marks->FormulaText();
    else {
        const TSensDescr d = GetSensDescr(s.GID(), QString());
        return named(d.Name, d.Units);
    }
    return named(s.Caption().isEmpty() ? formula : s.Caption(), s.Units());
}
}  // namespace

QList<QStringList> TWKChart::Statistics(double Start, double Stop) const {
    QList<QStringList> rows;
    rows.append({QStringLiteral("Параметр"), QStringLiteral("Минимум"), QStringLiteral("Максимум"),
                 QStringLiteral("Среднее")});
    if (Start > Stop) std::swap(Start, Stop);
    for (int k = 0; k < GetSeriesCount(); ++k) {
        QStringList row(4);
        auto* s = qobject_cast<TWKChartBaseSeries*>(GetSeries(k));
        if (s && s->Link()) {
            row[0] = StatisticsName(*s);
            double mn = INFINITY, mx = -INFINITY, sum = 0;
            int n = 0;
            for (int i = 0; i < s->RecordCount(); ++i) {
                const double x = s->XData()->GetValue(i), y = s->YData()->GetValue(i);
                if (x < Start || x > Stop || std::isnan(y)) continue;
                mn = std::min(mn, y);
                mx = std::max(mx, y);
                sum += y;
                ++n;
            }
            if (n > 0) {
                const int digits = std::max(0, s->Precision());
                auto text = [digits](double v) { return FloatToStrFixed7(v, digits); };
                row[1] = text(mn);
                row[2] = text(mx);
                row[3] = text(sum / n);
            }
        }
        rows.append(row);
    }
    return rows;
}

void TWKChart::ShowStatDialog() {
    if (GetSeriesCount() == 0 || std::isnan(SelectionStart()) || std::isnan(SelectionStop())) return;
    TdlgChartStatistic dlg;
    dlg.SetRows(Statistics(SelectionStart(), SelectionStop()));
    ShowModal(dlg);
}

void TWKChart::SelectionChanged() {
    SetSelectionMode(false);
    SetHint(QString());
    try {
        ShowStatDialog();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TWKChart.SelectionChanged: %1").arg(QString::fromUtf8(e.what())));
    }
    SetSelection(NAN, NAN);
}

WK_REGISTER_CLASS(TWKChart)
