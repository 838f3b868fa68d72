#pragma once
// Tracks: the vertical strips of a well-log document in which curves are
// drawn. A header at the top (the caption and one line per curve), optionally
// repeated at the bottom, and below it the data area whose vertical axis is
// the document's index and whose horizontal axis is cut into equal columns or
// logarithmic decades. Tracks of one parent share their top and header height.
#include "SketchDoc.h"

#pragma GCC visibility push(default)

namespace Plotmere {

class TPrintSeries;

class TPrintField : public TPrintItem {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int Decades READ Decades WRITE SetDecades)
    Q_PROPERTY(TFieldFlagSet Flags READ StoredFlags WRITE SetStoredFlags)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(TFont* HeaderFont READ HeaderFont WRITE SetHdrFont)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
public:
    // The stored form of TFieldFlags (same bits).
    enum TFieldFlagBit {
        ffLogarithmic = 1 << 0, ffVertHeader = 1 << 1, ffShowGrid = 1 << 2, ffShowBorders = 1 << 3,
        ffShowGridMarks = 1 << 4,
    };
    Q_DECLARE_FLAGS(TFieldFlagSet, TFieldFlagBit)
    Q_FLAG(TFieldFlagSet)

    Q_INVOKABLE explicit TPrintField(QObject* owner = nullptr);
    TPrintField(QObject* owner, const TFloatPoint& position);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value) { FCaption = value; }
    int Decades() const { return FDecades; }
    void SetDecades(int value) { FDecades = value; }
    TFieldFlags Flags() const { return FFlags; }
    void SetFlags(TFieldFlags value) { FFlags = value; }
    bool HasFlag(TFieldFlag flag) const { return FFlags.Contains(flag); }
    TFieldFlagSet StoredFlags() const { return TFieldFlagSet::fromInt(int(FFlags.Bits())); }
    void SetStoredFlags(TFieldFlagSet value) { FFlags = TFieldFlags::FromBits(uint64_t(value.toInt())); }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* value) { FFont->Assign(value); }
    TFont* HeaderFont() const { return FHeaderFont; }
    void SetHdrFont(TFont* value) { FHeaderFont->Assign(value); }
    TPen* Pen() const { return FPen; }
    void SetPen(TPen* value) { FPen->Assign(value); }

    TSketchDocument* GetSketchDocument() const { return qobject_cast<TSketchDocument*>(GetDocument()); }
    // The data area: absolute whole millimetres as of the last layout.
    QRect ClientRect() const { return FClientRect; }
    int MaxHeaderSize() const { return FMaxHeaderSize; }
    // The curves among the children, in child order.
    QList<TPrintSeries*> Series() const;

    double PrjVertValueToMM(double value) const;
    double PrjVertMMToValue(double mm) const;
    // Header heights in whole millimetres.
    int GetHeaderSize(const TRenderDevice& device, int flag) const;
    int GetSubHeadersSize(const TRenderDevice& device, int flag) const;
    int GetMaxHdrSize(const TRenderDevice& device, int flag) const { return GetHeaderSize(device, flag) + GetSubHeadersSize(device, flag); }
    void SetMaxHdrSize(int value);
    void GetAndSetMaxHeaderSize(const TRenderDevice& device);
    bool IsFirstInGroup() const;
    // The curve whose header line or action lies under a view point (pixels);
    // the track itself for its own area; null for the caption and for points
    // above a sub-track. action is the hit's action.
    TPrintItem* GetHitItem(TPrintView* view, int x, TPrintEditActions& action, int y);
    bool DoSetupAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift);

    void SetTop(int value) override;
    bool AcceptItem(TPrintItem* item) const override;
    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    bool DoUserAction(TPrintView* view, TPrintEditActions actions, int x, int y, Qt::KeyboardModifiers shift) override;
    TPrintEditActions GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) override;
    void Prepare(TRenderDevice& device) override;
    void Render(TRenderDevice& device) override;
    bool Setup(TRenderDevice* device) override;

private:
    // The top of the header band: the track's top, or for a sub-track the
    // shared band above the client area.
    double HeaderTop(const TRenderDevice& device) const;
    void RenderGrid(TRenderDevice& device);
    void RenderValueMarks(TRenderDevice& device);
    void RenderHeader(TRenderDevice& device, const QRect& rect);
    // The border pen of the header frame and the client area.
    QPen BorderPen() const;
    // The caption's height in device pixels (the sum of its characters' with
    // ffVertHeader).
    int CaptionHeight(const TRenderDevice& device) const;
    // The page part of the client area, in millimetres.
    std::pair<double, double> PagePart(const TRenderDevice& device) const;

    QString FCaption;
    int FDecades = 10;
    TFieldFlags FFlags{TFieldFlag::ffShowGrid, TFieldFlag::ffShowBorders};
    TFont* FFont;
    TFont* FHeaderFont;
    TPen* FPen;
    QRect FClientRect;
    int FMaxHeaderSize = 0;
    // The height of the data area without the headers; -1 until the first
    // layout takes it from Height.
    int FDataHeight = -1;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TPrintField::TFieldFlagSet)

}  // namespace Plotmere

#pragma GCC visibility pop
