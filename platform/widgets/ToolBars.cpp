#include "ToolBars.h"

#include "ClassRegistry.h"
#include "ImgList.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace {
TAction* AsAction(TComponent* c) {
    if (c && !qobject_cast<TAction*>(c)) throw EComponentError(QStringLiteral("%1 is not an action").arg(c->ClassName()));
    return static_cast<TAction*>(c);
}

// A raised or sunken button face with an image and a caption beside or below it.
void PaintButton(QWidget& w, QPainter& p, bool down, bool flat, bool enabled, const QImage& image,
                 const QString& caption, bool captionBelow) {
    const QRect r = w.rect();
    if (down || !flat) {
        QStyleOptionButton option;
        option.initFrom(&w);
        option.rect = r;
        option.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        if (!enabled) option.state &= ~QStyle::State_Enabled;
        w.style()->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &p, &w);
    }
    if (!enabled) p.setOpacity(0.4);
    const QPoint shift = down ? QPoint(1, 1) : QPoint();
    if (caption.isEmpty() || image.isNull()) {
        if (!image.isNull())
            p.drawImage(QRect(QPoint(), image.size()).translated(r.center() - QPoint(image.width() / 2, image.height() / 2) + shift), image);
        else
            p.drawText(r.translated(shift), Qt::AlignCenter, caption);
        return;
    }
    if (captionBelow) {
        const QRect img(r.center().x() - image.width() / 2 + shift.x(), r.top() + 3 + shift.y(), image.width(), image.height());
        p.drawImage(img, image);
        p.drawText(QRect(r.left(), img.bottom() + 1, r.width(), r.bottom() - img.bottom()).translated(shift),
                   Qt::AlignHCenter | Qt::AlignTop, caption);
    } else {
        const QRect img(r.left() + 4 + shift.x(), r.center().y() - image.height() / 2 + shift.y(), image.width(), image.height());
        p.drawImage(img, image);
        p.drawText(QRect(img.right() + 4, r.top(), r.right() - img.right() - 4, r.height()).translated(shift),
                   Qt::AlignLeft | Qt::AlignVCenter, caption);
    }
}
}  // namespace

// --- TActionButton ---

void TActionButton::SetAction(TComponent* v) {
    TAction* a = AsAction(v);
    if (a == FAction) return;
    QObject::disconnect(FConnection);
    if (FAction) RemoveFreeNotification(FAction);
    FAction = a;
    if (!a) return;
    FreeNotification(a);
    FConnection = connect(a, &TAction::ActionChanged, this, [this] { ActionChanged(); });
    ActionChanged();
}

void TActionButton::ActionChanged() {
    if (!FAction) return;
    FCaption = FAction->Caption();
    SetHint(FAction->Hint());
    SetEnabled(FAction->Enabled());
    CaptionChanged();
}

void TActionButton::SetCaption(const QString& v) {
    FCaption = v;
    CaptionChanged();
}

void TActionButton::SetDown(bool v) {
    FDown = v;
    update();
}

void TActionButton::Perform() {
    if (FAction)
        FAction->Execute();
    else
        FOnClick.Invoke(static_cast<QObject*>(this));
}

void TActionButton::Notification(TComponentBase* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == TOperation::opRemove && FAction && component == AsComponent(FAction.data())) {
        QObject::disconnect(FConnection);
        FAction = nullptr;
    }
}

void TActionButton::mouseReleaseEvent(QMouseEvent* e) {
    TGraphicControl::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && !IsDesigning() && Enabled()) Click();
}

// --- TToolButton ---

void TToolButton::ActionChanged() {
    if (TAction* a = LinkedAction()) {
        FImageIndex = a->ImageIndex();
        if (FStyle == tbsCheck) FDown = a->Checked();
    }
    TActionButton::ActionChanged();
}

void TToolButton::CaptionChanged() {
    Relayout();
    update();
}

void TToolButton::SetDown(bool v) {
    if (v == FDown) return;
    FDown = v;
    if (v && FGrouped && FStyle == tbsCheck)
        if (TToolBar* bar = ToolBar()) {
            // The group is the run of grouped check buttons around this one.
            const QList<TToolButton*> buttons = bar->Buttons();
            const int at = int(buttons.indexOf(this));
            const auto inGroup = [](TToolButton* b) { return b->FGrouped && b->FStyle == tbsCheck; };
            for (int i = at - 1; i >= 0 && inGroup(buttons[i]); --i) buttons[i]->SetDown(false);
            for (int i = at + 1; i < buttons.size() && inGroup(buttons[i]); ++i) buttons[i]->SetDown(false);
        }
    update();
}

void TToolButton::SetDropdownMenu(TComponent* v) {
    if (v == FDropdownMenu) return;
    if (FDropdownMenu) RemoveFreeNotification(FDropdownMenu);
    FDropdownMenu = v;
    if (v) FreeNotification(v);
}

void TToolButton::SetImageIndex(int v) {
    FImageIndex = v;
    update();
}

void TToolButton::SetStyle(TToolButtonStyle v) {
    FStyle = v;
    if ((v == tbsSeparator || v == tbsDivider) && Width() == 23 && !IsLoading()) SetWidth(8);
    Relayout();
    update();
}

void TToolButton::SetWrap(bool v) {
    FWrap = v;
    Relayout();
}

TToolBar* TToolButton::ToolBar() const { return qobject_cast<TToolBar*>(ParentControl()); }

void TToolButton::Relayout() {
    if (TToolBar* bar = ToolBar(); bar && !IsLoading()) bar->ArrangeButtons();
}

void TToolButton::SetParentComponent(TComponentBase* parent) {
    TActionButton::SetParentComponent(parent);
    Relayout();
}

void TToolButton::Click() {
    if (!Enabled() || FStyle == tbsSeparator || FStyle == tbsDivider) return;
    if (FStyle == tbsCheck) {
        if (!FDown)
            SetDown(true);
        else if (!FGrouped || FAllowAllUp)
            SetDown(false);
    }
    Perform();
}

void TToolButton::Notification(TComponentBase* component, TOperation operation) {
    TActionButton::Notification(component, operation);
    if (operation == TOperation::opRemove && FDropdownMenu && component == AsComponent(FDropdownMenu))
        FDropdownMenu = nullptr;
}

void TToolButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (FStyle == tbsSeparator) return;
    if (FStyle == tbsDivider) {
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(width() / 2, 2, width() / 2, height() - 3);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(width() / 2 + 1, 2, width() / 2 + 1, height() - 3);
        return;
    }
    const TToolBar* bar = ToolBar();
    const TCustomImageList* images = bar ? bar->ImageList() : nullptr;
    const QImage image = images ? images->Image(FImageIndex) : QImage();
    const bool captions = !bar || bar->ShowCaptions();
    p.setFont(Font()->ToQFont());
    PaintButton(*this, p, FDown, bar && bar->Flat(), Enabled(), image, captions ? FCaption : QString(), true);
}

// --- TToolBar ---

TToolBar::TToolBar(QObject* owner) : TControl(owner) {
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

void TToolBar::SetButtonHeight(int v) {
    if (v < 1 || v > 1000) throw EComponentError(QStringLiteral("ButtonHeight out of range: %1").arg(v));
    FButtonHeight = v;
    ArrangeButtons();
}

void TToolBar::SetButtonWidth(int v) {
    if (v < 1 || v > 1000) throw EComponentError(QStringLiteral("ButtonWidth out of range: %1").arg(v));
    FButtonWidth = v;
    ArrangeButtons();
}

void TToolBar::SetFlat(bool v) {
    FFlat = v;
    update();
    for (TToolButton* b : Buttons()) b->update();
}

void TToolBar::SetImages(TComponent* v) {
    if (v == FImages) return;
    if (FImages) RemoveFreeNotification(FImages);
    FImages = v;
    if (v) FreeNotification(v);
    for (TToolButton* b : Buttons()) b->update();
}

TCustomImageList* TToolBar::ImageList() const { return qobject_cast<TCustomImageList*>(FImages); }

void TToolBar::SetShowCaptions(bool v) {
    FShowCaptions = v;
    ArrangeButtons();
}

void TToolBar::SetWrapable(bool v) {
    FWrapable = v;
    ArrangeButtons();
}

QList<TToolButton*> TToolBar::Buttons() const {
    QList<TToolButton*> buttons;
    for (TControl* c : Controls())
        if (auto* b = qobject_cast<TToolButton*>(c)) buttons << b;
    // Rows first, then left to right; ties keep creation order.
    std::stable_sort(buttons.begin(), buttons.end(), [](const TToolButton* a, const TToolButton* b) {
        return a->Top() / 4 != b->Top() / 4 ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    return buttons;
}

void TToolBar::ArrangeButtons() {
    if (FArranging || IsLoading()) return;
    FArranging = true;
    const QRect client = ClientRect();
    const QFontMetrics fm(Font()->ToQFont());
    int x = client.left(), y = client.top();
    for (TToolButton* b : Buttons()) {
        const bool separator = b->Style() == TToolButton::tbsSeparator || b->Style() == TToolButton::tbsDivider;
        int w = separator ? b->Width() : FButtonWidth;
        if (FShowCaptions && !separator) w = std::max(w, fm.horizontalAdvance(b->Caption()) + 8);
        if (FWrapable && x > client.left() && x + w > client.right() + 1) {
            x = client.left();
            y += FButtonHeight;
        }
        b->SetBounds(x, y, w, FButtonHeight);
        x += w;
        if (b->Wrap()) {
            x = client.left();
            y += FButtonHeight;
        }
    }
    FArranging = false;
}

void TToolBar::Loaded() {
    TControl::Loaded();
    ArrangeButtons();
}

void TToolBar::Notification(TComponentBase* component, TOperation operation) {
    TControl::Notification(component, operation);
    if (operation == TOperation::opRemove && FImages && component == AsComponent(FImages)) FImages = nullptr;
}

void TToolBar::resizeEvent(QResizeEvent* e) {
    TControl::resizeEvent(e);
    ArrangeButtons();
}

void TToolBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorToQColor(Color()));
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(0, 0, width() - 1, 0);
}

// --- TSpeedButton ---

TSpeedButton::TSpeedButton(QObject* owner) : TActionButton(owner), FGlyph(new TBitmap(this)) {
    connect(FGlyph, &TPersistent::Changed, this, [this] { update(); });
}

void TSpeedButton::ActionChanged() {
    if (TAction* a = LinkedAction(); a && FGroupIndex > 0) SetDown(a->Checked());
    TActionButton::ActionChanged();
}

void TSpeedButton::SetDown(bool v) {
    if (v == FDown) return;
    // A lone button of no group never stays down (the group may come later
    // in a stored form).
    if (v && FGroupIndex == 0 && !IsLoading()) return;
    FDown = v;
    if (v && !IsLoading())
        if (TControl* parent = ParentControl())
            for (TControl* c : parent->Controls())
                if (auto* other = qobject_cast<TSpeedButton*>(c); other && other != this && other->FGroupIndex == FGroupIndex)
                    other->SetDown(false);
    update();
}

void TSpeedButton::SetFlat(bool v) {
    FFlat = v;
    update();
}

void TSpeedButton::SetLayout(TButtonLayout v) {
    FLayout = v;
    update();
}

void TSpeedButton::SetMargin(int v) {
    FMargin = std::clamp(v, -1, 1000);
    update();
}

void TSpeedButton::SetNumGlyphs(int v) {
    if (v < 1 || v > 4) throw EComponentError(QStringLiteral("NumGlyphs out of range: %1").arg(v));
    FNumGlyphs = v;
    update();
}

void TSpeedButton::SetSpacing(int v) {
    FSpacing = std::clamp(v, -1, 1000);
    update();
}

void TSpeedButton::Click() {
    if (!Enabled()) return;
    if (FGroupIndex > 0) {
        if (!FDown)
            SetDown(true);
        else if (FAllowAllUp)
            SetDown(false);
    }
    Perform();
}

void TSpeedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(Font()->ToQFont());
    QImage glyph = FGlyph->Image();
    // The glyph holds NumGlyphs images side by side: up first, then disabled.
    if (!glyph.isNull() && FNumGlyphs > 1) {
        const int w = glyph.width() / FNumGlyphs;
        glyph = glyph.copy(!Enabled() && FNumGlyphs > 1 ? w : 0, 0, w, glyph.height());
    }
    PaintButton(*this, p, FDown, FFlat, Enabled(), glyph, FCaption,
                FLayout == blGlyphTop || FLayout == blGlyphBottom);
}

WK_REGISTER_CLASS(TToolButton)
WK_REGISTER_CLASS(TToolBar)
WK_REGISTER_CLASS(TSpeedButton)
