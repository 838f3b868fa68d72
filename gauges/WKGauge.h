#pragma once
// TWKGauge: a linear bar indicator for one sensor. A bar between a scale
// minimum and maximum, optional scale-end labels, optional marks of the
// allowed range (a value beyond it recolours the bar) and the value text in
// the middle of the bar. Bound to a stream by its ID and to a sensor of it
// by GID; follows the service bus and the well-change message.
#include "Controls.h"
#include "WKControlDesign.h"
#include "WKDataStructures.h"
#include "WKServices.h"

#include <QImage>

namespace WKGaugeTypes {
Q_NAMESPACE
enum TGaugeOrientation { orLeftToRight, orRightToLeft, orTopToBottom, orBottomToTop };
Q_ENUM_NS(TGaugeOrientation)
}  // namespace WKGaugeTypes

using WKGaugeTypes::TGaugeOrientation;
using enum WKGaugeTypes::TGaugeOrientation;

enum TGaugeState { gsNone, gsValue };

class TWKGauge : public TControl, public IControlDesign, public IWKNotification {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
    Q_PROPERTY(Colors::TColor GaugeColor READ GaugeColor WRITE SetGaugeColor)
    Q_PROPERTY(Colors::TColor GaugeBkColor READ GaugeBkColor WRITE SetGaugeBkColor)
    Q_PROPERTY(Colors::TColor GaugeOutColor READ GaugeOutColor WRITE SetGaugeOutColor)
    Q_PROPERTY(Colors::TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(WKGaugeTypes::TGaugeOrientation Orientation READ Orientation WRITE SetOrientation)
    Q_PROPERTY(double MaxPosition READ MaxPosition WRITE SetMaxPosition)
    Q_PROPERTY(double MinPosition READ MinPosition WRITE SetMinPosition)
    Q_PROPERTY(double MaxLimit READ MaxLimit WRITE SetMaxLimit)
    Q_PROPERTY(double MinLimit READ MinLimit WRITE SetMinLimit)
    Q_PROPERTY(bool ShowText READ ShowText WRITE SetShowText)
    Q_PROPERTY(TFont* PositionFont READ PositionFont WRITE SetPositionFont)
    Q_PROPERTY(QString DisplayFormat READ DisplayFormat WRITE SetDisplayFormat)
    Q_PROPERTY(bool ShowSetupDlg READ ShowSetupDlg WRITE SetShowSetupDlg)
    Q_PROPERTY(QString WKStreamID READ WKStreamID WRITE SetWKStreamID)
    Q_PROPERTY(int WKSensorID READ WKSensorID WRITE SetWKSensorID)
    Q_PROPERTY(bool ShowValue READ ShowValue WRITE SetShowValue)
    Q_PROPERTY(QString SensorName READ SensorName WRITE SetSensorName)
    Q_PROPERTY(QString Units READ Units WRITE SetUnits)
    Q_PROPERTY(bool Invert READ Invert WRITE SetInvert)
    Q_PROPERTY(QString ShortSensorName READ ShortSensorName WRITE SetShortSensorName)
    Q_PROPERTY(bool ShowSensorName READ ShowSensorName WRITE SetShowSensorName)
    Q_PROPERTY(bool ShowLimits READ ShowLimits WRITE SetShowLimits)
    Q_CLASSINFO("AlwaysStored", "MaxPosition,MinPosition,MaxLimit,MinLimit,WKSensorID")
public:
    Q_INVOKABLE explicit TWKGauge(QObject* owner = nullptr);
    ~TWKGauge() override;

    TColor GaugeColor() const { return FGaugeColor; }
    void SetGaugeColor(TColor v) { StoreColor(FGaugeColor, v); }
    TColor GaugeBkColor() const { return FGaugeBkColor; }
    void SetGaugeBkColor(TColor v) { StoreColor(FGaugeBkColor, v); }
    TColor GaugeOutColor() const { return FGaugeOutColor; }
    void SetGaugeOutColor(TColor v) { StoreColor(FGaugeOutColor, v); }
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor v) { StoreColor(FBorderColor, v); }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int v);
    TGaugeOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TGaugeOrientation v);
    double MaxPosition() const { return FMaxPosition; }
    void SetMaxPosition(double v);
    double MinPosition() const { return FMinPosition; }
    void SetMinPosition(double v);
    double MaxLimit() const { return FMaxLimit; }
    void SetMaxLimit(double v);
    double MinLimit() const { return FMinLimit; }
    void SetMinLimit(double v);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool v);
    TFont* PositionFont() const { return FPositionFont; }
    void SetPositionFont(TFont* v) { FPositionFont->Assign(v); }
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& v);
    bool ShowSetupDlg() const { return FShowSetupDlg; }
    void SetShowSetupDlg(bool v);
    QString WKStreamID() const { return FWKStreamID; }
    void SetWKStreamID(const QString& v);
    int WKSensorID() const { return FWKSensorID; }
    void SetWKSensorID(int v);
    bool ShowValue() const { return FShowValue; }
    void SetShowValue(bool v);
    QString SensorName() const { return FSensorName; }
    void SetSensorName(const QString& v) { FSensorName = v; }
    QString Units() const { return FUnits; }
    void SetUnits(const QString& v) { FUnits = v; }
    bool Invert() const { return FInvert; }
    void SetInvert(bool v);
    QString ShortSensorName() const { return FShortSensorName; }
    void SetShortSensorName(const QString& v);
    bool ShowSensorName() const { return FShowSensorName; }
    void SetShowSensorName(bool v);
    bool ShowLimits() const { return FShowLimits; }
    void SetShowLimits(bool v);

    // Run-time state, read by the setup form and tests.
    TGaugeState GaugeState() const { return FGaugeState; }
    void SetGaugeState(TGaugeState v);
    double Position() const { return FPosition; }
    void SetPosition(double v);
    QString DisplayValue() const { return FDisplayValue; }
    TSensorState SensorState() const { return FSensorState; }
    TSensorDataStream* BoundStream() const { return FWKStream; }
    TSensorDataArray* BoundSensor() const { return FWKSensor; }
    QRect GaugeRect() const { return FGaugeRect; }
    QRect PosRect() const { return FPosRect; }
    QRect MinLimitRect() const { return FMinLimitRect; }
    QRect MaxLimitRect() const { return FMaxLimitRect; }
    bool ShowMinLimitMark() const { return FShowMinLimit; }
    bool ShowMaxLimitMark() const { return FShowMaxLimit; }
    // The colour the bar is filled with at the current position.
    TColor BarColor() const;

    void Notify(TServiceEvent Event, void* Sender) override;
    void Setup() override;
    // The run-time setup (a click while ShowSetupDlg is set).
    void SetupDlg();
    // The value text from the position again, the newest sample, a repaint.
    void UpdateControl();
    // The control as painted.
    QImage Render();
    void Paint(QPainter& painter);
    void SetBounds(int left, int top, int width, int height) override;

protected:
    bool WKMessage(TWKMessage& msg) override;
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void FontChanged() override;

private:
    void StoreColor(TColor& field, TColor v);
    void Bind();
    void ShowNewest();
    void SetDisplayValue(const QString& s);
    QString Format(double v) const;
    void MeasureTexts();
    void GetGaugeRect();
    int LeastBarThickness() const;
    void GetPosRect();
    bool Vertical() const { return FOrientation == orTopToBottom || FOrientation == orBottomToTop; }

    TColor FGaugeColor = TColor(0x800000);
    TColor FGaugeBkColor = TColor(0xDDFFFF);
    TColor FGaugeOutColor = TColor(0x0000FF);
    TColor FBorderColor = TColor(0);
    int FBorderWidth = 0;
    TGaugeOrientation FOrientation = orLeftToRight;
    double FMaxPosition = 100;
    double FMinPosition = 0;
    double FMaxLimit = 100;
    double FMinLimit = 0;
    bool FShowText = true;
    TFont* FPositionFont;  // Qt child
    QString FDisplayFormat = QStringLiteral("0.###");
    bool FShowSetupDlg = false;
    QString FWKStreamID;
    int FWKSensorID = -1;
    bool FShowValue = true;
    QString FSensorName;
    QString FUnits;
    bool FInvert = false;
    QString FShortSensorName;
    bool FShowSensorName = false;
    bool FShowLimits = false;

    TSensorDataStream* FWKStream = nullptr;
    TSensorDataArray* FWKSensor = nullptr;
    TSensorState FSensorState = ssNormal;
    QString FDisplayValue;
    double FPosition = 10;
    TGaugeState FGaugeState = gsNone;
    bool FShowMinLimit = false;
    bool FShowMaxLimit = false;
    QRect FGaugeRect, FPosRect, FMinLimitRect, FMaxLimitRect;
    int FTextHeight = 0;
    int FMaxPosTextWidth = 0, FMinPosTextWidth = 0, FMaxLimTextWidth = 0, FMinLimTextWidth = 0;
    int FMaxLimWidth = 0, FMaxPosWidth = 0;
    bool FRegistered = false;
};
