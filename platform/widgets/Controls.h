#pragma once
// The control base of forms: a QWidget that is a component (Components.h)
// with the old geometry and appearance properties and the Align/Anchors
// layout.
//
// Layout: a control's aligned children are placed inside its client
// rectangle (ClientRect, narrowed by AdjustClientRect) in the order alTop,
// alBottom, alLeft, alRight, alClient. Within one kind they are taken by
// position (top ones by Top, bottom ones from the lowest bottom edge, left
// ones by Left, right ones from the rightmost edge), ties in creation order,
// each taking its strip from what is left. Invisible children (unless
// designing) take no room. Children with alNone follow their Anchors when
// their parent's size changes: anchored to both sides they stretch, to the
// far side only they move, to neither they keep their relative centre.
// Layout is suspended while a control is loading and done in Loaded().
//
// A control whose class declares Q_CLASSINFO("GraphicControl", "1") (see
// TGraphicControl) counts as not being a window: message broadcasts
// (Messages.h) pass it by.
#include "ComponentText.h"
#include "Components.h"
#include "Graphics.h"
#include "Messages.h"

#include <QWidget>
#include <map>

#pragma GCC visibility push(default)

class TControl : public QWidget, public TComponentBase {
    Q_OBJECT
    Q_CLASSINFO("Component", "1")
    // Anchors are written by their own rule (IsAnchorsStored), whatever a
    // fresh control has.
    Q_CLASSINFO("AlwaysStored", "Anchors")
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(TAnchors Anchors READ Anchors WRITE SetAnchors)
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
    Q_PROPERTY(TComponent* PopupMenu READ PopupMenu WRITE SetPopupMenu)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
public:
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
    Q_ENUM(TAlign)
    enum TAnchorKind { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
    Q_DECLARE_FLAGS(TAnchors, TAnchorKind)
    Q_FLAG(TAnchors)

    Q_INVOKABLE explicit TControl(QObject* owner = nullptr);
    ~TControl() override;

    // Geometry in the parent's client coordinates.
    int Left() const { return FBounds.x(); }
    int Top() const { return FBounds.y(); }
    int Width() const { return FBounds.width(); }
    int Height() const { return FBounds.height(); }
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    virtual void SetBounds(int left, int top, int width, int height);
    QRect BoundsRect() const { return FBounds; }
    int ClientWidth() const { return ClientRect().width(); }
    int ClientHeight() const { return ClientRect().height(); }
    // The area children are aligned in, in the control's own coordinates.
    QRect ClientRect() const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign v);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors v) { FAnchors = v; }
    // Written only when they differ from the sides the alignment sticks to.
    Q_INVOKABLE bool IsAnchorsStored() const;
    static TAnchors AlignAnchors(TAlign align);

    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool v);
    TFont* Font() const { return FFont; }
    void SetFont(TFont* v) { FFont->Assign(v); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    Q_INVOKABLE bool IsColorStored() const { return !FParentColor; }
    Q_INVOKABLE bool IsFontStored() const { return !FParentFont; }
    Q_INVOKABLE bool IsShowHintStored() const { return !FParentShowHint; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    QString Hint() const { return FHint; }
    void SetHint(const QString& v);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool v);
    TComponent* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TComponent* v);
    // The stored visibility; a control shows when it and its parents are
    // visible (always while designing).
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);

    // The enclosing control (null for a top-level one or a plain QWidget parent).
    TControl* ParentControl() const;
    // Puts the control into parent (null: takes it out).
    void SetParentWidget(QWidget* parent);
    // The child controls in creation order.
    QList<TControl*> Controls() const;

    // True when the control takes child controls on a design surface (panels,
    // group boxes); the design root always does.
    virtual bool AcceptsControls() const { return false; }
    // On a design surface: true when the control wants the mouse event at pos
    // (its own coordinates) for itself, as a tab strip wants clicks on a tab.
    virtual bool DesignHitTest(const QPoint& pos) const {
        Q_UNUSED(pos);
        return false;
    }

    // Lays the aligned children out again (nothing while disabled or loading).
    void Realign();
    void DisableAlign() { ++FAlignDisabled; }
    void EnableAlign();

    // Component hooks.
    void Loaded() override;
    void Notification(TComponentBase* component, TOperation operation) override;
    void GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) override;
    TComponentBase* GetParentComponent() const override;
    void SetParentComponent(TComponentBase* parent) override;
    // Bounds before alignment and the design size of anchored children, as
    // newer versions of the old designer stored them: kept as read.
    void DefineProperties(TFiler& filer) override;

protected:
    // Narrows the client rectangle (borders, captions).
    virtual void AdjustClientRect(QRect& rect) const { Q_UNUSED(rect); }
    // Receives the TWKMessage family; return true when handled.
    virtual bool WKMessage(TWKMessage& msg) {
        Q_UNUSED(msg);
        return false;
    }
    // Called after the font or colour changed (own or taken from the parent).
    virtual void FontChanged() {}
    virtual void ColorChanged() {}
    // Hidden controls show while designing.
    void DesignStateChanged() override { ApplyVisibility(); }

    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void AlignControls();
    void AnchorChildren(QSize oldSize, QSize newSize);
    void SizeChanged(QSize oldSize);
    void ApplyVisibility();
    void ApplyColor();
    void OwnFontChanged();
    void ParentFontChanged();
    void ParentColorChanged();
    void ParentShowHintChanged();
    void ApplyToolTip();
    void RequestParentAlign();

    QRect FBounds{0, 0, 0, 0};
    TAlign FAlign = alNone;
    TAnchors FAnchors = TAnchors(akLeft | akTop);
    TColor FColor = clBtnFace;
    bool FParentColor = true;
    TFont* FFont;
    bool FParentFont = true;
    bool FTakingParentFont = false;
    bool FEnabled = true;
    QString FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TComponent* FPopupMenu = nullptr;
    bool FVisible = true;
    int FAlignDisabled = 0;
    bool FAligning = false;
    bool FSettingGeometry = false;
    std::map<QString, TStreamValue> FKeptDefined;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TControl::TAnchors)

// A control that the old platform drew on its parent instead of giving it a
// window (labels, images, splitters): skipped by message broadcasts.
class TGraphicControl : public TControl {
    Q_OBJECT
    Q_CLASSINFO("GraphicControl", "1")
public:
    Q_INVOKABLE explicit TGraphicControl(QObject* owner = nullptr) : TControl(owner) {}
};

#pragma GCC visibility pop
