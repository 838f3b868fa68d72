#pragma once
// One axis of a chart: the visible range and its limits, the tick step, the
// mark walk used for painting, and projection of values to strip pixels and back.
#include "Graphics.h"
#include "KXPointArrays.h"
#include "Menus.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#pragma GCC visibility push(default)

class TScaleControl;
class TScales;

// Where a scale's strip stands. Left and right strips are vertical.
enum TStripAlign { saTop, saBottom, saLeft, saRight };
inline bool IsVerticalAlign(TStripAlign a) { return a == saLeft || a == saRight; }

// Owners that read themselves from a stream say so here; meanwhile the scale's
// setters store raw values and nothing is laid out.
class IKXLoading {
public:
    virtual ~IKXLoading() = default;
    virtual bool IsComponentLoading() const = 0;
};

class TScale : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(bool AsDateTime READ AsDateTime WRITE SetAsDateTime)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(TStepType StepType READ StepType WRITE SetStepType)
    Q_PROPERTY(double DataOffset READ DataOffset WRITE SetDataOffset)
    Q_PROPERTY(double DefaultMin READ DefaultMin WRITE SetDefaultMin)
    Q_PROPERTY(double DefaultMax READ DefaultMax WRITE SetDefaultMax)
    Q_PROPERTY(TFont* Font READ FontObject WRITE SetFontObject)
    Q_PROPERTY(QString FormatString READ FormatString WRITE SetFormatString)
    Q_PROPERTY(bool Inverted READ Inverted WRITE SetInverted)
    Q_PROPERTY(double MaxLimit READ MaxLimit WRITE SetMaxLimit)
    Q_PROPERTY(double MinLimit READ MinLimit WRITE SetMinLimit)
    Q_PROPERTY(double Max READ Max WRITE SetMax)
    Q_PROPERTY(double Min READ Min WRITE SetMin)
    Q_PROPERTY(Colors::TColor PenColor READ PenColorValue WRITE SetPenColorValue)
    Q_PROPERTY(bool RoundFirst READ RoundFirst WRITE SetRoundFirst)
    Q_PROPERTY(bool ShowCaption READ ShowCaption WRITE SetShowCaption)
    Q_PROPERTY(bool ShowDisplayValues READ ShowDisplayValues WRITE SetShowDisplayValues)
    Q_PROPERTY(double Step READ Step WRITE SetStep)
    Q_PROPERTY(double SubStep READ SubStep WRITE SetSubStep)
    Q_PROPERTY(int SubTicksCount READ SubTicksCount WRITE SetSubTicksCount)
    Q_PROPERTY(int Steps READ Steps WRITE SetSteps)
    Q_PROPERTY(double PixPerVal READ PixPerValD WRITE SetPixPerValD)
    Q_PROPERTY(TComponent* PopupMenu READ PopupMenuComponent WRITE SetPopupMenuComponent)
    Q_PROPERTY(int DisplayValuePrecision READ DisplayValuePrecision WRITE SetDisplayValuePrecision)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool VisibleScale READ VisibleScale WRITE SetVisibleScale)
public:
    enum TStepType { sttOffset, sttFixed, sttFixedCount, sttAuto, sttLogarithmic, sttFixedSize };
    Q_ENUM(TStepType)

    // A value scale of a field's collection.
    Q_INVOKABLE explicit TScale(TCollection* Collection = nullptr);
    // A scale outside any collection (a chart's main X scale).
    explicit TScale(QObject* AOwner);
    ~TScale() override;
    void Assign(const TPersistent* Source) override;

    // --- range and layout ---
    void SetMinMax(double Mn, double Mx);
    void SetLimits(double MinLim, double MaxLim, bool Scroll);
    void SetOffset(int Value);
    void SetAlign(TStripAlign Value);
    TStripAlign GetAlign() const { return FAlign; }
    void Changed();
    void Adjust();
    bool IsLoading() const;
    void Assign(const TScale& Source);
    void SetDisplayValue(double Value);
    double DisplayValue() const { return FDisplayValue; }

    // --- projection ---
    int Prj(double Value) const;
    double PrjBack(int Value) const;
    void PrjArray(const TPointArray& Arr, TPoints& SPoints, int Start, int Stop, double Scale, double Offset,
                  bool TruncSPoints) const;
    void PrjArray(const TPointArray& Arr, TPoints& SPoints, int Start, int Stop, double Scale,
                  bool TruncSPoints) const;
    // Positions of the values Start..Stop of Arr in the pixels of a plot area, unrounded and
    // unclamped (so that lines can be clipped where they truly cross the area's edge); NaN
    // stays NaN. Out receives Stop - Start + 1 values; Start and Stop must be valid.
    void PrjValues(const TPointArray& Arr, int Start, int Stop, double* Out) const;
    // The same for one value.
    double PrjValue(double Value) const;
    // For the linear types: K and C with position = value × K + C (as PrjValue); false for
    // the logarithmic type.
    bool LinearPrj(double& K, double& C) const;

    // --- mark walk ---
    int GetMarkPos(double Value);
    int FirstMarkPos();
    int GetNextMarkPos();
    void GetLabel(QString& Text) const;
    QString GetLabel() const;
    double CurrentMark() const { return FCurrentMark; }
    // Walks the marks from the first one while Inside(position) holds, and at
    // least MinCount times; never more than a bounded number of marks.
    void WalkMarks(const std::function<bool(int)>& Inside, const std::function<void(int)>& Visit,
                   int MinCount = 2);
    int GetSize();

    // --- properties ---
    bool AsDateTime() const { return FAsDateTime; }
    void SetAsDateTime(bool Value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    TStepType StepType() const { return FStepType; }
    void SetStepType(TStepType Value);
    double DataOffset() const { return FDataOffset; }
    void SetDataOffset(double Value);
    double DefaultMin() const { return FDefMin; }
    void SetDefaultMin(double Value) { FDefMin = Value; }
    double DefaultMax() const { return FDefMax; }
    void SetDefaultMax(double Value) { FDefMax = Value; }
    QFont Font() const { return FFont; }
    void SetFont(const QFont& Value);
    TFont* FontObject() const { return FFontObj; }
    void SetFontObject(TFont* Value) { FFontObj->Assign(Value); }
    QString FormatString() const { return FFormatStr; }
    void SetFormatString(const QString& Value);
    bool Inverted() const;
    void SetInverted(bool Value);
    bool InternalInverted() const { return FInverted; }
    double MaxLimit() const { return FMaxLimit; }
    void SetMaxLimit(double Value);
    double MinLimit() const { return FMinLimit; }
    void SetMinLimit(double Value);
    double Max() const { return FMax; }
    void SetMax(double Value);
    double Min() const { return FMin; }
    void SetMin(double Value);
    QColor PenColor() const { return ColorToQColor(FPenColor); }
    void SetPenColor(const QColor& Value);
    TColor PenColorValue() const { return FPenColor; }
    void SetPenColorValue(TColor Value);
    bool RoundFirst() const { return FRoundFirst; }
    void SetRoundFirst(bool Value);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    bool ShowDisplayValues() const { return FShowDisplayValues; }
    void SetShowDisplayValues(bool Value);
    double Step() const { return FStep; }
    void SetStep(double Value);
    double SubStep() const { return FSubStep; }
    void SetSubStep(double Value);
    int SubTicksCount() const { return FSubTicksCount; }
    void SetSubTicksCount(int Value);
    int Steps() const { return FSteps; }
    void SetSteps(int Value);
    long double PixPerVal() const { return FPixPerVal; }
    void SetPixPerVal(long double Value);
    double PixPerValD() const { return static_cast<double>(FPixPerVal); }
    // Only a fixed-size scale keeps its pixels per value; the others compute them from the strip.
    Q_INVOKABLE bool IsPixPerValStored() const { return FStepType == sttFixedSize; }
    void SetPixPerValD(double Value) { SetPixPerVal(Value); }
    int DisplayValuePrecision() const { return FDisplayValuePrecision; }
    void SetDisplayValuePrecision(int Value) { FDisplayValuePrecision = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool VisibleScale() const { return FVisibleScale; }
    void SetVisibleScale(bool Value);

    bool IsMainScale() const { return FIsMainScale; }
    void SetIsMainScale(bool Value) { FIsMainScale = Value; }
    bool Adjusted() const { return FAdjusted; }
    bool Correct() const { return FCorrect; }
    double Start() const { return FStart; }
    double VisibleRange() const { return FVisibleRange; }
    int Length() const { return FLength; }
    void SetLength(int Value) { FLength = Value; }
    int Offset() const { return FOffset; }
    int BackOffset() const { return FBackOffset; }
    void SetBackOffset(int Value) { FBackOffset = static_cast<int16_t>(Value); }
    QObject* Owner() const;

    // Drag state of the strip.
    int FClickedAt = 1;
    int FClickPos = 0;
    double FClickDataOfs = 0;
    double FClickVRange = 0;
    double FClickStep = 0;
    bool FClickRound = false;

signals:
    // The range or the layout changed; the main scale's chart repaints on it.
    void ScaleChanged();
    // The strip text changed.
    void CaptionChanged();

public:
    // The strip that paints the scale and carries its mouse handling; owned.
    TScaleControl* Control() const { return FControl; }
    // The strip's popup menu (a TPopupMenu), or null.
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }
    TComponent* PopupMenuComponent() const;
    void SetPopupMenuComponent(TComponent* Value);
    // Identity inside the value-scale collection of a field (-1 outside one).
    int ID() const { return Collection() ? TCollectionItem::ID() : -1; }

private:
    friend class TScales;
    friend class TScaleControl;
    // The strip's length along the axis; the stored length while the strip is not placed.
    int StripLength() const;
    // Asks a placed strip to size itself again; false when there is none.
    bool AdjustStrip();
    void StripChanged();
    void Init();
    void FontObjectChanged();
    TScaleControl* FControl = nullptr;
    QPointer<TPopupMenu> FPopupMenu;
    TFont* FFontObj = nullptr;

    double MinSpan() const;
    double RawPos(double v) const;
    int PlacePos(long long p) const;
    bool FAdjusted = false;
    bool FAsDateTime = false;
    int16_t FBackOffset = 0;
    bool FChecked = false;
    bool FCorrect = false;
    double FCurrentMark = 0;
    double FDataOffset = 0;
    QFont FFont;
    QString FFormatStr = QStringLiteral("0.####");
    bool FIsMainScale = false;
    bool FInverted = true;
    int FLength = 0;
    double FMarkVal = 0;
    double FMin = 0, FMax = 100;
    double FDefMin = 0, FDefMax = 0;
    double FMinLimit = -1000000, FMaxLimit = 1000000;
    int FOffset = 0;
    TColor FPenColor = clBlack;
    long double FPixPerVal = 0;
    bool FRoundFirst = true;
    double FStart = 0;
    double FStep = 10;
    int FSteps = 0;
    TStepType FStepType = sttAuto;
    bool FShowCaption = true;
    double FSubStep = 0;
    int FSubTicksCount = 0;
    double FVisibleRange = 0;
    QPointer<QObject> FOwner;
    bool FVisible = true;
    bool FVisibleScale = true;
    double FDisplayValue;
    int FDisplayValuePrecision = 0;
    bool FShowDisplayValues = false;
    QString FCaption = QStringLiteral("TScale");
    TStripAlign FAlign = saLeft;
};

using TStepType = TScale::TStepType;
inline constexpr TStepType sttOffset = TScale::sttOffset;
inline constexpr TStepType sttFixed = TScale::sttFixed;
inline constexpr TStepType sttFixedCount = TScale::sttFixedCount;
inline constexpr TStepType sttAuto = TScale::sttAuto;
inline constexpr TStepType sttLogarithmic = TScale::sttLogarithmic;
inline constexpr TStepType sttFixedSize = TScale::sttFixedSize;

// Pixel results of the projection for values it cannot place.
inline constexpr int PrjNone = -3000;
inline constexpr int PrjLimit = 3000;
inline constexpr int MarkNone = -30000;

#pragma GCC visibility pop
