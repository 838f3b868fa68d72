#pragma once
// Tool bars and buttons of forms: the tool bar lines its tool buttons up
// left to right in the order of their Left position (wrapping to a new row
// when Wrapable and out of room) with the tool bar's button size; the speed
// button is a free-standing flat button with a glyph. Buttons that name an
// action (ActnList.h) take its caption, hint, image and enabled state and
// execute it when clicked; others call their OnClick handler.
#include "ActnList.h"
#include "Controls.h"
#include "Pictures.h"

#include <QPointer>

#pragma GCC visibility push(default)

class TCustomImageList;
class TToolBar;

// What tool and speed buttons share: the caption, the pressed state, the
// action they follow and the click handler.
class TActionButton : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(TComponent* Action READ Action WRITE SetAction)
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)
    Q_PROPERTY(TMethod OnClick READ OnClick WRITE SetOnClick)
public:
    Q_INVOKABLE explicit TActionButton(QObject* owner = nullptr) : TGraphicControl(owner) { SetBounds(0, 0, 23, 22); }
    // What follows the action is not stored.
    Q_INVOKABLE bool IsCaptionStored() const { return !FAction; }
    Q_INVOKABLE bool IsHintStored() const { return !FAction; }
    Q_INVOKABLE bool IsEnabledStored() const { return !FAction; }

    TComponent* Action() const { return FAction; }
    // Raises for a component that is not an action.
    void SetAction(TComponent* v);
    TAction* LinkedAction() const { return FAction; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool v) { FAllowAllUp = v; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    bool Down() const { return FDown; }
    virtual void SetDown(bool v);
    // Handler: OnClick(QObject* sender).
    TMethod OnClick() const { return FOnClick; }
    void SetOnClick(const TMethod& v) { FOnClick = v; }

    // A click as the user gives it; the buttons decide about their state,
    // then Perform runs the action or calls OnClick.
    virtual void Click() { Perform(); }
    void Notification(TComponentBase* component, TOperation operation) override;

protected:
    void Perform();
    // The action's caption, hint and enabled state have changed.
    virtual void ActionChanged();
    // Called after the caption changed.
    virtual void CaptionChanged() { update(); }
    void mouseReleaseEvent(QMouseEvent* e) override;

    bool FAllowAllUp = false;
    QString FCaption;
    bool FDown = false;

private:
    QPointer<TAction> FAction;
    QMetaObject::Connection FConnection;
    TMethod FOnClick;
};

class TToolButton : public TActionButton {
    Q_OBJECT
    Q_PROPERTY(TComponent* DropdownMenu READ DropdownMenu WRITE SetDropdownMenu)
    Q_PROPERTY(bool Grouped READ Grouped WRITE SetGrouped)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(TToolButtonStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(bool Wrap READ Wrap WRITE SetWrap)
public:
    enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
    Q_ENUM(TToolButtonStyle)

    Q_INVOKABLE explicit TToolButton(QObject* owner = nullptr) : TActionButton(owner) {}
    // The image follows the action too.
    Q_INVOKABLE bool IsImageIndexStored() const { return !LinkedAction(); }

    // Pressing a grouped check button releases the others of its group (the
    // neighbouring grouped check buttons of the tool bar).
    void SetDown(bool v) override;
    TComponent* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TComponent* v);
    bool Grouped() const { return FGrouped; }
    void SetGrouped(bool v) { FGrouped = v; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle v);
    bool Wrap() const { return FWrap; }
    void SetWrap(bool v);

    TToolBar* ToolBar() const;
    // Check buttons toggle, then the action runs or OnClick is called.
    // Separators and disabled buttons do nothing.
    void Click() override;

    void Notification(TComponentBase* component, TOperation operation) override;
    void SetParentComponent(TComponentBase* parent) override;

protected:
    void ActionChanged() override;
    void CaptionChanged() override;
    void paintEvent(QPaintEvent* e) override;

private:
    void Relayout();
    TComponent* FDropdownMenu = nullptr;
    bool FGrouped = false;
    int FImageIndex = -1;
    TToolButtonStyle FStyle = tbsButton;
    bool FWrap = false;
};

class TToolBar : public TControl {
    Q_OBJECT
    Q_PROPERTY(int ButtonHeight READ ButtonHeight WRITE SetButtonHeight)
    Q_PROPERTY(int ButtonWidth READ ButtonWidth WRITE SetButtonWidth)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(TComponent* Images READ Images WRITE SetImages)
    Q_PROPERTY(bool ShowCaptions READ ShowCaptions WRITE SetShowCaptions)
    Q_PROPERTY(bool Wrapable READ Wrapable WRITE SetWrapable)
public:
    Q_INVOKABLE explicit TToolBar(QObject* owner = nullptr);

    // Button sizes are 1 to 1000 pixels.
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int v);
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int v);
    bool Flat() const { return FFlat; }
    void SetFlat(bool v);
    TComponent* Images() const { return FImages; }
    void SetImages(TComponent* v);
    TCustomImageList* ImageList() const;
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool v);
    bool Wrapable() const { return FWrapable; }
    void SetWrapable(bool v);
    bool AcceptsControls() const override { return true; }

    // The tool buttons in row order.
    QList<TToolButton*> Buttons() const;
    // Places the buttons (done after loading and whenever they change).
    void ArrangeButtons();
    void Loaded() override;
    void Notification(TComponentBase* component, TOperation operation) override;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    int FButtonHeight = 22;
    int FButtonWidth = 23;
    bool FFlat = false;
    TComponent* FImages = nullptr;
    bool FShowCaptions = false;
    bool FWrapable = true;
    bool FArranging = false;
};

class TSpeedButton : public TActionButton {
    Q_OBJECT
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(TBitmap* Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(TButtonLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
    Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
public:
    enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
    Q_ENUM(TButtonLayout)

    Q_INVOKABLE explicit TSpeedButton(QObject* owner = nullptr);

    // A button of a group (GroupIndex > 0) pressed releases the other
    // buttons of the group on the same parent.
    void SetDown(bool v) override;
    bool Flat() const { return FFlat; }
    void SetFlat(bool v);
    TBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(TBitmap* v) { FGlyph->Assign(v); }
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v) { FGroupIndex = v; }
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout v);
    int Margin() const { return FMargin; }
    void SetMargin(int v);
    // 1 to 4 images side by side in the glyph (up, disabled, down, held).
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int v);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int v);

    // Group buttons go down (or up, with AllowAllUp), then the action runs
    // or OnClick is called; nothing when disabled.
    void Click() override;

protected:
    void ActionChanged() override;
    void paintEvent(QPaintEvent* e) override;

private:
    bool FFlat = false;
    TBitmap* FGlyph;
    int FGroupIndex = 0;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FNumGlyphs = 1;
    int FSpacing = 4;
};

#pragma GCC visibility pop
