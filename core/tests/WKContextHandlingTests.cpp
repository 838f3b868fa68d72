#include "WKContextHandling.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct TFakeMenu : IWKContextMenu {
    std::unique_ptr<TWKImageList> ImageList;
    std::vector<std::pair<QAction*, int>> Items;
    TWKImageList* Images() override { return ImageList.get(); }
    void AddItem(QAction* action, int imageIndex) override { Items.emplace_back(action, imageIndex); }
};

QIcon Icon(Qt::GlobalColor c) {
    QPixmap p(4, 4);
    p.fill(c);
    return QIcon(p);
}

class ContextHandlers : public ::testing::Test {
protected:
    void SetUp() override {
        RangeImages = {Icon(Qt::red), Icon(Qt::green)};
        Range.Images = &RangeImages;
        Control = Range.AddAction("Контроль параметра...", "Sensors", 0);
        NoControl = Range.AddAction("Отмена контроля", "Sensors", 1);
        Range.AddAction("Other", "Chart", 0);
        Plain = Other.AddAction("Без картинки", "Sensors");
        Handlers.Add(&Range);
        Handlers.Add(&Other);
    }
    TWKContextHandlers Handlers;
    TWKActionList Range, Other;
    TWKImageList RangeImages;
    QAction *Control, *NoControl, *Plain;
};

TEST_F(ContextHandlers, ItemsOfTheCategoryWithShiftedImages) {
    TFakeMenu menu;
    menu.ImageList = std::make_unique<TWKImageList>(TWKImageList{Icon(Qt::blue), Icon(Qt::blue), Icon(Qt::blue)});
    Handlers.CreatePopupItems(menu, "Sensors");
    ASSERT_EQ(menu.Items.size(), 3u);
    EXPECT_EQ(menu.Items[0], std::make_pair(Control, 3));
    EXPECT_EQ(menu.Items[1], std::make_pair(NoControl, 4));
    EXPECT_EQ(menu.Items[2], std::make_pair(Plain, -1));
    EXPECT_EQ(menu.ImageList->size(), 5);
    EXPECT_EQ(menu.ImageList->at(3).pixmap(4, 4).toImage().pixelColor(0, 0), QColor(Qt::red));
    // Exact category only.
    TFakeMenu other;
    Handlers.CreatePopupItems(other, "sensors");
    EXPECT_TRUE(other.Items.empty());
}

TEST_F(ContextHandlers, MenuWithoutImagesKeepsTheActionsIndexes) {
    TFakeMenu menu;
    Handlers.CreatePopupItems(menu, "Sensors");
    ASSERT_EQ(menu.Items.size(), 3u);
    EXPECT_EQ(menu.Items[0].second, 0);
    EXPECT_EQ(menu.Items[1].second, 1);
}

TEST_F(ContextHandlers, RemovedOrFreedListsAreLeftOut) {
    auto* temporary = new TWKActionList;
    temporary->AddAction("gone", "Sensors");
    Handlers.Add(temporary);
    delete temporary;
    Handlers.Remove(&Range);
    TFakeMenu menu;
    Handlers.CreatePopupItems(menu, "Sensors");
    ASSERT_EQ(menu.Items.size(), 1u);
    EXPECT_EQ(menu.Items[0].first, Plain);
    EXPECT_EQ(&WKContextHandlers(), &WKContextHandlers());
}

}  // namespace
