#include "qxAeroTabs.h"

#include "ClassRegistry.h"
#include "WKConsts.h"
#include "Formatting.h"

#include <QActionGroup>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <cmath>

WK_REGISTER_CLASS(TqxAeroTabs)

namespace {
constexpr int StripHeight = 25;  // below TabOffsetTop
constexpr int ButtonRoom = 24;
constexpr int HintHideMs = 12000;

QColor Argb(int a, int r, int g, int b) { return QColor(r, g, b, a); }

// second + (first - second) * t / 256 per channel, t = 2.55 * percent rounded.
QColor Blend(const QColor& first, const QColor& second, int percent) {
    const int t = int(Round(2.55 * percent));
    auto mix = [t](int f, int s) { return s + (f - s) * t / 256; };
    return QColor(mix(first.red(), second.red()), mix(first.green(), second.green()),
                  mix(first.blue(), second.blue()));
}

// Even-odd crossing test of a horizontal ray, as the hit test of the strip counts.
bool PointInPolygon(const QPolygon& poly, const QPoint& p) {
    bool inside = false;
    for (int i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const QPoint& a = poly[i];
        const QPoint& b = poly[j];
        if ((a.y() > p.y()) != (b.y() > p.y())) {
            const double x = double(b.x() - a.x()) * (p.y() - a.y()) / double(b.y() - a.y()) + a.x();
            if (p.x() < x) inside = !inside;
        }
    }
    return inside;
}
}  // namespace

TqxAeroTabs::TqxAeroTabs(QObject* owner) : TControl(owner) {
    SetParentColor(false);
    SetColor(clWindow);
    SetParentFont(false);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);
    Font()->SetColor(clBlack);
    SetBounds(Left(), Top(), 150, 30);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TqxAeroTabs::~TqxAeroTabs() { DestroyComponent(); }

void TqxAeroTabs::TabChange() { FOnTabChange.Invoke(static_cast<QObject*>(this)); }

void TqxAeroTabs::AddObject(const QString& s, QObject* obj) {
    FTabs.append(s);
    FObjects.append(obj);
    FActiveTab = FTabs.size() - 1;
    update();
    TabChange();
}

void TqxAeroTabs::InsertObj(int index, const QString& s, QObject* obj) {
    if (index < 0 || index >= FTabs.size()) return;
    FTabs.insert(index, s);
    FObjects.insert(index, obj);
    FActiveTab = index;
    update();
    TabChange();
}

void TqxAeroTabs::DeleteTab(int index) {
    if (index < 0 || index >= FTabs.size()) return;
    FTabs.removeAt(index);
    FObjects.removeAt(index);
    if (FActiveTab >= FTabs.size()) FActiveTab = FTabs.size() - 1;
    if (FHotIdx >= FTabs.size()) FHotIdx = -1;
    if (FTabX >= FTabs.size()) FTabX = -1;
    TabChange();
    update();
}

QObject* TqxAeroTabs::TabObject(int index) const {
    return index >= 0 && index < FObjects.size() ? FObjects[index].data() : nullptr;
}

void TqxAeroTabs::SetTabObject(int index, QObject* obj) {
    if (index >= 0 && index < FObjects.size()) FObjects[index] = obj;
}

void TqxAeroTabs::SetTabCaption(int index, const QString& caption) {
    if (index < 0 || index >= FTabs.size()) return;
    FTabs[index] = caption;
    update();
}

void TqxAeroTabs::SetActiveTab(int v) {
    if (v >= 0 && v < FTabs.size()) {
        FActiveTab = v;
        TabChange();
    } else {
        FActiveTab = FTabs.isEmpty() ? -1 : 0;
    }
    update();
}

void TqxAeroTabs::SetTabs(const QStringList& v) {
    FTabs = v;
    while (FObjects.size() < FTabs.size()) FObjects.append(nullptr);
    while (FObjects.size() > FTabs.size()) FObjects.removeLast();
    UpdateTabWidth();
    if (FActiveTab >= FTabs.size()) FActiveTab = FTabs.size() - 1;
    if (FActiveTab < 0 && !FTabs.isEmpty()) FActiveTab = 0;
    TabChange();
    update();
}

void TqxAeroTabs::SetColorBackground(TColor v) {
    FColorBackground = v;
    update();
}

void TqxAeroTabs::SetImages(TComponent* v) {
    if (FImages == v) return;
    if (FImages) RemoveFreeNotification(FImages);
    FImages = v;
    if (FImages) FreeNotification(FImages);
    update();
}

void TqxAeroTabs::Notification(TComponentBase* component, TOperation operation) {
    TControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FImages) FImages = nullptr;
}

void TqxAeroTabs::SetShowButton(bool v) {
    FShowButton = v;
    update();
}

void TqxAeroTabs::SetShowClose(bool v) {
    FShowClose = v;
    update();
}

void TqxAeroTabs::SetShowImages(bool v) {
    FShowImages = v;
    update();
}

void TqxAeroTabs::SetTabOffset(int v) {
    FTabOffset = v;
    update();
}

void TqxAeroTabs::SetTabOffsetTop(int v) {
    FTabOffsetTop = v;
    SetHeight(FTabOffsetTop + StripHeight);
}

void TqxAeroTabs::resizeEvent(QResizeEvent* e) {
    TControl::resizeEvent(e);
    if (Height() != FTabOffsetTop + StripHeight) SetHeight(FTabOffsetTop + StripHeight);
    update();
}

void TqxAeroTabs::UpdateTabWidth() {
    const int count = FTabs.size();
    const int room = ClientWidth() - (FTabOffset + TabOverlap) - (FShowButton ? ButtonRoom : 0);
    int w = count > 0 ? room / count : 0;
    if (w < MinTabWidth) w = MinTabWidth;
    if (count * (w - TabOverlap) > room) w = MaxTabWidth;
    if (w > MaxTabWidth) w = MaxTabWidth;
    FTabWidth = w + TabOverlap;
}

QPolygon TqxAeroTabs::TabPolygon(int index) const {
    const int l = TabLeft(index);
    const int r = l + FTabWidth;
    const int t = FTabOffsetTop;
    const int b = Height() - 1;
    return QPolygon({QPoint(l, b), QPoint(l + 3, b - 4), QPoint(l + 11, t + 3), QPoint(l + 13, t + 1),
                     QPoint(l + 15, t), QPoint(r - 15, t), QPoint(r - 13, t + 1), QPoint(r - 11, t + 3),
                     QPoint(r - 3, b - 4), QPoint(r, b)});
}

int TqxAeroTabs::GetTabAtXY(int x, int y) const {
    const int count = FTabs.size();
    const int step = FTabWidth - TabOverlap;
    const int rx = x - FTabOffset;
    if (count == 0 || step <= 0 || rx <= 0 || rx >= count * step + TabOverlap) return -1;
    const QPoint p(x, y);
    const int k = rx / step;
    int candidate = k;
    if (k > 0 && PointInPolygon(TabPolygon(k - 1), p) &&
        !(k == FActiveTab && k < count && PointInPolygon(TabPolygon(k), p)))
        candidate = k - 1;
    if (k < count - 1 && PointInPolygon(TabPolygon(k + 1), p)) candidate = k + 1;
    if (candidate < count && PointInPolygon(TabPolygon(candidate), p)) return candidate;
    return -1;
}

QRect TqxAeroTabs::CloseGlyphRect(int index) const {
    const int cx = TabLeft(index) + FTabWidth - 26;
    const int cy = TabsHeight() / 2 + FTabOffsetTop;
    return QRect(QPoint(cx - 3, cy - 6), QPoint(cx + 9, cy + 6));
}

int TqxAeroTabs::CloseGlyphAt(const QPoint& p) const {
    if (!FShowClose) return -1;
    const int tab = GetTabAtXY(p.x(), p.y());
    if (tab < 0) return -1;
    const QRect r = CloseGlyphRect(tab);
    // The glyph's square from its first corner to its last, both included.
    return p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom() ? tab : -1;
}

QPolygon TqxAeroTabs::ButtonPolygon(int top) const {
    const int bx = TabLeft(FTabs.size() - 1) + FTabWidth;
    return QPolygon({QPoint(bx + 3, top + 15), QPoint(bx, top + 13), QPoint(bx - 4, top + 2), QPoint(bx - 3, top),
                     QPoint(bx + 13, top), QPoint(bx + 16, top + 2), QPoint(bx + 20, top + 13),
                     QPoint(bx + 20, top + 15)});
}

bool TqxAeroTabs::IsOverButton(const QPoint& p) const {
    return FShowButton && PointInPolygon(ButtonPolygon(FTabOffsetTop + 6), p);
}

int TqxAeroTabs::ImageIndexOf(int tab) const {
    int index = -1;
    if (FShowImages && FOnGetImageIndex && FImages && FTabWidth > 80)
        FOnGetImageIndex.Invoke(static_cast<QObject*>(const_cast<TqxAeroTabs*>(this)), tab, &index);
    return index;
}

QString TqxAeroTabs::TabHintAt(const QPoint& p, QRect* area) const {
    const int tab = GetTabAtXY(p.x(), p.y());
    if (tab < 0) return {};
    int room = FTabWidth;
    if (FShowImages && FTabWidth > 80) room -= TabOverlap + 17;
    if (FShowClose) room -= 31;
    const QFontMetrics fm(Font()->ToQFont());
    if (fm.horizontalAdvance(FTabs[tab]) <= room) return {};
    if (area) *area = QRect(QPoint(TabLeft(tab), FTabOffsetTop), QPoint(TabLeft(tab) + FTabWidth, Height() - 1));
    return FTabs[tab];
}

void TqxAeroTabs::DrawTabContent(QPainter& p, int index) const {
    const int l = TabLeft(index);
    const int r = l + FTabWidth;
    QRect text(QPoint(l + 17, FTabOffsetTop), QPoint(r - 17, Height() - 1));
    const int image = ImageIndexOf(index);
    if (image >= 0) {
        QImage picture;
        // Image lists answer "Image(int)"; a component without it draws nothing.
        if (QMetaObject::invokeMethod(FImages, "Image", Qt::DirectConnection, Q_RETURN_ARG(QImage, picture),
                                      Q_ARG(int, image)) &&
            !picture.isNull())
            p.drawImage(QPoint(text.left(), FTabOffsetTop + TabsHeight() / 2 - 8), picture);
        text.setLeft(text.left() + 16);
    }
    if (FShowClose) {
        const QRect glyph = CloseGlyphRect(index);
        const bool hovered = FTabX == index && (FHotClose || FCloseDown);
        const QPointF c(glyph.left() + 6.0, glyph.top() + 6.0);
        if (hovered) {
            p.setPen(Qt::NoPen);
            p.setBrush(FCloseDown ? Argb(255, 192, 52, 52) : Argb(255, 52, 52, 52));
            p.drawEllipse(c, 6.0, 6.0);
        }
        QPen cross(hovered ? Argb(255, 255, 255, 255) : Argb(255, 156, 156, 156), 1.6);
        cross.setCapStyle(Qt::FlatCap);
        p.setPen(cross);
        p.drawLine(c + QPointF(-3, -3), c + QPointF(3, 3));
        p.drawLine(c + QPointF(-3, 3), c + QPointF(3, -3));
        text.setRight(text.right() - 12);
    }
    p.setPen(ColorToQColor(Font()->Color()));
    p.setFont(Font()->ToQFont());
    const QString shown = QFontMetrics(p.font()).elidedText(FTabs[index], Qt::ElideRight, std::max(0, text.width()));
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

void TqxAeroTabs::DrawTab(QPainter& p, int index, bool active) const {
    const QColor c = ColorToQColor(Color());
    const QPolygon poly = TabPolygon(index);
    if (active) {
        p.setBrush(Argb(255, c.red(), c.green(), c.blue()));
        p.setPen(QPen(Blend(c, Qt::black, 50), 1));
    } else if (index == FHotIdx) {
        p.setBrush(Argb(224, 240, 240, 244));
        p.setPen(QPen(Argb(255, 176, 176, 176), 1));
    } else {
        p.setBrush(Argb(196, 216, 216, 219));
        p.setPen(QPen(Argb(255, 152, 152, 152), 1));
    }
    if (!active && index + 1 < FTabs.size()) {
        // The part of the right neighbour under this tab is cleared first, so
        // the translucent fill does not show the neighbour's slanted edge.
        QPainterPath clearPath;
        clearPath.addPolygon(poly);
        p.fillPath(clearPath, ColorToQColor(FColorBackground));
    }
    p.drawPolygon(poly);
    DrawTabContent(p, index);
}

void TqxAeroTabs::DrawButton(QPainter& p) const {
    const int top = FTabOffsetTop + 4;
    const QPolygon poly = ButtonPolygon(top);
    if (FButtonDown && FHotButton) {
        QLinearGradient g(0, top, 0, top + 15);
        g.setColorAt(0, Argb(255, 176, 176, 176));
        g.setColorAt(1, Argb(255, 240, 240, 244));
        p.setBrush(g);
        p.setPen(QPen(Argb(255, 176, 176, 176), 1));
    } else if (FHotButton) {
        p.setBrush(Argb(224, 240, 240, 244));
        p.setPen(QPen(Argb(255, 176, 176, 176), 1));
    } else {
        p.setBrush(Argb(196, 216, 216, 219));
        p.setPen(QPen(Argb(255, 152, 152, 152), 1));
    }
    p.drawPolygon(poly);
    const int bx = TabLeft(FTabs.size() - 1) + FTabWidth;
    const int t = FTabOffsetTop;
    const QPolygon plus({QPoint(bx + 7, t + 7), QPoint(bx + 10, t + 7), QPoint(bx + 10, t + 10), QPoint(bx + 13, t + 10),
                         QPoint(bx + 13, t + 13), QPoint(bx + 10, t + 13), QPoint(bx + 10, t + 16),
                         QPoint(bx + 7, t + 16), QPoint(bx + 7, t + 13), QPoint(bx + 4, t + 13), QPoint(bx + 4, t + 10),
                         QPoint(bx + 7, t + 10)});
    const QColor c = ColorToQColor(Color());
    p.setBrush(c);
    p.setPen(QPen(Argb(255, 74, 103, 140), 1));
    p.drawPolygon(plus);
}

QImage TqxAeroTabs::Render() {
    QImage image(std::max(1, Width()), std::max(1, Height()), QImage::Format_ARGB32_Premultiplied);
    image.fill(ColorToQColor(FColorBackground));
    if (!FTabs.isEmpty()) {
        UpdateTabWidth();
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        for (int i = FTabs.size() - 1; i >= 0; --i)
            if (i != FActiveTab) DrawTab(p, i, false);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QColor(128, 128, 128));
        p.drawLine(0, Height() - 1, Width(), Height() - 1);
        if (FActiveTab >= 0 && FActiveTab < FTabs.size()) {
            p.setRenderHint(QPainter::Antialiasing);
            DrawTab(p, FActiveTab, true);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(ColorToQColor(Color()));
            const int l = TabLeft(FActiveTab);
            p.drawLine(l + 1, Height() - 1, l + FTabWidth, Height() - 1);
        }
        if (FShowButton) {
            p.setRenderHint(QPainter::Antialiasing);
            DrawButton(p);
        }
    }
    // The bottom row is made opaque: the active tab opens into the page below.
    for (int x = 0; x < image.width(); ++x) {
        const QRgb px = image.pixel(x, image.height() - 1);
        image.setPixel(x, image.height() - 1, qRgb(qRed(px), qGreen(px), qBlue(px)));
    }
    return image;
}

void TqxAeroTabs::paintEvent(QPaintEvent*) {
    try {
        const QImage image = Render();
        QPainter p(this);
        p.drawImage(0, 0, image);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TqxAeroTabs.Paint: ") + QString::fromUtf8(e.what()));
    }
}

void TqxAeroTabs::mousePressEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        FDragging = false;
        FDragPoint = QPoint(-1, -1);
        FCloseDown = false;
        FTabX = -1;
        const int glyph = CloseGlyphAt(pos);
        if (glyph >= 0) {
            FTabX = glyph;
            FCloseDown = true;
        } else {
            const int tab = GetTabAtXY(pos.x(), pos.y());
            if (tab >= 0) {
                FActiveTab = tab;
                TabChange();
                FDragTab = tab;
                FCanDrag = true;
                FDragPoint = pos;
            }
        }
        if (FShowButton) FButtonDown = IsOverButton(pos);
        update();
    } else if (e->button() == Qt::RightButton && !PopupMenu()) {
        DefaultPopup()->popup(e->globalPosition().toPoint());
    }
    TControl::mousePressEvent(e);
}

void TqxAeroTabs::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    FHotIdx = GetTabAtXY(pos.x(), pos.y());
    if (!FCloseDown) FTabX = CloseGlyphAt(pos);
    FHotClose = FTabX >= 0 && CloseGlyphAt(pos) == FTabX;
    if (FShowButton) FHotButton = IsOverButton(pos);
    if ((e->buttons() & Qt::LeftButton) && FCanDrag && FDragPoint.x() >= 0) {
        if (!FDragging) {
            const QPoint d = pos - FDragPoint;
            const int distance = int(Round(std::sqrt(double(d.x()) * d.x() + double(d.y()) * d.y())));
            FDragging = distance > DragDistance;
        }
        if (FDragging && FHotIdx >= 0 && FHotIdx != FDragTab && FDragTab >= 0 && FDragTab < FTabs.size()) {
            FTabs.move(FDragTab, FHotIdx);
            FObjects.move(FDragTab, FHotIdx);
            FActiveTab = FHotIdx;
            FDragTab = FHotIdx;
            // The order of the tabs changed: owners keep their pages in step.
            TabChange();
        }
    }
    update();
    TControl::mouseMoveEvent(e);
}

void TqxAeroTabs::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    FDragging = false;
    if (e->button() == Qt::LeftButton) {
        if (FShowButton && FButtonDown && IsOverButton(pos)) FOnAddClick.Invoke(static_cast<QObject*>(this));
        if (FShowClose && FCloseDown && FTabX >= 0 && CloseGlyphAt(pos) == FTabX) {
            const int index = FTabX;
            bool close = true;
            if (FOnCloseTab && FOnCloseTab.Invoke(static_cast<QObject*>(this), index, &close) && close)
                DeleteTab(index);
        }
    }
    FCanDrag = false;
    FButtonDown = false;
    FCloseDown = false;
    FHotClose = false;
    FHotButton = false;
    FTabX = -1;
    FDragTab = -1;
    FDragPoint = QPoint(-1, -1);
    update();
    TControl::mouseReleaseEvent(e);
}

void TqxAeroTabs::leaveEvent(QEvent* e) {
    FHotIdx = -1;
    if (!FCloseDown) {
        FTabX = -1;
        FHotClose = false;
    }
    FHotButton = false;
    update();
    TControl::leaveEvent(e);
}

bool TqxAeroTabs::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        QRect area;
        const QString hint = TabHintAt(help->pos(), &area);
        if (!hint.isEmpty()) {
            QToolTip::showText(help->globalPos(), hint, this, area, HintHideMs);
            return true;
        }
    }
    return TControl::event(e);
}

QMenu* TqxAeroTabs::DefaultPopup() {
    if (!FDefPopup) FDefPopup = new QMenu(this);
    BuildDefaultPopup();
    return FDefPopup;
}

void TqxAeroTabs::BuildDefaultPopup() {
    if (!FDefPopup) FDefPopup = new QMenu(this);
    FDefPopup->clear();
    // The new-tab item is told from the tab items by its own action, not by a
    // tag number a tab could also have.
    QAction* add = FDefPopup->addAction(QStringLiteral("Новая закладка"));
    connect(add, &QAction::triggered, this, [this] {
        FOnAddClick.Invoke(static_cast<QObject*>(this));
        update();
    });
    FDefPopup->addSeparator();
    auto* group = new QActionGroup(FDefPopup);
    for (int i = 0; i < FTabs.size(); ++i) {
        QAction* item = FDefPopup->addAction(FTabs[i]);
        item->setCheckable(true);
        item->setChecked(i == FActiveTab);
        item->setData(i);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, i] { SetActiveTab(i); });
    }
}
