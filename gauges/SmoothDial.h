#pragma once
// TSmoothDial: a circular dial control. A scale between a minimum and a
// maximum laid out on an arc of the circle, coloured sections, a highlighted
// threshold band, a needle that glides towards each new value, extra
// needles, a seven-segment read-out and a caption.
//
// Values: the needle and the display value each have a shown value and a
// target; setting Value moves the targets and the animation tick brings the
// shown values towards them (a fifth of the remaining distance per tick with
// the default factor). When Logarithmic is set all four hold the logarithm
// of the value to LogarithmicBase, and so do the minimum and the maximum.
//
// Geometry (recomputed on every resize, range or sub-object change): the
// margins fxp/fyp, the dial square frectImg, the arc rectangle Frg, the
// threshold band FSta/FSwpa and the tick table. Angles are degrees,
// clockwise from the positive x axis with y pointing down.
//
// Drawing is in SmoothDialPaint.cpp, the colour styles in SmoothDialStyles.cpp.
// Everything below the needles but the read-out's number is kept as one
// image between value changes; any other change draws it anew.
#include "GDIPUtil.h"
#include "StyleIF.h"

#include "Controls.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <array>
#include <optional>
#include <utility>

class TSmoothDial;

namespace SmoothDialTypes {
Q_NAMESPACE
enum TNeedleType { ntPointer, ntSelector };
Q_ENUM_NS(TNeedleType)
enum TTextRendering { tAntiAlias, tAntiAliasGridFit, tClearType };
Q_ENUM_NS(TTextRendering)
enum TThresholdKind { tkAngle, tkValue };
Q_ENUM_NS(TThresholdKind)
enum TSectionType { stCustomMargin, stBorder };
Q_ENUM_NS(TSectionType)
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)
enum TCalibrationValueType { cvNone, cvSmall, cvLarge };
Q_ENUM_NS(TCalibrationValueType)
}  // namespace SmoothDialTypes

using SmoothDialTypes::TNeedleType;
using enum SmoothDialTypes::TNeedleType;
using SmoothDialTypes::TTextRendering;
using enum SmoothDialTypes::TTextRendering;
using SmoothDialTypes::TThresholdKind;
using enum SmoothDialTypes::TThresholdKind;
using SmoothDialTypes::TSectionType;
using enum SmoothDialTypes::TSectionType;
using SmoothDialTypes::TAlignment;
using enum SmoothDialTypes::TAlignment;
using SmoothDialTypes::TCalibrationValueType;
using enum SmoothDialTypes::TCalibrationValueType;

// One record of the tick table.
struct TCalibrationValue {
    double x = 0, y = 0;    // outer end of the tick
    double x1 = 0, y1 = 0;  // inner end
    double tx = 0, ty = 0;  // top centre of the label
    TCalibrationValueType ValueType = cvNone;
    double rv = 0;          // scale value of a division tick
};

// The base of the sub-objects: knows its gauge (null for a free-standing
// copy) and reports every stored change through Changed().
class TSmoothDialPart : public TPersistent {
    Q_OBJECT
public:
    explicit TSmoothDialPart(TSmoothDial* owner, QObject* parent = nullptr);
    TSmoothDial* Gauge() const { return FGauge; }

protected:
    // Stores v and reports a change when it differs.
    template <typename T>
    void Store(T& field, const T& v) {
        if (field == v) return;
        field = v;
        emit Changed();
    }

private:
    TSmoothDial* FGauge;
};

class TSmoothDialGloss : public TSmoothDialPart {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int Opacity READ Opacity WRITE SetOpacity)
public:
    explicit TSmoothDialGloss(TSmoothDial* owner = nullptr, QObject* parent = nullptr) : TSmoothDialPart(owner, parent) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { Store(FColor, v); }
    int Opacity() const { return FOpacity; }
    void SetOpacity(int v) { Store(FOpacity, v); }
    void Assign(const TPersistent* source) override;

private:
    TColor FColor = clWhite;
    int FOpacity = 72;
};

class TSmoothDialDigit : public TSmoothDialPart {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(Colors::TColor BackGroundColor READ BackGroundColor WRITE SetBackGroundColor)
    Q_PROPERTY(int BackGroundOpacity READ BackGroundOpacity WRITE SetBackGroundOpacity)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(SmoothDialTypes::TAlignment Alignment READ Alignment WRITE SetAlignment)
public:
    explicit TSmoothDialDigit(TSmoothDial* owner = nullptr) : TSmoothDialPart(owner) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { Store(FColor, v); }
    TColor BackGroundColor() const { return FBackGroundColor; }
    void SetBackGroundColor(TColor v) { Store(FBackGroundColor, v); }
    int BackGroundOpacity() const { return FBackGroundOpacity; }
    void SetBackGroundOpacity(int v) { Store(FBackGroundOpacity, v); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { Store(FVisible, v); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { Store(FAlignment, v); }
    void Assign(const TPersistent* source) override;

private:
    TColor FColor = TColor(0x00FC7C);
    TColor FBackGroundColor = TColor(0x808080);
    int FBackGroundOpacity = 30;
    bool FVisible = true;
    TAlignment FAlignment = taCenter;
};

class TSmoothDialOuterCircle : public TSmoothDialPart {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(double Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Opacity READ Opacity WRITE SetOpacity)
public:
    explicit TSmoothDialOuterCircle(TSmoothDial* owner = nullptr) : TSmoothDialPart(owner) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { Store(FColor, v); }
    // A fraction of the dial width.
    double Width() const { return FWidth; }
    void SetWidth(double v) { Store(FWidth, v); }
    int Opacity() const { return FOpacity; }
    void SetOpacity(int v) { Store(FOpacity, v); }
    void Assign(const TPersistent* source) override;

private:
    TColor FColor = TColor(0x908070);
    double FWidth = 0.03;
    int FOpacity = 100;
};

class TSmoothDialInnerCircle : public TSmoothDialPart {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int Opacity READ Opacity WRITE SetOpacity)
    Q_PROPERTY(TSmoothDialGloss* Gloss READ Gloss WRITE SetGloss)
public:
    explicit TSmoothDialInnerCircle(TSmoothDial* owner = nullptr);
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { Store(FColor, v); }
    int Opacity() const { return FOpacity; }
    void SetOpacity(int v) { Store(FOpacity, v); }
    TSmoothDialGloss* Gloss() const { return FGloss; }
    void SetGloss(TSmoothDialGloss* v) { FGloss->Assign(v); }
    void Assign(const TPersistent* source) override;

private:
    TColor FColor = TColor(0xFF0000);
    int FOpacity = 150;
    TSmoothDialGloss* FGloss;  // Qt child
};

class TSmoothDialOuterRim : public TSmoothDialPart {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int Opacity READ Opacity WRITE SetOpacity)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
public:
    explicit TSmoothDialOuterRim(TSmoothDial* owner = nullptr) : TSmoothDialPart(owner) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { Store(FColor, v); }
    int Opacity() const { return FOpacity; }
    void SetOpacity(int v) { Store(FOpacity, v); }
    // Pixels.
    int Width() const { return FWidth; }
    void SetWidth(int v) { Store(FWidth, v); }
    void Assign(const TPersistent* source) override;

private:
    TColor FColor = TColor(0x908070);
    int FOpacity = 255;
    int FWidth = 2;
};

class TSmoothDialNeedle : public TSmoothDialPart {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(Colors::TColor ShineColor READ ShineColor WRITE SetShineColor)
    Q_PROPERTY(Colors::TColor ShineColorTo READ ShineColorTo WRITE SetShineColorTo)
    Q_PROPERTY(Colors::TColor OuterCenterColor READ OuterCenterColor WRITE SetOuterCenterColor)
    Q_PROPERTY(Colors::TColor OuterCenterColorTo READ OuterCenterColorTo WRITE SetOuterCenterColorTo)
    Q_PROPERTY(int OuterCenterOpacity READ OuterCenterOpacity WRITE SetOuterCenterOpacity)
    Q_PROPERTY(Colors::TColor InnerCenterColor READ InnerCenterColor WRITE SetInnerCenterColor)
    Q_PROPERTY(Colors::TColor InnerCenterColorTo READ InnerCenterColorTo WRITE SetInnerCenterColorTo)
    Q_PROPERTY(int InnerCenterOpacity READ InnerCenterOpacity WRITE SetInnerCenterOpacity)
public:
    explicit TSmoothDialNeedle(TSmoothDial* owner = nullptr) : TSmoothDialPart(owner) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { Store(FColor, v); }
    TColor ShineColor() const { return FShineColor; }
    void SetShineColor(TColor v) { Store(FShineColor, v); }
    TColor ShineColorTo() const { return FShineColorTo; }
    void SetShineColorTo(TColor v) { Store(FShineColorTo, v); }
    TColor OuterCenterColor() const { return FOuterCenterColor; }
    void SetOuterCenterColor(TColor v) { Store(FOuterCenterColor, v); }
    TColor OuterCenterColorTo() const { return FOuterCenterColorTo; }
    void SetOuterCenterColorTo(TColor v) { Store(FOuterCenterColorTo, v); }
    int OuterCenterOpacity() const { return FOuterCenterOpacity; }
    void SetOuterCenterOpacity(int v) { Store(FOuterCenterOpacity, v); }
    TColor InnerCenterColor() const { return FInnerCenterColor; }
    void SetInnerCenterColor(TColor v) { Store(FInnerCenterColor, v); }
    TColor InnerCenterColorTo() const { return FInnerCenterColorTo; }
    void SetInnerCenterColorTo(TColor v) { Store(FInnerCenterColorTo, v); }
    int InnerCenterOpacity() const { return FInnerCenterOpacity; }
    void SetInnerCenterOpacity(int v) { Store(FInnerCenterOpacity, v); }
    void Assign(const TPersistent* source) override;

private:
    TColor FColor = TColor(0x00FC7C);
    TColor FShineColor = TColor(0x00FC7C);
    TColor FShineColorTo = TColor(0xD3D3D3);
    TColor FOuterCenterColor = TColor(0xFF0000);
    TColor FOuterCenterColorTo = TColor(0xFF0000);
    int FOuterCenterOpacity = 100;
    TColor FInnerCenterColor = TColor(0x8B0000);
    TColor FInnerCenterColorTo = TColor(0x8B0000);
    int FInnerCenterOpacity = 255;
};

class TSmoothDialThreshold : public TSmoothDialPart {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int Opacity READ Opacity WRITE SetOpacity)
    Q_PROPERTY(double Center READ Center WRITE SetCenter)
    Q_PROPERTY(double Span READ Span WRITE SetSpan)
    Q_PROPERTY(int StartAngle READ StartAngle WRITE SetStartAngle)
    Q_PROPERTY(int SweepAngle READ SweepAngle WRITE SetSweepAngle)
    Q_PROPERTY(double StartValue READ StartValue WRITE SetStartValue)
    Q_PROPERTY(double EndValue READ EndValue WRITE SetEndValue)
    Q_PROPERTY(SmoothDialTypes::TThresholdKind ThresholdKind READ ThresholdKind WRITE SetThresholdKind)
public:
    explicit TSmoothDialThreshold(TSmoothDial* owner = nullptr, QObject* parent = nullptr);
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { Store(FColor, v); }
    int Opacity() const { return FOpacity; }
    void SetOpacity(int v) { Store(FOpacity, v); }
    // A scale value; one outside the gauge's range is ignored.
    double Center() const { return FCenter; }
    void SetCenter(double v);
    // Percent of the sweep; outside 0..100 ignored.
    double Span() const { return FSpan; }
    void SetSpan(double v);
    // Stored as at least the gauge's CircleStartValue.
    int StartAngle() const { return FStartAngle; }
    void SetStartAngle(int v);
    int SweepAngle() const { return FSweepAngle; }
    void SetSweepAngle(int v) { Store(FSweepAngle, v); }
    double StartValue() const { return FStartValue; }
    void SetStartValue(double v) { Store(FStartValue, v); }
    double EndValue() const { return FEndValue; }
    void SetEndValue(double v) { Store(FEndValue, v); }
    TThresholdKind ThresholdKind() const { return FThresholdKind; }
    void SetThresholdKind(TThresholdKind v) { Store(FThresholdKind, v); }
    void Assign(const TPersistent* source) override;
    // A range change moves a centre beyond the new limit onto it.
    void ClampCenter(double minimum, double maximum);

private:
    friend class TSmoothDial;
    TColor FColor = TColor(0x00FC7C);
    int FOpacity = 200;
    double FCenter = 25;
    double FSpan = 25;
    int FStartAngle = 135;
    int FSweepAngle = 270;
    double FStartValue = 0;
    double FEndValue = 0;
    TThresholdKind FThresholdKind = tkAngle;
};

class TSmoothDialArc : public TSmoothDialPart {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(double Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Opacity READ Opacity WRITE SetOpacity)
    Q_PROPERTY(int StartAngle READ StartAngle WRITE SetStartAngle)
    Q_PROPERTY(int StopAngle READ StopAngle WRITE SetStopAngle)
    Q_PROPERTY(TSmoothDialThreshold* Threshold READ Threshold WRITE SetThreshold)
public:
    explicit TSmoothDialArc(TSmoothDial* owner = nullptr);
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { Store(FColor, v); }
    // A fraction of the control width.
    double Width() const { return FWidth; }
    void SetWidth(double v) { Store(FWidth, v); }
    int Opacity() const { return FOpacity; }
    void SetOpacity(int v) { Store(FOpacity, v); }
    // Stored as at least the gauge's CircleStartValue.
    int StartAngle() const { return FStartAngle; }
    void SetStartAngle(int v);
    int StopAngle() const { return FStopAngle; }
    void SetStopAngle(int v) { Store(FStopAngle, v); }
    TSmoothDialThreshold* Threshold() const { return FThreshold; }
    void SetThreshold(TSmoothDialThreshold* v) { FThreshold->Assign(v); }
    void Assign(const TPersistent* source) override;

private:
    TColor FColor = TColor(0x8B0000);
    double FWidth = 0.03;
    int FOpacity = 200;
    int FStartAngle = 135;
    int FStopAngle = 405;
    TSmoothDialThreshold* FThreshold;  // Qt child
};

class TSmoothDialSection : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int Opacity READ Opacity WRITE SetOpacity)
    Q_PROPERTY(TSmoothDialGloss* Gloss READ Gloss WRITE SetGloss)
    Q_PROPERTY(double StartValue READ StartValue WRITE SetStartValue)
    Q_PROPERTY(double EndValue READ EndValue WRITE SetEndValue)
    Q_PROPERTY(int OuterMargin READ OuterMargin WRITE SetOuterMargin)
    Q_PROPERTY(int InnerMargin READ InnerMargin WRITE SetInnerMargin)
    Q_PROPERTY(SmoothDialTypes::TSectionType SectionType READ SectionType WRITE SetSectionType)
public:
    Q_INVOKABLE explicit TSmoothDialSection(TCollection* collection = nullptr);
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { Store(FColor, v); }
    int Opacity() const { return FOpacity; }
    void SetOpacity(int v) { Store(FOpacity, v); }
    TSmoothDialGloss* Gloss() const { return FGloss; }
    void SetGloss(TSmoothDialGloss* v) { FGloss->Assign(v); }
    double StartValue() const { return FStartValue; }
    void SetStartValue(double v) { Store(FStartValue, v); }
    double EndValue() const { return FEndValue; }
    void SetEndValue(double v) { Store(FEndValue, v); }
    int OuterMargin() const { return FOuterMargin; }
    void SetOuterMargin(int v) { Store(FOuterMargin, v); }
    int InnerMargin() const { return FInnerMargin; }
    void SetInnerMargin(int v) { Store(FInnerMargin, v); }
    TSectionType SectionType() const { return FSectionType; }
    void SetSectionType(TSectionType v) { Store(FSectionType, v); }
    void Assign(const TPersistent* source) override;

private:
    template <typename T>
    void Store(T& field, const T& v) {
        if (field == v) return;
        field = v;
        ItemChanged();
    }
    TColor FColor = TColor(0xFF0000);
    int FOpacity = 150;
    TSmoothDialGloss* FGloss;  // Qt child
    double FStartValue = 0;
    double FEndValue = 100;
    int FOuterMargin = 20;
    int FInnerMargin = 0;
    TSectionType FSectionType = stCustomMargin;
};

class TSmoothDialNeedleItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(double Value READ Value WRITE SetValue)
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(Colors::TColor ShineColor READ ShineColor WRITE SetShineColor)
    Q_PROPERTY(Colors::TColor ShineColorTo READ ShineColorTo WRITE SetShineColorTo)
public:
    Q_INVOKABLE explicit TSmoothDialNeedleItem(TCollection* collection = nullptr) : TCollectionItem(collection) {}
    double Value() const { return FValue; }
    // Clamped to the gauge's range.
    void SetValue(double v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { Store(FColor, v); }
    TColor ShineColor() const { return FShineColor; }
    void SetShineColor(TColor v) { Store(FShineColor, v); }
    TColor ShineColorTo() const { return FShineColorTo; }
    void SetShineColorTo(TColor v) { Store(FShineColorTo, v); }
    void Assign(const TPersistent* source) override;

private:
    template <typename T>
    void Store(T& field, const T& v) {
        if (field == v) return;
        field = v;
        ItemChanged();
    }
    double FValue = 0;
    TColor FColor = TColor(0x00FC7C);
    TColor FShineColor = TColor(0x00FC7C);
    TColor FShineColorTo = TColor(0xD3D3D3);
};

// The two collections repaint their gauge on every change of an item.
class TSmoothDialSections : public TCollection {
    Q_OBJECT
public:
    explicit TSmoothDialSections(TSmoothDial* owner);
    TSmoothDialSection* Add() override { return static_cast<TSmoothDialSection*>(TCollection::Add()); }
    TSmoothDialSection* Insert(int index) { return static_cast<TSmoothDialSection*>(TCollection::Insert(index)); }
    TSmoothDialSection* Items(int index) const { return ItemAs<TSmoothDialSection>(index); }

protected:
    void Update(TCollectionItem* item) override;
};

class TSmoothDialNeedles : public TCollection {
    Q_OBJECT
public:
    explicit TSmoothDialNeedles(TSmoothDial* owner);
    TSmoothDialNeedleItem* Add() override { return static_cast<TSmoothDialNeedleItem*>(TCollection::Add()); }
    TSmoothDialNeedleItem* Insert(int index) { return static_cast<TSmoothDialNeedleItem*>(TCollection::Insert(index)); }
    TSmoothDialNeedleItem* Items(int index) const { return ItemAs<TSmoothDialNeedleItem>(index); }

protected:
    void Update(TCollectionItem* item) override;
};

class TSmoothDial : public TControl, public IKVLStyle, public IKVLTones {
    Q_OBJECT
    Q_INTERFACES(IKVLStyle IKVLTones)
    Q_CLASSINFO("AlwaysStored", "Version")
    Q_PROPERTY(bool UnlimitedValue READ UnlimitedValue WRITE SetUnlimitedValue)
    Q_PROPERTY(bool UnlimitedDisplayValue READ UnlimitedDisplayValue WRITE SetUnlimitedDisplayValue)
    Q_PROPERTY(bool EqualDimensions READ EqualDimensions WRITE SetEqualDimensions)
    Q_PROPERTY(int AnimationFactor READ AnimationFactor WRITE SetAnimationFactor)
    Q_PROPERTY(double MinimumValue READ MinimumValue WRITE SetMinValue)
    Q_PROPERTY(double MaximumValue READ MaximumValue WRITE SetMaxValue)
    Q_PROPERTY(double Value READ Value WRITE SetValue)
    Q_PROPERTY(TSmoothDialDigit* Digit READ Digit WRITE SetDigit)
    Q_PROPERTY(TSmoothDialOuterCircle* OuterCircle READ OuterCircle WRITE SetOuterCircle)
    Q_PROPERTY(TSmoothDialInnerCircle* InnerCircle READ InnerCircle WRITE SetInnerCircle)
    Q_PROPERTY(TSmoothDialOuterRim* OuterRim READ OuterRim WRITE SetOuterRim)
    Q_PROPERTY(TSmoothDialNeedle* Needle READ Needle WRITE SetNeedle)
    Q_PROPERTY(TSmoothDialArc* Arc READ Arc WRITE SetArc)
    Q_PROPERTY(int DivisionCount READ DivisionCount WRITE SetDivisionCount)
    Q_PROPERTY(int SubDivisionCount READ SubDivisionCount WRITE SetSubDivisionCount)
    Q_PROPERTY(Colors::TColor DivisionColor READ DivisionColor WRITE SetDivisionColor)
    Q_PROPERTY(Colors::TColor SubDivisionColor READ SubDivisionColor WRITE SetSubDivisionColor)
    Q_PROPERTY(int DivisionWidth READ DivisionWidth WRITE SetDivisionWidth)
    Q_PROPERTY(int SubDivisionWidth READ SubDivisionWidth WRITE SetSubDivisionWidth)
    Q_PROPERTY(QString DialText READ DialText WRITE SetDialText)
    Q_PROPERTY(TFont* ValueFont READ ValueFont WRITE SetValueFont)
    Q_PROPERTY(QString ValueFormat READ ValueFormat WRITE SetValueFormat)
    Q_PROPERTY(bool ShowValues READ ShowValues WRITE SetShowValues)
    Q_PROPERTY(bool Animation READ Animation WRITE SetAnimation)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)
    Q_PROPERTY(SmoothDialTypes::TNeedleType NeedleType READ NeedleType WRITE SetNeedleType)
    Q_PROPERTY(TCollection* Sections READ SectionsCollection)
    Q_PROPERTY(SmoothDialTypes::TTextRendering TextRendering READ TextRendering WRITE SetTextRendering)
    Q_PROPERTY(int CircleStartValue READ CircleStartValue WRITE SetCircleStartValue)
    Q_PROPERTY(int CircleEndValue READ CircleEndValue WRITE SetCircleEndValue)
    Q_PROPERTY(bool Logarithmic READ Logarithmic WRITE SetLogarithmic)
    Q_PROPERTY(int LogarithmicBase READ LogarithmicBase WRITE SetLogarithmicBase)
    Q_PROPERTY(TMethod OnValueChanged READ OnValueChanged WRITE SetOnValueChanged)
    Q_PROPERTY(TMethod OnDisplayValueChanged READ OnDisplayValueChanged WRITE SetOnDisplayValueChanged)
    Q_PROPERTY(TMethod OnDisplayValue READ OnDisplayValue WRITE SetOnDisplayValue)
    Q_PROPERTY(TMethod OnGetValueText READ OnGetValueText WRITE SetOnGetValueText)
    Q_PROPERTY(TMethod OnChange READ OnChange WRITE SetOnChange)
    Q_PROPERTY(TCollection* ExtraNeedles READ ExtraNeedlesCollection)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
public:
    Q_INVOKABLE explicit TSmoothDial(QObject* owner = nullptr);
    ~TSmoothDial() override;

    static constexpr int CalibrationCapacity = 1001;
    using TCalibrationValues = std::array<TCalibrationValue, CalibrationCapacity>;

    bool UnlimitedValue() const { return FUnlimitedValue; }
    void SetUnlimitedValue(bool v);
    bool UnlimitedDisplayValue() const { return FUnlimitedDisplayValue; }
    void SetUnlimitedDisplayValue(bool v);
    bool EqualDimensions() const { return FEqualDimensions; }
    void SetEqualDimensions(bool v);
    int AnimationFactor() const { return FAnimationFactor; }
    void SetAnimationFactor(int v);
    double MinimumValue() const { return FMinimumValue; }
    void SetMinValue(double v);
    double MaximumValue() const { return FMaximumValue; }
    void SetMaxValue(double v);
    // The shown needle value (the base raised to it when logarithmic).
    double Value() const;
    void SetValue(double x);
    // The shown display value, likewise.
    double DisplayValue() const;
    // No current value: the needle parks at the scale's start and the
    // read-out shows dashes until the next SetValue.
    void ShowNoValue();
    bool HasValue() const { return !FNoValue; }

    TSmoothDialDigit* Digit() const { return FDigit; }
    void SetDigit(TSmoothDialDigit* v) { FDigit->Assign(v); }
    TSmoothDialOuterCircle* OuterCircle() const { return FOuterCircle; }
    void SetOuterCircle(TSmoothDialOuterCircle* v) { FOuterCircle->Assign(v); }
    TSmoothDialInnerCircle* InnerCircle() const { return FInnerCircle; }
    void SetInnerCircle(TSmoothDialInnerCircle* v) { FInnerCircle->Assign(v); }
    TSmoothDialOuterRim* OuterRim() const { return FOuterRim; }
    void SetOuterRim(TSmoothDialOuterRim* v) { FOuterRim->Assign(v); }
    TSmoothDialNeedle* Needle() const { return FNeedle; }
    void SetNeedle(TSmoothDialNeedle* v) { FNeedle->Assign(v); }
    TSmoothDialArc* Arc() const { return FArc; }
    void SetArc(TSmoothDialArc* v) { FArc->Assign(v); }

    // 2 to 24; other counts are ignored.
    int DivisionCount() const { return FDivisionCount; }
    void SetDivisionCount(int v);
    // 1 to 10; other counts are ignored.
    int SubDivisionCount() const { return FSubDivisionCount; }
    void SetSubDivisionCount(int v);
    TColor DivisionColor() const { return FDivisionColor; }
    void SetDivisionColor(TColor v);
    TColor SubDivisionColor() const { return FSubDivisionColor; }
    void SetSubDivisionColor(TColor v);
    int DivisionWidth() const { return FDivisionWidth; }
    void SetDivisionWidth(int v);
    int SubDivisionWidth() const { return FSubDivisionWidth; }
    void SetSubDivisionWidth(int v);
    QString DialText() const { return FDialText; }
    void SetDialText(const QString& v);
    TFont* ValueFont() const { return FValueFont; }
    void SetValueFont(TFont* v) { FValueFont->Assign(v); }
    QString ValueFormat() const { return FValueFormat; }
    void SetValueFormat(const QString& v);
    bool ShowValues() const { return FShowValues; }
    void SetShowValues(bool v);
    bool Animation() const { return FAnimation; }
    void SetAnimation(bool v);
    QString Version() const { return QStringLiteral("2.3.0.0"); }
    void SetVersion(const QString&) {}
    TNeedleType NeedleType() const { return FNeedleType; }
    void SetNeedleType(TNeedleType v);
    TSmoothDialSections* Sections() const { return FSections; }
    void SetSections(const TSmoothDialSections* v) { FSections->Assign(v); }
    TCollection* SectionsCollection() const { return FSections; }
    TTextRendering TextRendering() const { return FTextRendering; }
    void SetTextRendering(TTextRendering v);
    // 0 <= start <= end <= 360; other values are ignored.
    int CircleStartValue() const { return FCircleStartValue; }
    void SetCircleStartValue(int v);
    int CircleEndValue() const { return FCircleEndValue; }
    void SetCircleEndValue(int v);
    bool Logarithmic() const { return FLogarithmic; }
    void SetLogarithmic(bool v);
    // Stored as at least 2.
    int LogarithmicBase() const { return FLogarithmicBase; }
    void SetLogarithmicBase(int v);
    TSmoothDialNeedles* ExtraNeedles() const { return FExtraNeedles; }
    void SetExtraNeedles(const TSmoothDialNeedles* v) { FExtraNeedles->Assign(v); }
    TCollection* ExtraNeedlesCollection() const { return FExtraNeedles; }
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v);

    // Handlers: OnValueChanged and OnDisplayValueChanged (QObject* sender,
    // double value); OnDisplayValue (QObject* sender, double* value);
    // OnGetValueText (QObject* sender, double value, QString* text);
    // OnChange (QObject* sender).
    TMethod OnValueChanged() const { return FOnValueChanged; }
    void SetOnValueChanged(const TMethod& v) { FOnValueChanged = v; }
    TMethod OnDisplayValueChanged() const { return FOnDisplayValueChanged; }
    void SetOnDisplayValueChanged(const TMethod& v) { FOnDisplayValueChanged = v; }
    TMethod OnDisplayValue() const { return FOnDisplayValue; }
    void SetOnDisplayValue(const TMethod& v) { FOnDisplayValue = v; }
    TMethod OnGetValueText() const { return FOnGetValueText; }
    void SetOnGetValueText(const TMethod& v) { FOnGetValueText = v; }
    TMethod OnChange() const { return FOnChange; }
    void SetOnChange(const TMethod& v) { FOnChange = v; }

    // IKVLStyle, IKVLTones.
    void SetComponentStyle(TKVLStyle style) override;
    TKVLStyle GetComponentStyle() const { return FKVLStyle; }
    void SetColorTones(const TColorTones& tones) override;
    bool MetroStyle() const { return FMetroStyle; }
    QString GetThemeID() const { return ClassName(); }
    void SaveToTheme(const QString&) {}
    void LoadFromTheme(const QString&) {}

    // Copies the gauge's settings and shown values from another dial; any
    // other source is ignored.
    void Assign(const QObject* source);
    void SetBounds(int left, int top, int width, int height) override;
    void Loaded() override;
    void DefineProperties(TFiler& filer) override;

    // The whole frame at the control's size, scaled to the requested size,
    // saved in the format of imageType. Raises EImageExportError when the
    // format cannot be written or the file cannot be saved.
    void SaveToImage(const QString& fileName, int imageWidth, int imageHeight, TImageType imageType = itPNG,
                     int imageQualityPercentage = 100);
    // The whole frame at the control's size (transparent corners).
    QImage Render() const;
    // Draws the frame with its top left at the painter's origin; never raises.
    void Paint(QPainter& painter) const;

    // One animation step; the timer calls it while an animation is under way.
    void AnimationTick();
    bool Animating() const { return FdoAnimation; }
    bool AnimationTimerActive() const { return FAnimationTimer->isActive(); }
    static constexpr int AnimationIntervalMs = 15;

    // Geometry.
    int LayoutHeight() const;
    int MarginX() const { return fxp; }
    int MarginY() const { return fyp; }
    QRectF ImageRect() const { return frectImg; }
    QRectF ArcRect() const { return Frg; }
    double ThresholdStart() const { return FSta; }
    double ThresholdSweep() const { return FSwpa; }
    // The arc's effective start and stop angles and the threshold's
    // effective start and sweep.
    double ArcStartAngle() const;
    double ArcStopAngle() const;
    double ThresholdStartAngle() const;
    double ThresholdSweepAngle() const;
    const TCalibrationValues& CalibrationValues() const { return FCalibrationValues; }
    // The tick radius of the table.
    double TickRadius() const;
    // Angle in degrees of an internal value.
    double GetAngle(double v) const;
    // The tip of a needle at internal value v, in control pixels.
    QPointF NeedleTip(double v) const;
    // The scale value under a point, snapped to the ticks; false when the
    // point lies on no tick's slice.
    bool XYToScale(QPointF point, double& value) const;
    double ShownValue() const { return fcurrentValue; }
    double TargetValue() const { return FcurrentValueTo; }
    double ShownDisplayValue() const { return fcurrentDisplayValue; }
    double TargetDisplayValue() const { return FcurrentDisplayValueTo; }
    bool DesignTime() const { return FDesignTime; }

    // Fires OnChange and repaints (nothing while being destroyed); the
    // background layer is drawn anew.
    void Changed();
    // A sub-object changed: geometry again, then Changed.
    void PartChanged();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void FontChanged() override;

private:
    bool Animates() const;
    double Clamp(double v) const { return std::clamp(v, FMinimumValue, FMaximumValue); }
    double ToExternal(double v) const;
    double MaxLogLimit() const;
    void FireValueEvents();
    // Changed for a move of the shown values: the background layer stays.
    void ValueMoved();
    // The targets of a value; false for one the dial cannot show.
    bool SetTargets(double x);
    void JumpToTargets();
    void Resize();
    void CalculateImageRect();
    void CalculateArcThresHold();
    void CalculateCalibration();
    void Recalculate();
    void RangeChanged();

    // Drawing (SmoothDialPaint.cpp).
    void DrawFrame(QPainter& g) const;
    void DrawBackground(QPainter& g) const;
    void DrawSections(QPainter& g, double W, double H) const;
    void DrawTicks(QPainter& g) const;
    void DrawReadout(QPainter& g, double W, double H) const;
    // The read-out's number, over the background layer.
    void DrawReadoutNumber(QPainter& g) const;
    void LayerTransform(QPainter& g) const;
    void DisplayNumber(QPainter& g, double value, double x, double y, double w, double h, double W) const;
    void DisplayDigits(QPainter& g, const QString& text, double x, double y, double w, double h, double W) const;
    void DrawDigit(QPainter& g, int symbol, double x, double y, int h, bool dot) const;
    void DrawPointer(QPainter& g, double v, TColor color, TColor shine, TColor shineTo) const;
    void DrawCenter(QPainter& g) const;
    void DrawGloss(QPainter& g) const;
    QPainterPath PiePath(const QRectF& r) const;
    QString LabelText(double rv) const;
    // Where a major tick's label is drawn, in layer coordinates.
    QRectF LabelRect(const TCalibrationValue& c, const QFontMetricsF& metrics, const QString& text) const;
    // The caption's font and text, made smaller and then cut so that it
    // covers no scale label.
    std::pair<QFont, QString> FittedCaption(QPaintDevice* device, double W, double H, QRectF& where) const;

    bool FUnlimitedValue = false;
    bool FUnlimitedDisplayValue = false;
    bool FEqualDimensions = true;
    int FAnimationFactor = 5;
    double FMinimumValue = 0;
    double FMaximumValue = 100;
    TSmoothDialDigit* FDigit;              // Qt children, as are all sub-objects
    TSmoothDialOuterCircle* FOuterCircle;
    TSmoothDialInnerCircle* FInnerCircle;
    TSmoothDialOuterRim* FOuterRim;
    TSmoothDialNeedle* FNeedle;
    TSmoothDialArc* FArc;
    int FDivisionCount = 10;
    int FSubDivisionCount = 3;
    TColor FDivisionColor = TColor(0x00FC7C);
    TColor FSubDivisionColor = TColor(0x00FC7C);
    int FDivisionWidth = 5;
    int FSubDivisionWidth = 2;
    QString FDialText;
    TFont* FValueFont;
    QString FValueFormat = QStringLiteral("000.00");
    bool FShowValues = true;
    bool FAnimation = true;
    bool FNoValue = false;
    TNeedleType FNeedleType = ntPointer;
    TSmoothDialSections* FSections;
    TTextRendering FTextRendering = tClearType;
    int FCircleStartValue = 0;
    int FCircleEndValue = 360;
    bool FLogarithmic = false;
    int FLogarithmicBase = 10;
    bool FTabStop = true;
    TSmoothDialNeedles* FExtraNeedles;
    TMethod FOnValueChanged, FOnDisplayValueChanged, FOnDisplayValue, FOnGetValueText, FOnChange;

    int fxp = 5, fyp = 5;
    double fwidth = 0, fheight = 0;
    QRectF frectImg, Frg;
    double FSta = 0, FSwpa = 0;
    double fcurrentValue = 0, FcurrentValueTo = 0;
    double fcurrentDisplayValue = 0, FcurrentDisplayValueTo = 0;
    bool FdoAnimation = false;
    bool FFocused = false;
    bool FDesignTime = false;
    QTimer* FAnimationTimer;  // Qt child; runs only while animating
    TCalibrationValues FCalibrationValues;
    std::optional<double> FLoadedValue;
    // Everything below the needles but the read-out's number, at control
    // size: rebuilt after a change of anything but the shown values, so that
    // an animation step draws only what moves.
    mutable QImage FLayer;
    TKVLStyle FKVLStyle = tsCustom;
    bool FMetroStyle = false;
};
