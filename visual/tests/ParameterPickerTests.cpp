// The parameter picker over a copy of the default configuration and the
// embedded well database with stored formulas of two subsets.
#include "VisualTestSupport.h"

#include "StateTree.h"
#include "WKControls.h"
#include "dlg_FormulaProperties.h"
#include "dlg_SelectParam.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace {
// The visible tree, one line a node, indented by level; checked nodes marked.
QStringList TreeLines(const TStateTreeView& tree) {
    QStringList lines;
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int level) {
        if (item->isHidden()) return;
        const auto* node = static_cast<TTreeNode*>(item);
        lines << QString(level * 2, QLatin1Char(' ')) + item->text(0) +
                     (node->StateIndex() == pnsChecked ? QStringLiteral(" [x]") : QString());
        for (int i = 0; i < item->childCount(); ++i) walk(item->child(i), level + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i) walk(tree.topLevelItem(i), 0);
    return lines;
}

// The node at a path of texts ("Данные по глубине/Бурение/Тал. блок").
TTreeNode* NodeAt(const TStateTreeView& tree, const QString& path) {
    const QStringList parts = path.split(QLatin1Char('/'));
    QTreeWidgetItem* found = nullptr;
    for (const QString& part : parts) {
        QTreeWidgetItem* next = nullptr;
        const int count = found ? found->childCount() : tree.topLevelItemCount();
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem* c = found ? found->child(i) : tree.topLevelItem(i);
            if (c->text(0) == part) next = c;
        }
        if (!next) return nullptr;
        found = next;
    }
    return static_cast<TTreeNode*>(found);
}

void ClickText(TStateTreeView& tree, TTreeNode* node) {
    tree.scrollToItem(node);
    const QRect r = tree.visualItemRect(node);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(r.right() - 3, r.center().y()));
}

void ClickStateImage(TStateTreeView& tree, TTreeNode* node) {
    tree.scrollToItem(node);
    const QRect r = tree.visualItemRect(node);
    for (int x = r.left(); x < r.right(); ++x)
        if (tree.StateImageAt(QPoint(x, r.center().y())) == node) {
            QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(x + 2, r.center().y()));
            return;
        }
    ADD_FAILURE() << "no state image on " << node->text(0).toStdString();
}

class ParameterPicker : public VisualTest {
protected:
    void SetUp() override {
        VisualTest::SetUp();
        // A small catalogue: three drilling sensors with nested group paths
        // written in two letter cases, and one without a group.
        Sql("DELETE FROM StreamSens WHERE GID NOT IN (101, 102, 103, 1200) OR (StreamIntID = 2 AND GID = 1200)");
        Sql("UPDATE Sensors SET GroupID = 'Бурение\\Глубина' WHERE GID = 101");
        Sql("UPDATE Sensors SET GroupID = 'бурение\\глубина\\' WHERE GID = 102");
        Sql("UPDATE Sensors SET GroupID = 'Бурение' WHERE GID = 103");
        Sql("UPDATE Sensors SET GroupID = NULL WHERE GID = 1200");
        OpenWells();
        Wells->PostFormula({"Ф1", "S101*2", "", {}, "A"});
        Wells->PostFormula({"Альфа", "S102+1", "", {}, "A"});
        Wells->PostFormula({"Чужая", "S103", "", {}, "B"});
    }
    // The picker the way the sensor grid uses it, over subset A.
    static int RunMulti(TdlgSelectParam& dlg) {
        dlg.Selection = {ssTime, ssDepth, ssFormulas};
        dlg.FFormulaSubset = "A";
        return dlg.Execute();
    }
};

TEST_F(ParameterPicker, ParameterPickerEndToEnd) {
    const QStringList full{"Данные по времени (1 с)",
                           "  Обороты ротора",
                           "  Бурение",
                           "    Тал. блок",
                           "    Глубина",
                           "      Глубина",
                           "      Над забоем",
                           "Данные по глубине",
                           "  Бурение",
                           "    Тал. блок",
                           "    Глубина",
                           "      Глубина",
                           "      Над забоем",
                           "Формулы",
                           "  Альфа",
                           "  Ф1"};
    int formulaDialogs = 0;
    ScriptOnce<TdlgFormulaProperties>(*UI, "TdlgFormulaProperties", [&](TdlgFormulaProperties& f) {
        ++formulaDialogs;
        EXPECT_EQ(f.Row().SUBSET, "A");
        f.dbeName->setText("Гамма");
        f.dbmText->setPlainText("S101");
        f.CancelBtn->click();
        return DialogResult(f);
    });
    ScriptOnce<TdlgFormulaProperties>(*UI, "TdlgFormulaProperties", [&](TdlgFormulaProperties& f) {
        ++formulaDialogs;
        f.dbeName->setText("Бета");
        f.dbmText->setPlainText("S101 + S102");
        f.dbmDescr->setPlainText("сумма");
        f.OKBtn->click();
        return DialogResult(f);
    });

    TSensDescrArray chosen;
    ScriptOnce<TdlgSelectParam>(*UI, "TdlgSelectParam", [&](TdlgSelectParam& dlg) {
        dlg.show();
        TStateTreeView& tree = *dlg.tvParams;
        EXPECT_FALSE(dlg.cbPrimary->isVisible());  // not the acquisition program
        EXPECT_TRUE(dlg.btnFormulaEditor->isVisible());
        EXPECT_EQ(TreeLines(tree), full);
        EXPECT_EQ(tree.Selected(), tree.TopNode());
        EXPECT_FALSE(dlg.OKBtn->isEnabled());  // nothing checked yet

        // A cancelled formula leaves no row; a confirmed one is listed.
        dlg.btnFormulaEditor->click();
        EXPECT_EQ(TreeLines(tree), full);
        dlg.btnFormulaEditor->click();
        EXPECT_EQ(TreeLines(tree).mid(13), (QStringList{"Формулы", "  Альфа", "  Бета", "  Ф1"}));

        TTreeNode* timeBlock = NodeAt(tree, "Данные по времени (1 с)/Бурение/Глубина/Над забоем");
        ClickStateImage(tree, timeBlock);
        EXPECT_EQ(timeBlock->StateIndex(), pnsChecked);
        EXPECT_TRUE(dlg.OKBtn->isEnabled());
        ClickStateImage(tree, timeBlock);
        EXPECT_FALSE(dlg.OKBtn->isEnabled());
        ClickStateImage(tree, timeBlock);
        ClickText(tree, NodeAt(tree, "Формулы/Ф1"));
        QTest::keyClick(&tree, Qt::Key_Space);
        ClickText(tree, NodeAt(tree, "Формулы"));
        QTest::keyClick(&tree, Qt::Key_Space);  // a group has no check box
        EXPECT_EQ(NodeAt(tree, "Формулы")->StateIndex(), pnsNone);

        // Typing reloads nothing until the timer fires; then once, and the
        // checks made before are kept.
        const QStringList before = TreeLines(tree);
        for (const char* typed : {"г", "гл", "глу", " ГЛУБ"}) dlg.edFilter->setText(QString::fromUtf8(typed));
        EXPECT_TRUE(dlg.tmrUpdateTree->isActive());
        EXPECT_EQ(dlg.tmrUpdateTree->interval(), 250);
        EXPECT_EQ(TreeLines(tree), before);
        dlg.tmrUpdateTreeTimer();
        EXPECT_FALSE(dlg.tmrUpdateTree->isActive());
        EXPECT_EQ(TreeLines(tree), (QStringList{"Данные по времени (1 с)", "  Бурение", "    Глубина", "      Глубина",
                                                "Данные по глубине", "  Бурение", "    Глубина", "      Глубина"}));
        ClickText(tree, NodeAt(tree, "Данные по глубине/Бурение/Глубина/Глубина"));
        QTest::keyClick(&tree, Qt::Key_Space);
        dlg.edFilter->setText("");
        dlg.tmrUpdateTreeTimer();
        EXPECT_EQ(TreeLines(tree).filter("[x]"), (QStringList{"      Над забоем [x]", "      Глубина [x]", "  Ф1 [x]"}));
        EXPECT_TRUE(dlg.OKBtn->isEnabled());
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
    {
        TdlgSelectParam dlg;
        ASSERT_EQ(RunMulti(dlg), mrOk);
        chosen = dlg.GetSensDescriptions();
    }
    EXPECT_EQ(formulaDialogs, 2);
    ASSERT_EQ(chosen.size(), 3);
    EXPECT_EQ(chosen[0].GID, 102);
    EXPECT_EQ(chosen[0].StreamID, "Time1s");
    EXPECT_EQ(chosen[1].GID, 101);
    EXPECT_EQ(chosen[1].StreamID, "Depth");
    EXPECT_EQ(chosen[2].Name, "Ф1");
    EXPECT_EQ(chosen[2].FullName, "Ф1");
    EXPECT_EQ(chosen[2].StrID, "S101*2");
    EXPECT_EQ(chosen[2].Group, "Формулы");
    EXPECT_EQ(chosen[2].Flags, TSensorFlags{sfCalculated});
    EXPECT_EQ(chosen[2].Precision, 5);
    EXPECT_GE(chosen[2].Color, 0);
    EXPECT_LE(chosen[2].Color, 0xFFFFFF);

    QStringList names;
    for (const TFormulaRow& r : Wells->Formulas("A")) names << r.FORMULANAME + ":" + r.FORMULATEXT + ":" + r.DESCRIPTION;
    names.sort();
    EXPECT_EQ(names, (QStringList{"Альфа:S102+1:", "Бета:S101 + S102:сумма", "Ф1:S101*2:"}));
    EXPECT_TRUE(UI->ShownDialogs.contains("TdlgFormulaProperties: Свойства формулы"));
}

TEST_F(ParameterPicker, SingleChoiceNeedsAParameterNode) {
    UI->ScriptDialog("TdlgSelectParam", [](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSelectParam*>(d);
        dlg.show();
        TStateTreeView& tree = *dlg.tvParams;
        // Time and depth with the foremost stream, no formulas.
        EXPECT_EQ(TreeLines(tree).first(), "Данные по времени (1 с)");
        EXPECT_FALSE(TreeLines(tree).contains("Формулы"));
        EXPECT_FALSE(dlg.btnFormulaEditor->isVisible());
        EXPECT_EQ(tree.Selected(), tree.TopNode());
        EXPECT_FALSE(dlg.OKBtn->isEnabled());
        ClickText(tree, NodeAt(tree, "Данные по глубине/Бурение"));
        EXPECT_FALSE(dlg.OKBtn->isEnabled());
        TTreeNode* block = NodeAt(tree, "Данные по глубине/Бурение/Тал. блок");
        EXPECT_EQ(block->StateIndex(), pnsNone);
        ClickText(tree, block);
        EXPECT_TRUE(dlg.OKBtn->isEnabled());
        QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(block).center());
        return DialogResult(dlg);
    });
    TSensDescr chosen;
    ASSERT_TRUE(SelectParameter({ssDepth, ssTime, ssForemostStream}, chosen));
    EXPECT_EQ(chosen.GID, 103);
    EXPECT_EQ(chosen.StreamID, "Depth");
    EXPECT_EQ(chosen.Name, "Тал. блок");

    UI->ScriptDialog("TdlgSelectParam", [](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSelectParam*>(d);
        dlg.CancelBtn->click();
        return DialogResult(dlg);
    });
    chosen = {};
    EXPECT_FALSE(SelectParameter({ssDepth}, chosen));
    EXPECT_EQ(chosen, TSensDescr{});
}

TEST_F(ParameterPicker, CustomSourceProfilesAndFailures) {
    // A custom source replaces the configuration; only the group path counts
    // without both time and depth.
    TSensDescr a;
    a.GID = 7;
    a.Name = "Zeta";
    a.Group = "Г\\Подгруппа";
    TSensDescr b = a;
    b.GID = 8;
    b.Name = "alpha";
    QStringList profilesAsked;
    const TGetCustomParams source = [&](const QString& profile) {
        profilesAsked << profile;
        return TSensDescrArray{a, b};
    };
    UI->ScriptDialog("TdlgSelectParam", [](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSelectParam*>(d);
        EXPECT_TRUE(dlg.cbPrimary->isHidden());
        EXPECT_EQ(dlg.cbProfile->itemText(0), SEmptyProfile);
        EXPECT_EQ(dlg.cbProfile->isHidden(), dlg.cbProfile->count() <= 1);
        EXPECT_EQ(TreeLines(*dlg.tvParams), (QStringList{"Г", "  Подгруппа", "    Zeta", "    alpha"}) )
            << "locale order is case-sensitive";
        return mrCancel;
    });
    TSensDescrArray chosen;
    EXPECT_FALSE(SelectParameters({ssTime, ssForemostStream}, chosen, source));
    EXPECT_EQ(profilesAsked, QStringList{QString()});

    // An empty list leaves OK disabled.
    UI->ScriptDialog("TdlgSelectParam", [](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSelectParam*>(d);
        EXPECT_EQ(dlg.tvParams->topLevelItemCount(), 0);
        EXPECT_FALSE(dlg.OKBtn->isEnabled());
        return mrCancel;
    });
    EXPECT_FALSE(SelectParameters({ssTime}, chosen, [](const QString&) { return TSensDescrArray{}; }));

    // A failing source reaches the caller; no dialog is shown or left behind.
    UI->ShownDialogs.clear();
    EXPECT_THROW(SelectParameters({ssTime}, chosen, [](const QString&) -> TSensDescrArray {
                     throw Exception("источник недоступен");
                 }),
                 Exception);
    EXPECT_TRUE(UI->ShownDialogs.isEmpty());
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<TdlgSelectParam*>(w), nullptr);
}

TEST_F(ParameterPicker, NewFormulaKeepsOtherPendingWorkApart) {
    // Other work pending on the well database's main transaction.
    Wells->dbWells().Transaction();
    Wells->PostFormula({"Незавершённая", "S1", "", {}, "A"});
    ScriptOnce<TdlgFormulaProperties>(*UI, "TdlgFormulaProperties", [](TdlgFormulaProperties& f) {
        f.dbeName->setText("Ф1");  // taken: reported, the dialog stays open
        f.dbmText->setPlainText("S103");
        f.OKBtn->click();
        EXPECT_EQ(f.result(), 0);
        f.dbeName->setText("Новая");
        f.OKBtn->click();
        return DialogResult(f);
    });
    ScriptOnce<TdlgSelectParam>(*UI, "TdlgSelectParam", [](TdlgSelectParam& dlg) {
        dlg.btnFormulaEditor->click();
        return int(mrCancel);
    });
    TdlgSelectParam dlg;
    dlg.Selection = {ssDepth, ssFormulas};
    dlg.FFormulaSubset = "A";
    EXPECT_EQ(dlg.Execute(), mrCancel);
    EXPECT_EQ(UI->Messages, QStringList{"Формула с таким названием уже существует"});
    Wells->dbWells().Rollback();
    QStringList names;
    for (const TFormulaRow& r : Wells->Formulas("A")) names << r.FORMULANAME;
    names.sort();
    EXPECT_EQ(names, (QStringList{"Альфа", "Новая", "Ф1"}));
}
// A formula made while picking rebuilds the tree: the ticks and the groups the
// user opened stay, and OK follows what is checked.
TEST_F(ParameterPicker, NewFormulaKeepsTheChecksAndOpenGroups) {
    for (int round = 0; round < 2; ++round)
        ScriptOnce<TdlgFormulaProperties>(*UI, "TdlgFormulaProperties", [round](TdlgFormulaProperties& f) {
            f.dbeName->setText(round == 0 ? "Бета" : "Гамма");
            f.dbmText->setPlainText("S101 + S102");
            f.OKBtn->click();
            return DialogResult(f);
        });
    ScriptOnce<TdlgSelectParam>(*UI, "TdlgSelectParam", [](TdlgSelectParam& dlg) {
        dlg.show();
        TStateTreeView& tree = *dlg.tvParams;
        // Nothing checked: a new formula leaves OK off.
        dlg.btnFormulaEditor->click();
        EXPECT_FALSE(dlg.OKBtn->isEnabled());

        TTreeNode* group = NodeAt(tree, "Данные по глубине/Бурение");
        tree.expandItem(NodeAt(tree, "Данные по глубине"));
        tree.expandItem(group);
        ClickStateImage(tree, NodeAt(tree, "Данные по глубине/Бурение/Тал. блок"));
        ClickStateImage(tree, NodeAt(tree, "Формулы/Ф1"));
        const QStringList checked = TreeLines(tree).filter("[x]");
        EXPECT_EQ(checked.size(), 2);
        dlg.btnFormulaEditor->click();
        EXPECT_EQ(TreeLines(tree).filter("[x]"), checked);
        EXPECT_NE(NodeAt(tree, "Формулы/Гамма"), nullptr);
        EXPECT_TRUE(NodeAt(tree, "Данные по глубине")->isExpanded());
        EXPECT_TRUE(NodeAt(tree, "Данные по глубине/Бурение")->isExpanded());
        EXPECT_FALSE(NodeAt(tree, "Данные по времени (1 с)")->isExpanded());
        EXPECT_TRUE(dlg.OKBtn->isEnabled());
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
    TdlgSelectParam dlg;
    ASSERT_EQ(RunMulti(dlg), mrOk);
    const TSensDescrArray chosen = dlg.GetSensDescriptions();
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[0].GID, 103);
    EXPECT_EQ(chosen[0].StreamID, "Depth");
    EXPECT_EQ(chosen[1].Name, "Ф1");
}
}  // namespace
