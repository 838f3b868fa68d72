#include "ChartTestSupport.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
QStringList Tree(QTreeWidgetItem* n, int depth = 0) {
    QStringList out{QString(depth * 2, ' ') + n->text(0) + (n->childCount() && !n->isExpanded() ? " +" : "")};
    for (int i = 0; i < n->childCount(); ++i) out += Tree(n->child(i), depth + 1);
    return out;
}

TEST(TGraphionLegend, ListsFieldsScalesAndSeriesAndFollowsTheChart) {
    auto d = std::make_unique<TChartWithData>();
    TGraphion& c = d->Chart;
    c.SetCaption("Drilling");
    TChartField* a = c.Fields().Add();
    TChartField* b = c.Fields().Add();
    a->SetCaption("Loads");
    b->SetCaption("Speeds");
    a->Scales().Add()->SetCaption("Hook");
    a->Scales().Add()->SetCaption("Torque");
    b->Scales().Add()->SetCaption("RPM");
    TGraphionLegend legend;
    legend.SetChart(&c);
    ASSERT_EQ(legend.topLevelItemCount(), 1);
    EXPECT_EQ(Tree(legend.topLevelItem(0)),
              (QStringList{"Drilling", "  Loads", "    Hook", "    Torque", "  Speeds", "    RPM"}));

    TRLineSeries* hook = d->AddSeries(0, 0);
    hook->SetCaption("Hook load");
    TRLineSeries* loose = d->AddSeries(1, -1);
    loose->SetCaption("Marks");
    EXPECT_EQ(Tree(legend.topLevelItem(0)), (QStringList{"Drilling", "  Loads", "    Hook", "      Hook load", "    Torque",
                                                         "  Speeds", "    Marks", "    RPM"}));
    EXPECT_FALSE(legend.FindNode(hook)->icon(0).isNull());

    // Renaming a scale node in place renames the scale and its strip.
    TScale* torque = a->Scales().Items(1);
    legend.FindNode(torque)->setText(0, "Moment");
    EXPECT_EQ(torque->Caption(), "Moment");
    EXPECT_EQ(torque->Control()->text(), "Moment");
    legend.FindNode(torque)->setText(0, "");  // an empty name is refused
    EXPECT_EQ(torque->Caption(), "Moment");
    // A caption changed elsewhere reaches its node.
    a->SetCaption("Hook and torque");
    EXPECT_EQ(legend.FindNode(a)->text(0), "Hook and torque");

    c.RemoveSeries(hook);
    delete hook;
    EXPECT_EQ(legend.FindNode(a)->child(0)->childCount(), 0);
    legend.SelectObject(loose);
    EXPECT_EQ(legend.currentItem(), legend.FindNode(loose));

    d.reset();  // the chart goes: an empty legend that does not touch it
    EXPECT_EQ(legend.topLevelItemCount(), 0);
    EXPECT_EQ(legend.Chart(), nullptr);
    legend.Rebuild();
    EXPECT_EQ(legend.topLevelItemCount(), 0);
}
TEST(TGraphionLegend, ASeriesFreedWhileTheChartIsLockedLeavesANodeThatRenamesNothing) {
    TChartWithData d;
    TChartField* f = d.Chart.Fields().Add();
    f->Scales().Add();
    TRLineSeries* s = d.AddSeries(0, 0);
    s->SetCaption("Torque");
    TGraphionLegend legend;
    legend.SetChart(&d.Chart);
    QTreeWidgetItem* node = legend.FindNode(s);
    ASSERT_NE(node, nullptr);
    d.Chart.Lock();  // the legend hears nothing until the chart is unlocked
    delete s;
    EXPECT_EQ(TGraphionLegend::NodeObject(node), nullptr);
    node->setText(0, "Moment");  // an in-place rename of the stale node
    legend.ObjectTextChanged(nullptr);
    d.Chart.Unlock();
    EXPECT_EQ(legend.FindNode(f)->child(0)->childCount(), 0);
}
}  // namespace
