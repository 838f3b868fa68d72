#include "WKGauge.h"

#include "ClassRegistry.h"
#include "Exceptions.h"
#include "Formatting.h"
#include "Messages.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKGaugeDsgnSetup_u.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

TWKGauge::TWKGauge(QObject* owner) : TControl(owner), FPositionFont(new TFont(this)) {
    SetBounds(Left(), Top(), 200, 50);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Font()->SetStyle(TFont::fsBold);
    FPositionFont->SetColor(TColor(0xFF0000));
    FPositionFont->SetStyle(TFont::fsBold);
    // The bar keeps room for the value text: its font sets the bar's least height.
    connect(FPositionFont, &TPersistent::Changed, this, [this] {
        GetGaugeRect();
        update();
    });
    SetShowHint(true);
    MeasureTexts();
    GetGaugeRect();
    if (SecondaryServices) {
        SecondaryServices->AddNotification(this);
        FRegistered = true;
    }
    FGaugeState = gsNone;
}

TWKGauge::~TWKGauge() {
    if (FRegistered && SecondaryServices) SecondaryServices->RemoveNotification(this);
}

void TWKGauge::StoreColor(TColor& field, TColor v) {
    if (field == v) return;
    field = v;
    update();
}

void TWKGauge::SetBorderWidth(int v) {
    FBorderWidth = std::max(0, v);
    GetGaugeRect();
    update();
}

void TWKGauge::SetOrientation(TGaugeOrientation v) {
    FOrientation = v;
    GetGaugeRect();
    update();
}

void TWKGauge::SetMaxPosition(double v) {
    if (v == FMaxPosition) return;
    FMaxPosition = v;
    if (FMaxLimit > v) FMaxLimit = v;
    if (FPosition > v) FPosition = v;
    FShowMaxLimit = FMaxLimit != FMaxPosition;
    FShowMinLimit = FMinLimit != FMinPosition;
    MeasureTexts();
    GetGaugeRect();
    update();
}

void TWKGauge::SetMinPosition(double v) {
    if (v == FMinPosition) return;
    FMinPosition = v;
    if (FMinLimit < v) FMinLimit = v;
    if (FPosition < v) FPosition = v;
    FShowMaxLimit = FMaxLimit != FMaxPosition;
    FShowMinLimit = FMinLimit != FMinPosition;
    MeasureTexts();
    GetGaugeRect();
    update();
}

void TWKGauge::SetMaxLimit(double v) {
    FMaxLimit = std::min(v, FMaxPosition);
    FShowMaxLimit = FMaxLimit != FMaxPosition;
    MeasureTexts();
    GetGaugeRect();
    update();
}

void TWKGauge::SetMinLimit(double v) {
    FMinLimit = std::max(v, FMinPosition);
    FShowMinLimit = FMinLimit != FMinPosition;
    MeasureTexts();
    GetGaugeRect();
    update();
}

void TWKGauge::SetShowText(bool v) {
    FShowText = v;
    GetGaugeRect();
    update();
}

void TWKGauge::SetDisplayFormat(const QString& v) {
    FDisplayFormat = v;
    MeasureTexts();
    GetGaugeRect();
    update();
}

void TWKGauge::SetShowSetupDlg(bool v) {
    FShowSetupDlg = v;
    setCursor(v ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TWKGauge::SetWKStreamID(const QString& v) {
    FWKStreamID = v;
    FWKStream = nullptr;
}

void TWKGauge::SetWKSensorID(int v) {
    FWKSensorID = v;
    FWKSensor = nullptr;
}

void TWKGauge::SetShowValue(bool v) {
    FShowValue = v;
    GetGaugeRect();
    update();
}

void TWKGauge::SetInvert(bool v) {
    FInvert = v;
    GetPosRect();
    update();
}

void TWKGauge::SetShortSensorName(const QString& v) {
    FShortSensorName = v;
    update();
}

void TWKGauge::SetShowSensorName(bool v) {
    FShowSensorName = v;
    update();
}

void TWKGauge::SetShowLimits(bool v) {
    FShowLimits = v;
    GetGaugeRect();
    update();
}

void TWKGauge::SetGaugeState(TGaugeState v) {
    FGaugeState = v;
    update();
}

void TWKGauge::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    GetGaugeRect();
}

void TWKGauge::FontChanged() {
    TControl::FontChanged();
    MeasureTexts();
    GetGaugeRect();
    update();
}

QString TWKGauge::Format(double v) const { return FormatFloat(FDisplayFormat, v); }

void TWKGauge::SetPosition(double v) {
    if (v == FPosition) return;
    FPosition = std::clamp(v, std::min(FMinPosition, FMaxPosition), std::max(FMinPosition, FMaxPosition));
    GetPosRect();
    SetDisplayValue(Format(v));
}

void TWKGauge::SetDisplayValue(const QString& s) {
    QString text = s;
    if (FSensorState == ssError) text = QLatin1Char('[') + text + QLatin1Char(']');
    if (FSensorState == ssFixed) text.prepend(QLatin1Char('='));
    if (FShowSensorName) text.prepend(FShortSensorName + QStringLiteral(": "));
    text += QLatin1Char(' ') + FUnits;
    if (text == FDisplayValue) return;
    FDisplayValue = text;
    update();
}

void TWKGauge::Bind() {
    if (!SecondaryServices) return;
    FWKStream = SecondaryServices->Streams().GetStreamByID(FWKStreamID);
    if (FWKStream) FWKSensor = FWKStream->GetSensor(FWKSensorID);
}

// Every sample is shown whatever its state; the text marks error, fixed and
// missing values.
void TWKGauge::ShowNewest() {
    if (!FWKStream || !FWKSensor) {
        Bind();
        return;
    }
    const int n = FWKSensor->GetCount();
    if (n < 1) return;
    FGaugeState = gsValue;
    FSensorState = FWKSensor->GetState(n - 1);
    const double v = FWKSensor->GetValue(n - 1);
    if (std::isnan(v)) {
        SetDisplayValue(QStringLiteral("???"));
        SetHint(FSensorName + QStringLiteral(" = ") + QStringLiteral("Нет значения."));
    } else {
        SetPosition(v);
        // The state may have changed with the value kept: the text follows.
        SetDisplayValue(Format(v));
        SetHint(FSensorName + QStringLiteral(" = ") + FDisplayValue);
    }
    update();
}

void TWKGauge::Notify(TServiceEvent Event, void*) {
    try {
        if (Event == seBindStreams)
            Bind();
        else if (Event == sePostData)
            ShowNewest();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TWKGauge.Notify: ") + ExceptionMessage(e));
    } catch (...) {
        DebugLog(QStringLiteral("TWKGauge.Notify: unknown exception"));
    }
}

bool TWKGauge::WKMessage(TWKMessage& msg) {
    if (msg.Msg() != WM_WELLCHANGED) return TControl::WKMessage(msg);
    // An empty stream ID stays empty: the gauge is simply not bound.
    if (!FWKStreamID.isEmpty()) {
        QString id = FWKStreamID;
        ChangeStreamSuffix(id, msg.LParam().toString());
        SetWKStreamID(id);
    }
    Notify(seBindStreams, nullptr);
    msg.Handled = true;
    return true;
}

void TWKGauge::UpdateControl() {
    SetDisplayValue(Format(FPosition));
    Notify(sePostData, nullptr);
    update();
}

void TWKGauge::Setup() { fmWKGaugeDsgnSetup().SetupWKGauge(*this, false); }

void TWKGauge::SetupDlg() {
    fmWKGaugeDsgnSetup().SetupWKGauge(*this, true);
    Notify(sePostData, nullptr);
}

void TWKGauge::mouseReleaseEvent(QMouseEvent* e) {
    TControl::mouseReleaseEvent(e);
    if (!FShowSetupDlg || e->button() != Qt::LeftButton) return;
    try {
        SetupDlg();
    } catch (const std::exception& ex) {
        MessageDlg(ExceptionMessage(ex), mtError, mbOK);
    }
}

void TWKGauge::MeasureTexts() {
    const QFontMetrics fm(Font()->ToQFont());
    FTextHeight = fm.boundingRect(QStringLiteral("0")).height();
    FMaxPosTextWidth = fm.horizontalAdvance(Format(FMaxPosition));
    FMinPosTextWidth = fm.horizontalAdvance(Format(FMinPosition));
    FMaxLimTextWidth = fm.horizontalAdvance(Format(FMaxLimit));
    FMinLimTextWidth = fm.horizontalAdvance(Format(FMinLimit));
    FMaxLimWidth = std::max(FMaxLimTextWidth, FMinLimTextWidth);
    FMaxPosWidth = std::max(FMaxPosTextWidth, FMinPosTextWidth);
}

// The labels' spaces come off the client area; when that would leave the bar
// too thin to carry its value text, the gaps around the labels shrink to what
// the labels need, and the bar never gets thinner than that least thickness.
void TWKGauge::GetGaugeRect() {
    QRect r(0, 0, Width(), Height());
    r.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
    const bool marks = (FShowMinLimit || FShowMaxLimit) && FShowLimits;
    const int least = LeastBarThickness();
    if (Vertical()) {
        int left = FShowText ? FMaxPosWidth + 8 : 0, right = marks ? FMaxLimWidth + 8 + 5 : 0;
        if (r.width() - left - right < least) {
            left = FShowText ? FMaxPosWidth + 2 : 0;
            right = marks ? FMaxLimWidth + 7 : 0;
        }
        r.adjust(left, 0, -right, 0);
        if (r.width() < least) r = QRect(r.center().x() - least / 2, r.top(), least, r.height());
    } else {
        int top = FShowText ? FTextHeight + 8 : 0, bottom = marks ? FTextHeight + 8 + 5 : 0;
        if (r.height() - top - bottom < least) {
            top = FShowText ? FTextHeight + 2 : 0;
            bottom = marks ? FTextHeight + 7 : 0;
        }
        r.adjust(0, top, 0, -bottom);
        if (r.height() < least) r = QRect(r.left(), r.center().y() - least / 2, r.width(), least);
    }
    if (r.left() > r.right()) r.setLeft(r.right());
    if (r.top() > r.bottom()) r.setTop(r.bottom());
    FGaugeRect = r;
    GetPosRect();
}

// A horizontal bar as tall as a line of its value text; a vertical one wide
// enough to be seen (its text is drawn across it).
int TWKGauge::LeastBarThickness() const {
    if (Vertical() || !FShowValue) return 6;
    return QFontMetrics(FPositionFont->ToQFont()).height();
}

void TWKGauge::GetPosRect() {
    const double span = FMaxPosition - FMinPosition;
    // A scale without width has no place for a value: everything sits at its start.
    auto fraction = [&](double v) { return span != 0 ? (v - FMinPosition) / span : 0.0; };
    const QRect g = FGaugeRect;
    const int w = g.width(), h = g.height();
    const double k = fraction(FPosition);
    QRect p = g;
    switch (FOrientation) {
        case orLeftToRight:
            if (FInvert)
                p.setLeft(g.left() + w - qRound(w * k));
            else
                p.setWidth(qRound(w * k));
            break;
        case orRightToLeft: p.setLeft(g.left() + qRound(w * k)); break;
        case orTopToBottom: p.setBottom(g.top() + h - qRound(h * k) - 1); break;
        case orBottomToTop:
            if (FInvert)
                p.setHeight(qRound(h * k));
            else
                p.setTop(g.top() + h - qRound(h * k));
            break;
    }
    FPosRect = p;
    auto mark = [&](double limit) {
        const double kl = fraction(limit);
        if (Vertical()) {
            const int y = FInvert ? g.top() + qRound(h * kl) : g.top() + h - qRound(h * kl);
            return QRect(QPoint(g.left(), y), QPoint(g.right(), y));
        }
        const int x = FInvert ? g.left() + w - qRound(w * kl) : g.left() + qRound(w * kl);
        return QRect(QPoint(x, g.top()), QPoint(x, g.bottom()));
    };
    FMinLimitRect = mark(FMinLimit);
    FMaxLimitRect = mark(FMaxLimit);
}

TColor TWKGauge::BarColor() const {
    return FPosition > FMaxLimit || FPosition < FMinLimit ? FGaugeOutColor : FGaugeColor;
}

WK_REGISTER_CLASS(TWKGauge)
