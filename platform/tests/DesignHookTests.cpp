#include "DesignHook.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {
// Consumes mouse presses and records which widgets they were for.
class TRecordingHook : public IDesignHook {
public:
    bool IsDesignMsg(QWidget* sender, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress) return false;
        Pressed << sender;
        return true;
    }
    void PaintGrid(QPainter& painter, const QRect&) override {
        ++Paints;
        painter.fillRect(0, 0, 1, 1, Qt::red);
    }
    QList<QWidget*> Pressed;
    int Paints = 0;
};

class TCountingWidget : public QWidget {
public:
    using QWidget::QWidget;
    int Presses = 0;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        ++Presses;
        e->accept();
    }
};

void Press(QWidget* w) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST(DesignHook, SeesEveryWidgetOfTheFormFirstAlsoOnesAddedLater) {
    QWidget form, elsewhere;
    form.resize(50, 50);
    auto* child = new TCountingWidget(&form);
    auto* tracking = new QWidget(&form);
    tracking->setMouseTracking(true);
    TRecordingHook hook;
    SetDesignHook(&form, &hook);
    EXPECT_EQ(DesignHookOf(&form), &hook);
    EXPECT_TRUE(child->hasMouseTracking());  // moves without a button reach the hook

    Press(child);
    EXPECT_EQ(child->Presses, 0);
    auto* later = new TCountingWidget(child);
    Press(later);
    EXPECT_EQ(hook.Pressed, (QList<QWidget*>{child, later}));
    EXPECT_EQ(later->Presses, 0);

    // A widget that leaves the form is its own again.
    later->setParent(&elsewhere);
    Press(later);
    EXPECT_EQ(later->Presses, 1);
    EXPECT_FALSE(later->hasMouseTracking());

    const QImage image = form.grab().toImage();
    EXPECT_GE(hook.Paints, 1);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::red));

    SetDesignHook(&form, nullptr);
    EXPECT_EQ(DesignHookOf(&form), nullptr);
    Press(child);
    EXPECT_EQ(child->Presses, 1);
    EXPECT_FALSE(child->hasMouseTracking());
    EXPECT_TRUE(tracking->hasMouseTracking());  // it tracked before the hook came
}
}  // namespace
