// The overlay of a drag and the draw procedures of the four drags.
#include "ClassRegistry.h"
#include "DsgnSurfaceEngine.h"

#include <QPainter>
#include <QPaintEvent>
#include <climits>
#include <memory>

TDEngCanvas::TDEngCanvas(QWidget* container) : QWidget(container) {
    setObjectName(QStringLiteral("DesignCanvas"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(container->rect());
    raise();
    show();
}

void TDEngCanvas::SetOutlines(const QList<QRect>& rects, TPenKind pen) {
    FOutlines = rects;
    FPen = pen;
    update();
}

void TDEngCanvas::paintEvent(QPaintEvent*) {
    // Qt draws no XOR: a dark and a light stroke keep the outline visible on
    // any background.
    QPainter p(this);
    p.setBrush(Qt::NoBrush);
    for (const QRect& r : FOutlines) {
        if (FPen == pkDottedWhite) {
            p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
            p.drawRect(r.adjusted(0, 0, -1, -1));
            p.setPen(QPen(Qt::white, 1, Qt::DotLine));
            p.drawRect(r.adjusted(0, 0, -1, -1));
        } else {
            QPen pen(QColor(0x80, 0x80, 0x80), 2);
            pen.setJoinStyle(Qt::MiterJoin);
            p.setPen(pen);
            // One pixel inside at left and top, as the 2-pixel pen centred on the edge.
            p.drawRect(QRectF(r).adjusted(1, 1, -1, -1));
        }
    }
}

namespace {
// The rectangle between two corners, the second one outside it.
QRect Band(QPoint a, QPoint b) {
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())), QSize(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())));
}

class TRubberBandProc : public TDEngDrawProc {
public:
    TRubberBandProc(TDEng& eng, QWidget* container, QPoint start) : FEng(eng), FContainer(container), FStart(start) {}
    void Draw(TDEngDrawProcFlag flag, const QPoint& cursor) override {
        const QRect band = Band(FStart, cursor);
        switch (flag) {
            case pfInitAndDraw:
            case pfMove:
                FEng.Canvas()->SetOutlines({band}, TDEngCanvas::pkDottedWhite);
                return;
            case ddpfCancelRemoveAndDispose: return;
            case pfOkRemoveAndDispose: break;
        }
        if (!FContainer) return;
        TFormDesignerSelectedControls& sel = FEng.Selection();
        sel.BeginUpdate();
        for (TControl* c : qobject_cast<TControl*>(FContainer.data()) ? static_cast<TControl*>(FContainer.data())->Controls()
                                                                     : QList<TControl*>())
            if (FEng.Designer().IsDesignable(c) && c->BoundsRect().intersects(band)) sel.Add(c);
        if (sel.Count() > 1) sel.Remove(FEng.Root());
        sel.EndUpdate();
    }

private:
    TDEng& FEng;
    QPointer<QWidget> FContainer;
    QPoint FStart;
};

class TMoveProc : public TDEngDrawProc {
public:
    TMoveProc(TDEng& eng, QPoint start, const QList<TControl*>& controls) : FEng(eng), FStart(start) {
        for (TControl* c : controls) FControls << c;
    }
    void Draw(TDEngDrawProcFlag flag, const QPoint& cursor) override {
        const QPoint delta = cursor - FStart;
        switch (flag) {
            case pfInitAndDraw:
            case pfMove: {
                QList<QRect> outlines;
                int left = INT_MAX, top = INT_MAX;
                for (const QPointer<TControl>& c : FControls)
                    if (c) {
                        outlines << c->BoundsRect().translated(delta);
                        left = std::min(left, c->Left());
                        top = std::min(top, c->Top());
                    }
                FEng.Canvas()->SetOutlines(outlines, TDEngCanvas::pkGrey2);
                if (flag == pfMove && !outlines.isEmpty() && FEng.Designer().ShowingHints().Contains(htMove))
                    FEng.DragHint(QStringLiteral("%1, %2").arg(left + delta.x()).arg(top + delta.y()));
                return;
            }
            case ddpfCancelRemoveAndDispose: return;
            case pfOkRemoveAndDispose: break;
        }
        if (delta.isNull()) return;
        for (const QPointer<TControl>& c : FControls)
            if (c && !LockModeOf(c).Contains(lmNoMove)) {
                const QRect b = c->BoundsRect().translated(delta);
                c->SetBounds(b.x(), b.y(), b.width(), b.height());
            }
        FEng.Modified();
    }

private:
    TDEng& FEng;
    QPoint FStart;
    QList<QPointer<TControl>> FControls;
};

class TSizeProc : public TDEngDrawProc {
public:
    TSizeProc(TDEng& eng, QPoint start, TControl* control, TDSelCtrlItemPointPos pos)
        : FEng(eng), FStart(start), FControl(control), FPos(pos), FOld(control->BoundsRect()) {}
    QRect Sized(QPoint delta) const {
        int l = FOld.left(), t = FOld.top(), r = FOld.left() + FOld.width(), b = FOld.top() + FOld.height();
        if (FPos == ppTopLeft || FPos == ppBottomLeft || FPos == ppLeft) l += delta.x();
        if (FPos == ppTopLeft || FPos == ppTop || FPos == ppTopRight) t += delta.y();
        if (FPos == ppTopRight || FPos == ppRight || FPos == ppBottomRight) r += delta.x();
        if (FPos == ppBottomRight || FPos == ppBottom || FPos == ppBottomLeft) b += delta.y();
        if (l > r) std::swap(l, r);
        if (t > b) std::swap(t, b);
        return QRect(l, t, r - l, b - t);
    }
    void Draw(TDEngDrawProcFlag flag, const QPoint& cursor) override {
        const QRect r = Sized(cursor - FStart);
        switch (flag) {
            case pfInitAndDraw:
            case pfMove:
                FEng.Canvas()->SetOutlines({r}, TDEngCanvas::pkGrey2);
                if (flag == pfMove && FEng.Designer().ShowingHints().Contains(htSize))
                    FEng.DragHint(QStringLiteral("%1 x %2").arg(r.width()).arg(r.height()));
                return;
            case ddpfCancelRemoveAndDispose: return;
            case pfOkRemoveAndDispose: break;
        }
        if (!FControl || r == FOld) return;
        FControl->SetBounds(r.x(), r.y(), r.width(), r.height());
        FControl->update();
        FEng.Modified();
    }

private:
    TDEng& FEng;
    QPoint FStart;
    QPointer<TControl> FControl;
    TDSelCtrlItemPointPos FPos;
    QRect FOld;
};

class TInsertProc : public TDEngDrawProc {
public:
    TInsertProc(TDEng& eng, TControl* container, QPoint start, const TClassInfo* cls)
        : FEng(eng), FContainer(container), FStart(start), FClass(cls) {}
    void Draw(TDEngDrawProcFlag flag, const QPoint& cursor) override {
        const QRect r = Band(FStart, cursor);
        const int w = r.width(), h = r.height();
        switch (flag) {
            case pfInitAndDraw:
            case pfMove:
                // Extended one pixel right and down: the cursor's pixel is inside.
                FEng.Canvas()->SetOutlines({QRect(r.topLeft(), QSize(w + 1, h + 1))}, TDEngCanvas::pkGrey2);
                if (flag == pfMove && FEng.Designer().ShowingHints().Contains(htInsert))
                    FEng.DragHint(QStringLiteral("%1 x %2").arg(w).arg(h));
                return;
            case ddpfCancelRemoveAndDispose: return;
            case pfOkRemoveAndDispose: break;
        }
        if (!FContainer || !FClass->Create) return;
        TControl* root = FEng.Root();
        std::unique_ptr<QObject> obj(FClass->Create(root));
        auto* c = qobject_cast<TControl*>(obj.get());
        if (!c) throw EFormDesigner(QString::fromLatin1(DesignerMessages::CannotSelect).arg(FClass->Name));
        if (w > 1 || h > 1)
            c->SetBounds(r.x(), r.y(), w, h);
        else
            c->SetBounds(FStart.x(), FStart.y(), c->Width(), c->Height());
        c->SetName(FEng.UniqueName(FClass->Name));
        c->SetParentWidget(FContainer);
        obj.release();  // owned by the root from here on
        FEng.Selection().ClearExcept(c);
        if (FEng.Designer().OnControlInserted) FEng.Designer().OnControlInserted(c);
        FEng.Modified();
    }

private:
    TDEng& FEng;
    QPointer<TControl> FContainer;
    QPoint FStart;
    const TClassInfo* FClass;
};
}  // namespace

std::unique_ptr<TDEngDrawProc> RubberBandDrawProc(TDEng& eng, QWidget* container, QPoint start) {
    return std::make_unique<TRubberBandProc>(eng, container, start);
}
std::unique_ptr<TDEngDrawProc> MoveDrawProc(TDEng& eng, QPoint start, const QList<TControl*>& controls) {
    return std::make_unique<TMoveProc>(eng, start, controls);
}
std::unique_ptr<TDEngDrawProc> SizeDrawProc(TDEng& eng, QPoint start, TControl* control, TDSelCtrlItemPointPos pos) {
    return std::make_unique<TSizeProc>(eng, start, control, pos);
}
std::unique_ptr<TDEngDrawProc> InsertDrawProc(TDEng& eng, TControl* container, QPoint start, const TClassInfo* cls) {
    return std::make_unique<TInsertProc>(eng, container, start, cls);
}
