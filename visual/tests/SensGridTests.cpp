// The sensor value grid: cell texts and colours, counts and widths, adding
// items through the picker, the parameter context, its text form and setup.
#include "VisualTestSupport.h"

#include "EditControls.h"
#include "Menus.h"
#include "StateTree.h"
#include "WKFormText.h"
#include "WKSensGrid.h"
#include "WKSensorLabel.h"
#include "WKPlainControls.h"
#include "dlg_SelectParam.h"
#include "dlg_SetupGrid.h"
#include "fr_Align.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <memory>

namespace {
using SensGrid = VisualTest;

TEST_F(SensGrid, CellTextAndColour) {
    TSensorDataStream stream(101, "Depth", "Данные по глубине", "Depth", 0, false, 100);
    TSensorDataArray* a = stream.AddSensor(101);
    TSensGrid grid;
    grid.Font()->SetColor(clBlack);
    TSensorItem* item = grid.SensorList()->Add();
    item->SetName("Глубина");
    item->SetUnits("м");
    item->SetPrecision(1);
    item->SetColor(clBlue);
    item->FYData = a;

    struct TCase {
        const char* What;
        double Value;
        TSensorState State;
        bool ColoredValues;
        const char* Text;
        TColor Color;
    };
    const TCase cases[] = {
        {"NaN before anything shown", NAN, ssNormal, false, "?", TColor(255)},
        {"normal", 12.34, ssNormal, false, "12.3 м", clBlack},
        {"normal in the item's colour", 12.34, ssNormal, true, "12.3 м", clBlue},
        {"NaN after a shown value", NAN, ssNormal, true, "[12.3 м]", TColor(255)},
        {"error", 3, ssError, true, "[3.0 м]", TColor(255)},
        {"fixed with the last real value", 4, ssFixed, true, "[4.0 м] 3.0 м", TColor(0x808080)},
        {"calculated counts as usable", 5, ssCalculated, false, "5.0 м", clBlack},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        stream.AddRecord();
        a->SetLast(c.Value, c.State);
        grid.SetColoredValues(c.ColoredValues);
        QString text;
        TColor color = clNone;
        ASSERT_TRUE(grid.CellText(0, 1, text, color));
        EXPECT_EQ(text, QString::fromUtf8(c.Text));
        EXPECT_EQ(color, c.Color);
    }
    QString text;
    TColor color = clNone;
    ASSERT_TRUE(grid.CellText(0, 0, text, color));
    EXPECT_EQ(text, "Глубина");
    EXPECT_EQ(color, clBlack);
    grid.SetColoredHeader(true);
    grid.CellText(0, 0, text, color);
    EXPECT_EQ(color, clBlue);
    EXPECT_FALSE(grid.CellText(1, 0, text, color));  // beyond the list
    EXPECT_EQ(grid.ColCount(), 2);  // not expanding: one value column
    grid.SetExpanding(true);
    ASSERT_TRUE(grid.CellText(0, 2, text, color));    // the second record, oldest first
    EXPECT_EQ(text, "12.3 м");
    EXPECT_FALSE(grid.CellText(0, 8, text, color));

    // What the driller sees, kept when the run asks for it.
    if (const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS"); !dir.isEmpty()) {
        TSensorItem* second = grid.SensorList()->Add();
        second->SetName("Обороты ротора");
        second->SetColor(clRed);
        second->FYData = a;
        grid.SetExpanding(false);
        grid.AdjustFixed(true);
        grid.SetBounds(0, 0, 320, 60);
        grid.AdjustColWidths();
        QDir().mkpath(dir);
        grid.grab().save(dir + "/TSensGrid.png");
    }
}

TEST_F(SensGrid, CountsFollowItemsRecordsAndLayout) {
    TSensorDataStream stream(101, "Depth", "Данные по глубине", "Depth", 0, false, 100);
    TSensorDataArray* a = stream.AddSensor(101);
    for (int i = 0; i < 4; ++i) {
        stream.AddRecord();
        a->SetLast(i);
    }
    struct TCase {
        bool Vertical;
        bool Expanding;
        int Items;
        int Cols, Rows;
    };
    const TCase cases[] = {
        {true, false, 0, 2, 1}, {false, false, 0, 1, 2}, {true, false, 3, 2, 3},
        {false, false, 3, 3, 2}, {true, true, 3, 5, 3},  {false, true, 2, 2, 5},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(QString("vertical %1 expanding %2 items %3").arg(c.Vertical).arg(c.Expanding).arg(c.Items).toStdString());
        TSensGrid grid;
        for (int i = 0; i < c.Items; ++i) grid.SensorList()->Add()->FYData = a;
        grid.SetVertical(c.Vertical);
        grid.SetExpanding(c.Expanding);
        EXPECT_EQ(grid.ColCount(), c.Cols);
        EXPECT_EQ(grid.RowCount(), c.Rows);
    }
    // A new grid: vertical, rows movable, names in a fixed column after AdjustFixed.
    TSensGrid grid;
    EXPECT_TRUE(grid.IsVertical());
    EXPECT_TRUE(grid.Options().testFlag(TCustomGrid::goRowMoving));
    grid.SetVertical(false);
    EXPECT_TRUE(grid.Options().testFlag(TCustomGrid::goColMoving));
    EXPECT_FALSE(grid.Options().testFlag(TCustomGrid::goRowMoving));
    grid.AdjustFixed(true);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.FixedCols(), 0);
    // Bad counts from a stored form are refused.
    EXPECT_THROW(grid.SetRowCount(-1), EComponentError);
    EXPECT_THROW(grid.SetColCount(TCustomGrid::MaxCount + 1), EComponentError);
}

TEST_F(SensGrid, ColumnWidthsFollowNamesSamplesAndClient) {
    TSensGrid grid;
    grid.SetBounds(0, 0, 600, 100);
    const QFontMetrics fm(grid.Font()->ToQFont());
    TSensorItem* depth = grid.SensorList()->Add();
    depth->SetName("Глубина забоя");
    depth->SetGID(101);
    depth->SetPrecision(2);
    depth->SetUnits("м");
    TSensorItem* time = grid.SensorList()->Add();
    time->SetName("T");
    time->SetGID(0);
    TSensorItem* wide = grid.SensorList()->Add();
    wide->SetName(QString(40, QLatin1Char('W')));
    wide->SetPrecision(0);
    wide->SetGID(1200);
    grid.AdjustCount();
    grid.AdjustColWidths();
    // Vertical: the names' column, the values take the rest of the client.
    const int digits = fm.horizontalAdvance(QString(18, QLatin1Char('0')));
    const int names = fm.horizontalAdvance(wide->Name()) + 4;
    EXPECT_EQ(grid.ColWidths(0), names);
    EXPECT_EQ(grid.ColWidths(1), std::max(digits, grid.ClientWidth() - names - 2));
    grid.SetExpanding(true);
    grid.AdjustColWidths();
    EXPECT_EQ(grid.ColWidths(1), digits);
    // Horizontal: each column as wide as its longer of name and sample.
    grid.SetVertical(false);
    grid.SetExpanding(false);
    grid.AdjustColWidths();
    EXPECT_EQ(grid.ColWidths(0), std::max(fm.horizontalAdvance("Глубина забоя") + 4, fm.horizontalAdvance("0000000-. м")));
    EXPECT_GE(grid.ColWidths(1), fm.horizontalAdvance("00.00.0000 00:00:000"));
    EXPECT_EQ(grid.ColWidths(2), names);
}

TEST_F(SensGrid, PicksLandAtThePositionInPickedOrder) {
    TSensGrid grid;
    for (const char* n : {"a", "b", "c"}) grid.SensorList()->Add()->SetName(n);
    UI->ScriptDialogOnce("TdlgSelectParam", [](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSelectParam*>(d);
        EXPECT_EQ(dlg.Selection.Contains(ssFormulas), true);
        dlg.show();
        for (const char* name : {"Тал. блок", "Глубина", "Обороты ротора"})
            for (TTreeNode* n : dlg.tvParams->Nodes())
                if (n->text(0) == QString::fromUtf8(name) && n->Parent()) {
                    dlg.tvParams->SetSelected(n);
                    QTest::keyClick(dlg.tvParams, Qt::Key_Space);
                    break;
                }
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
    grid.AddToPosition(2);
    QStringList names;
    for (int i = 0; i < grid.SensorList()->Count(); ++i) names << grid.SensorList()->Items(i)->Name();
    // Tree order (groups sorted) decides the picked order.
    ASSERT_EQ(names.size(), 6);
    EXPECT_EQ(names.mid(0, 2), (QStringList{"a", "b"}));
    EXPECT_EQ(names.last(), "c");
    EXPECT_EQ(QSet<QString>(names.begin() + 2, names.begin() + 5),
              (QSet<QString>{"Тал. блок", "Глубина", "Обороты ротора"}));
    EXPECT_EQ(grid.RowCount(), 6);
}

// A grid of named items, shown so that screen points map to its cells.
struct TShownGrid {
    TShownGrid(std::initializer_list<const char*> names, bool vertical) {
        Grid.SetBounds(0, 0, 400, 200);
        for (const char* n : names) Grid.SensorList()->Add()->SetName(QString::fromUtf8(n));
        Grid.SetVertical(vertical);
        Grid.AdjustFixed(true);
        Grid.show();
        Grid.move(50, 40);
    }
    QStringList Names() const {
        QStringList names;
        for (int i = 0; i < Grid.SensorList()->Count(); ++i) names << Grid.SensorList()->Items(i)->Name();
        return names;
    }
    QPoint Screen(int col, int row) const { return Grid.mapToGlobal(Grid.CellRect(col, row).center()); }
    void Mouse(QEvent::Type type, Qt::MouseButton button, int col, int row) {
        const QPoint at = Grid.CellRect(col, row).center();
        // A move is a drag with the left button held.
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                      : type == QEvent::MouseMove        ? Qt::LeftButton
                                                                         : Qt::MouseButtons(button);
        QMouseEvent e(type, at, Grid.mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&Grid, &e);
    }
    TSensGrid Grid;
};

TEST_F(SensGrid, ScreenPointsPickTheItemToDeleteOrAddAt) {
    TShownGrid g({"a", "b", "c"}, true);
    EXPECT_EQ(g.Grid.IndexFromPoint(g.Screen(1, 1)), 1);
    g.Grid.DeleteFromPoint(g.Screen(0, 1));
    EXPECT_EQ(g.Names(), (QStringList{"a", "c"}));
    EXPECT_EQ(g.Grid.RowCount(), 2);
    g.Grid.DeleteFromPoint(g.Grid.mapToGlobal(QPoint(390, 190)));  // below the rows: nothing
    EXPECT_EQ(g.Names(), (QStringList{"a", "c"}));
    // Adding at the point of "c" puts the pick before it.
    UI->ScriptDialogOnce("TdlgSelectParam", [](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSelectParam*>(d);
        dlg.show();
        for (TTreeNode* n : dlg.tvParams->Nodes())
            if (n->text(0) == QStringLiteral("Глубина") && n->Parent()) {
                dlg.tvParams->SetSelected(n);
                QTest::keyClick(dlg.tvParams, Qt::Key_Space);
                break;
            }
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
    g.Grid.AddItems(g.Screen(1, 1));
    EXPECT_EQ(g.Names(), (QStringList{"a", "Глубина", "c"}));
}

TEST_F(SensGrid, DraggingANameMovesItsItem) {
    {
        TShownGrid g({"a", "b", "c", "d"}, true);
        g.Mouse(QEvent::MouseButtonPress, Qt::LeftButton, 0, 0);
        g.Mouse(QEvent::MouseMove, Qt::NoButton, 0, 2);
        g.Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, 0, 2);
        EXPECT_EQ(g.Names(), (QStringList{"b", "c", "a", "d"}));
        // A value cell is no handle.
        g.Mouse(QEvent::MouseButtonPress, Qt::LeftButton, 1, 3);
        g.Mouse(QEvent::MouseMove, Qt::NoButton, 1, 0);
        g.Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, 1, 0);
        EXPECT_EQ(g.Names(), (QStringList{"b", "c", "a", "d"}));
    }
    {
        // Horizontal: the names are a header row and columns move.
        TShownGrid g({"a", "b", "c"}, false);
        EXPECT_TRUE(g.Grid.Options().testFlag(TCustomGrid::goColMoving));
        EXPECT_FALSE(g.Grid.Options().testFlag(TCustomGrid::goRowMoving));
        g.Mouse(QEvent::MouseButtonPress, Qt::LeftButton, 2, 0);
        g.Mouse(QEvent::MouseMove, Qt::NoButton, 0, 0);
        g.Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, 0, 0);
        EXPECT_EQ(g.Names(), (QStringList{"c", "a", "b"}));
        QString text;
        TColor color;
        ASSERT_TRUE(g.Grid.CellText(0, 0, text, color));
        EXPECT_EQ(text, "c");
    }
}

TEST_F(SensGrid, WheelRightPressAndLeavingSelect) {
    QStringList names;
    for (int i = 0; i < 30; ++i) names << QStringLiteral("p%1").arg(i);
    TShownGrid g({}, true);
    for (const QString& n : names) g.Grid.SensorList()->Add()->SetName(n);
    g.Grid.AdjustCount();
    const auto wheel = [&](int notches) {
        QWheelEvent e(QPointF(100, 10), g.Grid.mapToGlobal(QPointF(100, 10)), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&g.Grid, &e);
    };
    const int visible = g.Grid.VisibleRowCount();
    ASSERT_GT(visible, 2);
    ASSERT_LT(visible, 30);
    g.Grid.SetSelection(-1, -1);
    wheel(-1);  // selects the last visible row, then moves one down
    EXPECT_EQ(g.Grid.Col(), 1);
    EXPECT_EQ(g.Grid.Row(), visible);
    EXPECT_EQ(g.Grid.TopRow(), 1);  // scrolled by one
    g.Grid.SetSelection(-1, -1);
    wheel(1);  // selects the top row, then moves one up
    EXPECT_EQ(g.Grid.Row(), 0);

    // Leaving clears the selection; a right press selects the cell under it.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&g.Grid, &leave);
    EXPECT_EQ(g.Grid.GetSelectedItem(), nullptr);
    g.Grid.SetTopRow(0);
    g.Mouse(QEvent::MouseButtonPress, Qt::RightButton, 1, 2);
    ASSERT_TRUE(g.Grid.GetSelectedItem());
    EXPECT_EQ(g.Grid.GetSelectedItem()->Name(), "p2");

    // One row: the wheel does nothing.
    TShownGrid single({"only"}, true);
    single.Grid.SetSelection(-1, -1);
    QWheelEvent e(QPointF(10, 10), QPointF(), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&single.Grid, &e);
    EXPECT_EQ(single.Grid.Row(), -1);
}

TEST_F(SensGrid, ValuesMenuFromTheHookOpensOnTheCell) {
    TPopupMenu menu;
    const TSensGridMenuLookup previous = SetSensGridValuesMenu([&] { return &menu; });
    {
        TShownGrid g({"a", "b"}, true);
        EXPECT_EQ(g.Grid.PopupMenu(), &menu);
        QObject* shownFor = nullptr;
        menu.ShowHandler = [&](TPopupMenu* m) { shownFor = m->PopupComponent(); };
        const QPoint at = g.Grid.CellRect(1, 1).center();
        g.Mouse(QEvent::MouseButtonPress, Qt::RightButton, 1, 1);
        QContextMenuEvent context(QContextMenuEvent::Mouse, at, g.Grid.mapToGlobal(at));
        QCoreApplication::sendEvent(&g.Grid, &context);
        EXPECT_EQ(shownFor, &g.Grid);
        EXPECT_EQ(menu.PopupPoint(), g.Grid.mapToGlobal(at));
        EXPECT_EQ(g.Grid.GetSelectedItem()->Name(), "b");
    }
    SetSensGridValuesMenu(nullptr);
    TSensGrid bare;
    EXPECT_EQ(bare.PopupMenu(), nullptr);
    SetSensGridValuesMenu(previous);
}

TEST_F(SensGrid, GridPropertiesLeaveAlignmentBorderAndTime) {
    TSensGrid grid;
    grid.SetAlign(TControl::alLeft);
    UI->ScriptDialogOnce("TdlgSetupGrid", [](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSetupGrid*>(d);
        EXPECT_TRUE(dlg.frAlign->isHidden());
        EXPECT_TRUE(dlg.cbBorder->isHidden());
        EXPECT_TRUE(dlg.cbTime->isHidden());
        dlg.frAlign->SetCtlAlign(TControl::alClient);
        dlg.cbBorder->setChecked(true);
        dlg.cbTime->setChecked(true);
        dlg.lvCheckboxes->SetChecked(sgoColorHeaders, true);
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
    // A double click opens it, as the menu command does.
    grid.SetBounds(0, 0, 300, 100);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(20, 5), QPointF(20, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(&grid, &dbl);
    EXPECT_EQ(UI->ShownDialogs.size(), 1);
    EXPECT_TRUE(grid.ColoredHeader());
    EXPECT_EQ(grid.Align(), TControl::alLeft);
    EXPECT_EQ(grid.BorderStyle(), TCustomGrid::bsNone);
    EXPECT_FALSE(grid.IsDateTime());
}

TEST_F(SensGrid, ParameterContextOnlyForPlainItems) {
    TSensGrid grid;
    TSensorItem* plain = grid.SensorList()->Add();
    plain->SetGID(1200);
    TSensorItem* formula = grid.SensorList()->Add();
    formula->SetFormulaText("S101*2");
    grid.AdjustCount();
    TSensDescr d;
    grid.SetSelection(1, 0);
    ASSERT_TRUE(grid.GetSensorDescriptor(d));
    EXPECT_EQ(d.GID, 1200);
    grid.SetSelection(1, 1);
    EXPECT_FALSE(grid.GetSensorDescriptor(d));
    grid.SetSelection(1, 5);
    EXPECT_FALSE(grid.GetSensorDescriptor(d));
}

TEST_F(SensGrid, ItemsTravelInTheFormText) {
    TSensGrid grid;
    grid.SetName("grid");
    TSensorItem* a = grid.SensorList()->Add();
    a->SetGID(101);
    a->SetName("Глубина");
    a->SetStreamID("Depth");
    a->SetA(2.5);
    TSensorItem* f = grid.SensorList()->Add();
    f->SetName("Сумма");
    f->SetFormulaText("S101+S102");
    grid.AdjustCount();
    const QString text = ComponentToString(&grid);
    EXPECT_TRUE(text.contains("Sensors = <"));
    EXPECT_TRUE(text.contains("IsVertical = True"));
    std::unique_ptr<TComponentBase> back(StringToComponent(text, nullptr));
    auto* read = qobject_cast<TSensGrid*>(back->Self());
    ASSERT_TRUE(read);
    ASSERT_EQ(read->SensorList()->Count(), 2);
    EXPECT_EQ(read->SensorList()->Items(0)->A(), 2.5);
    EXPECT_EQ(read->SensorList()->Items(1)->FormulaText(), "S101+S102");
    EXPECT_EQ(ComponentToString(read), text);
}

TEST_F(SensGrid, SetupAppliesOnOk) {
    TSensGrid grid;
    const QString untouched = ComponentToString(&grid);
    grid.Setup();  // unscripted: cancelled
    EXPECT_EQ(ComponentToString(&grid), untouched);
    UI->ScriptDialogOnce("TdlgSetupGrid", [](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSetupGrid*>(d);
        EXPECT_TRUE(dlg.lvCheckboxes->Checked(sgoVertical));
        EXPECT_TRUE(dlg.lvCheckboxes->Checked(sgoGridLines));
        dlg.lvCheckboxes->SetChecked(sgoVertical, false);
        dlg.lvCheckboxes->SetChecked(sgoAccumulate, true);
        dlg.lvCheckboxes->SetChecked(sgoBoldNames, true);
        dlg.lvCheckboxes->SetChecked(sgoValueColors, true);
        dlg.lvCheckboxes->SetChecked(sgoGridLines, false);
        dlg.cbTime->setChecked(true);
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
    grid.Setup();
    EXPECT_FALSE(grid.IsVertical());
    EXPECT_TRUE(grid.IsExpanding());
    EXPECT_TRUE(grid.ColoredValues());
    EXPECT_TRUE(grid.IsDateTime());
    EXPECT_EQ(grid.GridLineWidth(), 0);
    EXPECT_EQ(grid.FixedRows(), 1);
}

// A grid and a sensor label read from component text, bound to secondary
// streams of two wells, with ticks driven by hand.
TEST_F(SensGrid, FormControlsFollowTheSecondaryStreams) {
    SecondaryServices = std::make_unique<TSecondaryServices>("VisualTest", false);
    TWKStreamList& list = SecondaryServices->Streams();
    for (const char* id : {"Time1s.W1", "Time1s.W2"}) {
        auto s = std::make_unique<TSensorDataStream>(0, id, "Данные по времени (1 с)", "SrcTime", 1000, true, 100);
        s->AddSensor(0);
        s->AddSensor(101);
        list.Add(std::move(s));
    }
    const auto record = [&](const char* id, double depth) {
        TSensorDataStream* s = list.GetStreamByID(id);
        s->AddRecord();
        s->GetSensor(0)->SetLast(45000);
        s->GetSensor(101)->SetLast(depth);
    };
    const char* form =
        "object Form: TWKPanel\r\n"
        "  object grid: TSensGrid\r\n"
        "    IsDateTime = True\r\n"
        "    Sensors = <\r\n"
        "      item\r\n        GID = 101\r\n        Name = 'plain'\r\n        Precision = 1\r\n      end\r\n"
        "      item\r\n        GID = 101\r\n        Name = 'well'\r\n        StreamID = 'Time1s'\r\n      end\r\n"
        "      item\r\n        Name = 'f1'\r\n        FormulaText = 'S101*2'\r\n      end\r\n"
        "      item\r\n        Name = 'f2'\r\n        FormulaText = 'S101*2'\r\n      end>\r\n"
        "  end\r\n"
        "  object label: TWKSensorLabel\r\n"
        "    Sensor.GID = 101\r\n"
        "    Sensor.Precision = 0\r\n"
        "  end\r\n"
        "end\r\n";
    {
        std::unique_ptr<TComponentBase> root(StringToComponent(QString::fromLatin1(form), nullptr));
        auto* grid = root->FindComponentAs<TSensGrid>("grid");
        auto* label = root->FindComponentAs<TWKSensorLabel>("label");
        ASSERT_TRUE(grid && label);
        EXPECT_EQ(label->Caption(), "?");
        const auto cells = [&] {
            QStringList texts;
            for (int i = 0; i < grid->SensorList()->Count(); ++i) {
                QString text;
                TColor color = clNone;
                texts << (grid->CellText(i, 1, text, color) ? text.trimmed() : QStringLiteral("-"));
            }
            return texts;
        };
        // Both formula items share one computed array of the time stream.
        EXPECT_EQ(grid->SensorList()->Items(2)->FYData, grid->SensorList()->Items(3)->FYData);
        ASSERT_TRUE(grid->SensorList()->Items(2)->FYData);

        record("Time1s.W1", 100.26);
        record("Time1s.W2", 7);
        SecondaryServices->NotifyServices(sePoll, nullptr);
        EXPECT_EQ(cells(), (QStringList{"100.3", "100.26", "200.52", "200.52"}));
        EXPECT_EQ(label->Caption(), "100 ");  // value, blank, units (none)

        // A new well: the suffix is taken now, the arrays change at the next binding.
        BroadcastWKMessage(root->Self(), WM_WELLCHANGED, {}, QStringLiteral("W2"));
        EXPECT_EQ(grid->StreamSuffix(), "W2");
        SecondaryServices->NotifyServices(seBindStreams, &list);
        EXPECT_EQ(cells()[1], "7.00");
        EXPECT_EQ(cells()[0], "100.3");  // no stream ID: the first SrcTime stream
    }
    SecondaryServices.reset();
}
}  // namespace
