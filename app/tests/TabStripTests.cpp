// The tab strip of the tabbed chart form: geometry, hit tests, mouse, popup.
#include "qxAeroTabs.h"
#include "ComponentStreaming.h"

#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// Records the strip's events as a form's handlers would.
class TTabsHandler : public QObject {
    Q_OBJECT
public:
    QStringList Log;
    bool Veto = false;
    Q_INVOKABLE void TabChange(QObject*) { Log << "change"; }
    Q_INVOKABLE void AddClick(QObject*) { Log << "add"; }
    Q_INVOKABLE void CloseTab(QObject*, int index, bool* close) {
        Log << QString("close %1").arg(index);
        if (Veto) *close = false;
    }
};

struct TStrip {
    QWidget Host;
    TqxAeroTabs* Tabs = new TqxAeroTabs();
    TTabsHandler Handler;
    explicit TStrip(int width, int count) {
        Tabs->SetParentWidget(&Host);
        Host.resize(width + 10, 60);
        Tabs->SetBounds(0, 0, width, 30);
        for (int i = 0; i < count; ++i) Tabs->AddTab(QString("График %1").arg(i + 1));
        Tabs->SetOnTabChange({&Handler, "TabChange"});
        Tabs->SetOnAddClick({&Handler, "AddClick"});
        Tabs->SetOnCloseTab({&Handler, "CloseTab"});
        Tabs->UpdateTabWidth();
        Host.show();
    }
    // A point inside tab i away from its neighbours.
    QPoint Middle(int i) const {
        const int l = Tabs->TabOffset() + (Tabs->TabWidth() - TqxAeroTabs::TabOverlap) * i;
        return QPoint(l + Tabs->TabWidth() / 2, Tabs->Height() / 2 + 4);
    }
};

TEST(TabStripGeometry, TabWidthsShareTheRoom) {
    struct TCase { int Width, Count; bool Button; int Expected; };
    const TCase cases[] = {
        {300, 3, true, 103},   // room 259, 86 each, plus the overlap
        {300, 40, true, 29},   // squeezed to 12, too many to fit anyway
        {300, 0, true, 29},    // no tabs: the minimum
        {300, 3, false, 111},  // no button: room 283, 94 each
        {2000, 2, true, 209},  // never wider than 192 plus the overlap
    };
    for (const TCase& c : cases) {
        TStrip s(c.Width, c.Count);
        s.Tabs->SetShowButton(c.Button);
        s.Tabs->UpdateTabWidth();
        EXPECT_EQ(s.Tabs->TabWidth(), c.Expected) << c.Width << " " << c.Count;
    }
}

TEST(TabStripGeometry, OverlapBelongsToTheLeftTabUnlessTheRightIsActive) {
    TStrip s(300, 3);
    s.Tabs->SetActiveTab(0);
    // Tab 2 starts at 86*2 = 172; tab 1 ends at 86 + 103 = 189.
    const int y = s.Tabs->Height() - 3;
    const QPoint overlap(180, y);
    EXPECT_EQ(s.Tabs->GetTabAtXY(overlap.x(), overlap.y()), 1);
    s.Tabs->SetActiveTab(2);
    EXPECT_EQ(s.Tabs->GetTabAtXY(overlap.x(), overlap.y()), 2);
    EXPECT_EQ(s.Tabs->GetTabAtXY(2, 2), -1);      // left of the slant
    EXPECT_EQ(s.Tabs->GetTabAtXY(290, y), -1);    // past the last tab
    TStrip none(300, 0);
    EXPECT_EQ(none.Tabs->ActiveTab(), -1);
    EXPECT_EQ(none.Tabs->GetTabAtXY(50, 15), -1);
}

TEST(TabStripGeometry, ActiveTabAndDeletion) {
    TStrip s(300, 3);
    s.Handler.Log.clear();
    s.Tabs->SetActiveTab(7);  // invalid: tab 0 without the event
    EXPECT_EQ(s.Tabs->ActiveTab(), 0);
    EXPECT_TRUE(s.Handler.Log.isEmpty());
    s.Tabs->SetActiveTab(2);
    s.Tabs->DeleteTab(2);  // the active last tab: the new last one is active
    EXPECT_EQ(s.Tabs->ActiveTab(), 1);
    s.Tabs->DeleteTab(0);
    s.Tabs->DeleteTab(0);
    EXPECT_EQ(s.Tabs->ActiveTab(), -1);
    s.Tabs->InsertTab(0, "x");  // nothing to insert before
    EXPECT_EQ(s.Tabs->TabCount(), 0);
    EXPECT_EQ(s.Handler.Log, QStringList({"change", "change", "change", "change"}));
}

TEST(TabStripGeometry, CloseGlyphDeletesOnlyOnReleaseOverTheSameGlyph) {
    TStrip s(300, 3);
    const QRect glyph = s.Tabs->CloseGlyphRect(1);
    const QPoint onGlyph = glyph.center();
    ASSERT_EQ(s.Tabs->CloseGlyphAt(onGlyph), 1);

    // Pressed, left and released elsewhere: nothing.
    QTest::mousePress(s.Tabs, Qt::LeftButton, {}, onGlyph);
    QTest::mouseMove(s.Tabs, s.Middle(0));
    QTest::mouseRelease(s.Tabs, Qt::LeftButton, {}, s.Middle(0));
    EXPECT_EQ(s.Tabs->TabCount(), 3);

    // A vetoing handler keeps the tab; an agreeing one deletes it.
    s.Handler.Veto = true;
    QTest::mouseClick(s.Tabs, Qt::LeftButton, {}, onGlyph);
    EXPECT_EQ(s.Tabs->TabCount(), 3);
    s.Handler.Veto = false;
    QTest::mouseClick(s.Tabs, Qt::LeftButton, {}, onGlyph);
    EXPECT_EQ(s.Tabs->Tabs(), QStringList({"График 1", "График 3"}));
    EXPECT_TRUE(s.Handler.Log.contains("close 1"));

    // Without a handler nothing is deleted.
    s.Tabs->SetOnCloseTab({});
    QTest::mouseClick(s.Tabs, Qt::LeftButton, {}, s.Tabs->CloseGlyphRect(0).center());
    EXPECT_EQ(s.Tabs->TabCount(), 2);
}

TEST(TabStripGeometry, DragsBeyondTwentyPixelsMoveTheTab) {
    for (const int distance : {20, 21}) {
        TStrip s(600, 3);
        s.Tabs->SetActiveTab(2);
        s.Handler.Log.clear();
        // Tab 1 starts at 186 in a 600-pixel strip; 190 is still tab 0, and
        // 20 or 21 pixels to the right lie over tab 1.
        const QPoint start(190, s.Tabs->Height() / 2 + 4);
        ASSERT_EQ(s.Tabs->GetTabAtXY(start.x(), start.y()), 0);
        const QPoint over(start.x() + distance, start.y());
        ASSERT_EQ(s.Tabs->GetTabAtXY(over.x(), over.y()), 1);
        QTest::mousePress(s.Tabs, Qt::LeftButton, {}, start);
        QMouseEvent move(QEvent::MouseMove, QPointF(over), QPointF(s.Tabs->mapToGlobal(over)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(s.Tabs, &move);
        QTest::mouseRelease(s.Tabs, Qt::LeftButton, {}, over);
        if (distance == 20) {
            // The drag never started at 20 pixels: the press only activated tab 0.
            EXPECT_EQ(s.Tabs->Tabs(), QStringList({"График 1", "График 2", "График 3"}));
            EXPECT_EQ(s.Tabs->ActiveTab(), 0);
            EXPECT_EQ(s.Handler.Log, QStringList({"change"}));
        } else {
            EXPECT_EQ(s.Tabs->Tabs(), QStringList({"График 2", "График 1", "График 3"}));
            EXPECT_EQ(s.Tabs->ActiveTab(), 1);
            // The move tells the owner, which keeps its pages with their tabs.
            EXPECT_EQ(s.Handler.Log, QStringList({"change", "change"}));
        }
    }
}

TEST(TabStripGeometry, NewTabButtonAndDefaultPopup) {
    TStrip s(300, 3);
    const QPolygon button = s.Tabs->ButtonPolygon(s.Tabs->TabOffsetTop() + 6);
    const QPoint inside = button.boundingRect().center();
    ASSERT_TRUE(s.Tabs->IsOverButton(inside));
    QTest::mouseClick(s.Tabs, Qt::LeftButton, {}, inside);
    EXPECT_EQ(s.Handler.Log.last(), "add");

    // 120 tabs: the menu still tells the new-tab item from tab 99.
    TStrip many(300, 120);
    QMenu* menu = many.Tabs->DefaultPopup();
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 2 + 120);
    EXPECT_EQ(items[0]->text(), "Новая закладка");
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_TRUE(items.last()->isChecked());
    many.Handler.Log.clear();
    items[2 + 99]->trigger();
    EXPECT_EQ(many.Tabs->ActiveTab(), 99);
    EXPECT_EQ(many.Handler.Log, QStringList({"change"}));
    items[0]->trigger();
    EXPECT_EQ(many.Handler.Log.last(), "add");
}

TEST(TabStripGeometry, RenderingShowsTheActiveTabInColourOverTheBackground) {
    TStrip s(300, 3);
    s.Tabs->SetColor(clWhite);
    s.Tabs->SetColorBackground(clNavy);
    s.Tabs->SetActiveTab(1);
    const QImage image = s.Tabs->Render();
    const QPoint active = s.Middle(1) + QPoint(-20, 6);  // away from the caption
    EXPECT_EQ(image.pixelColor(active), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(0, 0, 128));
    // An inactive tab is a translucent grey over the navy background.
    const QColor inactive = image.pixelColor(s.Middle(0) + QPoint(-25, 6));
    EXPECT_NE(inactive, QColor(Qt::white));
    EXPECT_NE(inactive, QColor(0, 0, 128));
    if (const QByteArray dir = qgetenv("WK_TEST_ARTIFACTS"); !dir.isEmpty())
        image.save(QString::fromLocal8Bit(dir) + "/tabstrip.png");
}

TEST(TabStripGeometry, TabsAreStoredWithTheStrip) {
    TStrip s(300, 3);
    s.Tabs->SetName("Tabs");
    s.Tabs->SetActiveTab(2);
    const QString text = WriteComponentToText(s.Tabs);
    EXPECT_TRUE(text.contains("Tabs.Strings")) << text.toStdString();
    TqxAeroTabs copy;
    ReadComponentFromText(text, &copy);
    EXPECT_EQ(copy.Tabs(), s.Tabs->Tabs());
    EXPECT_EQ(copy.ActiveTab(), 2);
}
}  // namespace

#include "TabStripTests.moc"
