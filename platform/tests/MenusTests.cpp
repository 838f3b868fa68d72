#include "Menus.h"

#include <QAction>
#include <gtest/gtest.h>

namespace {
TEST(TPopupMenu, PopupRecordsTheComponentAndPointAndShowsThroughTheHandler) {
    TPopupMenu menu;
    QObject target;
    std::vector<QString> calls;
    menu.OnPopup = [&](TPopupMenu* m) { calls.push_back(m->PopupComponent() == &target ? "popup" : "wrong"); };
    menu.ShowHandler = [&](TPopupMenu* m) { calls.push_back(QStringLiteral("show %1,%2").arg(m->PopupPoint().x()).arg(m->PopupPoint().y())); };
    menu.Popup(&target, QPoint(120, 45));
    EXPECT_EQ(calls, (std::vector<QString>{"popup", "show 120,45"}));
    EXPECT_EQ(menu.PopupComponent(), &target);
    EXPECT_FALSE(menu.Menu()->isVisible());
}

TEST(TPopupMenu, DefaultItemIsTheFirstCommandWhenItIsTheDefaultOne) {
    TPopupMenu menu;
    EXPECT_EQ(menu.DefaultItem(), nullptr);
    QAction* first = menu.Menu()->addAction("Найти минимум и максимум");
    QAction* second = menu.Menu()->addAction("Свойства");
    menu.Menu()->setDefaultAction(second);
    EXPECT_EQ(menu.DefaultItem(), nullptr);
    menu.Menu()->setDefaultAction(first);
    EXPECT_EQ(menu.DefaultItem(), first);
}
}  // namespace
