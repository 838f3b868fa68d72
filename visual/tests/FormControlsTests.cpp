// The plain form controls and the sensor label: form text in the old syntax,
// loading forms, the label's text and the controls' property dialogs.
#include "VisualTestSupport.h"

#include "ClassRegistry.h"
#include "DebugOutput.h"
#include "EditControls.h"
#include "FormTreeView.h"
#include "MainWindowHost.h"
#include "Memo.h"
#include "RegisterComponents.h"
#include "Swatchbox.h"
#include "Timers.h"
#include "ToolBars.h"
#include "WKControls.h"
#include "WKFormText.h"
#include "WKImage.h"
#include "WKPageControl.h"
#include "WKPlainControls.h"
#include "WKSensGrid.h"
#include "WKSensorLabel.h"
#include "dlg_SetupGBox.h"
#include "dlg_SetupImage.h"
#include "dlg_SetupLabel.h"
#include "dlg_SetupPages.h"
#include "dlg_SetupPanel.h"
#include "dlg_SetupSensLabel.h"
#include "dlg_SetupSplitter.h"
#include "fr_Align.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>
#include <cmath>
#include <memory>

namespace {
using FormControls = VisualTest;

// A form as the old designer wrote it, with every construct the readers meet.
const char* const OldForm =
    "object Form1: TWKPanel\r\n"
    "  Left = 0\r\n"
    "  Top = 0\r\n"
    "  Width = 400\r\n"
    "  Height = 300\r\n"
    "  BevelOuter = bvLowered\r\n"
    "  Caption = #1055#1072#1085#1077#1083#1100\r\n"
    "  ExplicitLeft = 8\r\n"
    "  OldProperty = 5\r\n"
    "  object lblDepth: TWKLabel\r\n"
    "    Left = 8\r\n"
    "    Top = 8\r\n"
    "    Caption = #1043#1083#1091#1073#1080#1085#1072 + \r\n"
    "      ' ('#1084')'\r\n"
    "    Font.Style = [fsBold]\r\n"
    "  end\r\n"
    "  object gbPumps: TWKGroupBox\r\n"
    "    Left = 8\r\n"
    "    Top = 40\r\n"
    "    Width = 200\r\n"
    "    Height = 120\r\n"
    "    Align = alBottom\r\n"
    "    object slDepth: TWKSensorLabel\r\n"
    "      Left = 8\r\n"
    "      Top = 20\r\n"
    "      IsDateTime = True\r\n"
    "      Sensor.GID = 101\r\n"
    "      Sensor.Name = #1043#1083#1091#1073#1080#1085#1072\r\n"
    "      Sensor.Precision = 1\r\n"
    "      Sensor.StreamID = 'Depth'\r\n"
    "      Sensor.Units = #1084\r\n"
    "      ShowName = True\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object spl: TWKSplitter\r\n"
    "    Left = 0\r\n"
    "    Top = 160\r\n"
    "    Width = 400\r\n"
    "    Height = 3\r\n"
    "    Align = alTop\r\n"
    "    Beveled = True\r\n"
    "  end\r\n"
    "end\r\n";

// A form holding every class the form controls register, as the old
// designer wrote it: captions as character codes, joined strings, the
// grid's items and options, picture and tree data, references to a popup
// menu, an image list and an action, lines of newer designers and one
// property that no control has any more.
const char* const FullForm =
    "object Form1: TWKPanel\r\n"
    "  Left = 0\r\n"
    "  Top = 0\r\n"
    "  Width = 640\r\n"
    "  Height = 480\r\n"
    "  BevelOuter = bvLowered\r\n"
    "  Caption = #1055#1072#1085#1077#1083#1100\r\n"
    "  ExplicitLeft = 8\r\n"
    "  OldProperty = 5\r\n"
    "  object tbMain: TToolBar\r\n"
    "    Left = 0\r\n"
    "    Top = 0\r\n"
    "    Width = 640\r\n"
    "    Height = 29\r\n"
    "    Images = ilMain\r\n"
    "    TabOrder = 0\r\n"
    "    object tbRun: TToolButton\r\n"
    "      Left = 0\r\n"
    "      Top = 0\r\n"
    "      Action = actRun\r\n"
    "    end\r\n"
    "    object tbSep: TToolButton\r\n"
    "      Left = 23\r\n"
    "      Top = 0\r\n"
    "      Width = 8\r\n"
    "      Style = tbsSeparator\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object lblDepth: TWKLabel\r\n"
    "    Left = 8\r\n"
    "    Top = 36\r\n"
    "    Caption = #1043#1083#1091#1073#1080#1085#1072 + \r\n"
    "      ' ('#1084')'\r\n"
    "    Font.Style = [fsBold]\r\n"
    "  end\r\n"
    "  object gbPumps: TWKGroupBox\r\n"
    "    Left = 8\r\n"
    "    Top = 360\r\n"
    "    Width = 200\r\n"
    "    Height = 120\r\n"
    "    Align = alBottom\r\n"
    "    Caption = ' '#1053#1072#1089#1086#1089#1099' '\r\n"
    "    TabOrder = 3\r\n"
    "    object slDepth: TWKSensorLabel\r\n"
    "      Left = 8\r\n"
    "      Top = 20\r\n"
    "      IsDateTime = True\r\n"
    "      Sensor.GID = 101\r\n"
    "      Sensor.Name = #1043#1083#1091#1073#1080#1085#1072\r\n"
    "      Sensor.Precision = 1\r\n"
    "      Sensor.StreamID = 'Depth'\r\n"
    "      Sensor.Units = #1084\r\n"
    "      ShowName = True\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object spl: TWKSplitter\r\n"
    "    Left = 0\r\n"
    "    Top = 357\r\n"
    "    Width = 640\r\n"
    "    Height = 3\r\n"
    "    Align = alBottom\r\n"
    "    Beveled = True\r\n"
    "  end\r\n"
    "  object pcMain: TWKPageControl\r\n"
    "    Left = 8\r\n"
    "    Top = 60\r\n"
    "    Width = 400\r\n"
    "    Height = 280\r\n"
    "    ActivePage = tsMisc\r\n"
    "    TabOrder = 1\r\n"
    "    ActivePageI = 1\r\n"
    "    object tsGrid: TTabSheet\r\n"
    "      Caption = #1058#1072#1073#1083#1080#1094#1072\r\n"
    "      object sgValues: TSensGrid\r\n"
    "        Left = 0\r\n"
    "        Top = 0\r\n"
    "        Width = 392\r\n"
    "        Height = 252\r\n"
    "        Align = alClient\r\n"
    "        ColCount = 2\r\n"
    "        DefaultColWidth = 150\r\n"
    "        FixedRows = 0\r\n"
    "        GradientEndColor = clSilver\r\n"
    "        Options = [goFixedVertLine, goFixedHorzLine, goHorzLine, goRowSelect, goRowMoving, goThumbTracking]\r\n"
    "        PopupMenu = pmGrid\r\n"
    "        RowCount = 3\r\n"
    "        ScrollBars = ssNone\r\n"
    "        TabOrder = 0\r\n"
    "        IsDateTime = True\r\n"
    "        Sensors = <\r\n"
    "          item\r\n"
    "            GID = 1200\r\n"
    "            Name = #1054#1073#1086#1088#1086#1090#1099\r\n"
    "            Units = #1086#1073'/'#1084#1080#1085\r\n"
    "            Color = clRed\r\n"
    "          end\r\n"
    "          item\r\n"
    "            A = 2.5\r\n"
    "            B = -1.0\r\n"
    "            GID = 101\r\n"
    "            Name = 'Depth'\r\n"
    "            Precision = 2\r\n"
    "            StreamID = 'Depth'\r\n"
    "          end\r\n"
    "          item\r\n"
    "            Name = #1057#1091#1084#1084#1072\r\n"
    "            FormulaText = 'S101+S1200'\r\n"
    "          end>\r\n"
    "        IsVertical = True\r\n"
    "        IsExpanding = False\r\n"
    "        ColoredHeader = True\r\n"
    "        ColoredValues = False\r\n"
    "      end\r\n"
    "    end\r\n"
    "    object tsMisc: TTabSheet\r\n"
    "      Caption = #1056#1072#1079#1085#1086#1077\r\n"
    "      object sbox: TScrollBox\r\n"
    "        Left = 0\r\n"
    "        Top = 0\r\n"
    "        Width = 392\r\n"
    "        Height = 252\r\n"
    "        Align = alClient\r\n"
    "        TabOrder = 0\r\n"
    "        object memo: TMemo\r\n"
    "          Left = 4\r\n"
    "          Top = 4\r\n"
    "          Width = 200\r\n"
    "          Height = 60\r\n"
    "          Lines.Strings = (\r\n"
    "            #1047#1072#1084#1077#1090#1082#1072\r\n"
    "            'line 2')\r\n"
    "          TabOrder = 0\r\n"
    "        end\r\n"
    "        object tv: TTreeView\r\n"
    "          Left = 4\r\n"
    "          Top = 70\r\n"
    "          Width = 200\r\n"
    "          Height = 300\r\n"
    "          Indent = 19\r\n"
    "          TabOrder = 1\r\n"
    "          Items.Data = {\r\n"
    "            010000001D0000000000000000000000FFFFFFFFFFFFFFFF0000000000000000\r\n"
    "            04526F6F74}\r\n"
    "        end\r\n"
    "      end\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object img: TWKImage\r\n"
    "    Left = 420\r\n"
    "    Top = 60\r\n"
    "    Width = 100\r\n"
    "    Height = 100\r\n"
    "    Picture.Data = {\r\n"
    "      07544269746D61703A000000424D3A0000000000000036000000280000000100\r\n"
    "      000001000000010018000000000004000000130B0000130B0000000000000000\r\n"
    "      00000080FF00}\r\n"
    "  end\r\n"
    "  object sbRun: TSpeedButton\r\n"
    "    Left = 420\r\n"
    "    Top = 170\r\n"
    "    Action = actRun\r\n"
    "    Flat = True\r\n"
    "  end\r\n"
    "  object ilMain: TImageList\r\n"
    "    Left = 560\r\n"
    "    Top = 8\r\n"
    "  end\r\n"
    "  object pmGrid: TPopupMenu\r\n"
    "    Left = 592\r\n"
    "    Top = 8\r\n"
    "  end\r\n"
    "  object alMain: TActionList\r\n"
    "    Images = ilMain\r\n"
    "    Left = 560\r\n"
    "    Top = 40\r\n"
    "    object actRun: TAction\r\n"
    "      Caption = #1055#1091#1089#1082\r\n"
    "      ImageIndex = 0\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object tmrPoll: TTimer\r\n"
    "    Enabled = False\r\n"
    "    Interval = 500\r\n"
    "    Left = 592\r\n"
    "    Top = 40\r\n"
    "  end\r\n"
    "end\r\n";

TEST_F(FormControls, FormTextCompatibility) {
    TDebugOutputCapture log;
    std::unique_ptr<TComponentBase> form(StringToComponent(QString::fromLatin1(FullForm), nullptr));
    ASSERT_TRUE(form);
    auto* panel = qobject_cast<TWKPanel*>(form->Self());
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->Caption(), "Панель");
    EXPECT_EQ(panel->BevelOuter(), TPanel::bvLowered);
    EXPECT_EQ(log.Count("Error loading form: "), 1) << log.Lines().join("\n").toStdString();
    EXPECT_TRUE(log.Contains("OldProperty"));

    // Every class is there under its name.
    const std::pair<const char*, const char*> classes[] = {
        {"tbMain", "TToolBar"},       {"tbRun", "TToolButton"},   {"lblDepth", "TWKLabel"},
        {"gbPumps", "TWKGroupBox"},   {"slDepth", "TWKSensorLabel"}, {"spl", "TWKSplitter"},
        {"pcMain", "TWKPageControl"}, {"tsGrid", "TTabSheet"},    {"sgValues", "TSensGrid"},
        {"sbox", "TScrollBox"},       {"memo", "TMemo"},          {"tv", "TTreeView"},
        {"img", "TWKImage"},          {"sbRun", "TSpeedButton"},  {"ilMain", "TImageList"},
        {"pmGrid", "TPopupMenu"},     {"alMain", "TActionList"},  {"actRun", "TAction"},
        {"tmrPoll", "TTimer"}};
    for (const auto& [name, cls] : classes) {
        TComponentBase* c = form->FindComponent(name);
        ASSERT_TRUE(c) << name;
        const TClassInfo* info = FindClassByMeta(c->Self()->metaObject());
        ASSERT_TRUE(info) << name;
        EXPECT_EQ(info->Name, cls);
    }

    auto* label = form->FindComponentAs<TWKLabel>("lblDepth");
    EXPECT_EQ(label->Caption(), "Глубина (м)");
    EXPECT_EQ(label->Font()->Style(), TFont::TFontStyles(TFont::fsBold));
    auto* sensor = form->FindComponentAs<TWKSensorLabel>("slDepth");
    EXPECT_EQ(sensor->ParentControl(), form->FindComponentAs<TWKGroupBox>("gbPumps"));
    EXPECT_TRUE(sensor->IsDateTime());
    EXPECT_TRUE(sensor->ShowName());
    EXPECT_EQ(sensor->Sensor()->GID(), 101);
    EXPECT_EQ(sensor->Sensor()->Units(), "м");
    EXPECT_EQ(sensor->Caption(), "?");  // no secondary services: unbound
    EXPECT_TRUE(form->FindComponentAs<TWKSplitter>("spl")->Beveled());

    // The grid: its items, its options as stored and its popup menu.
    auto* grid = form->FindComponentAs<TSensGrid>("sgValues");
    ASSERT_EQ(grid->SensorList()->Count(), 3);
    EXPECT_EQ(grid->SensorList()->Items(0)->Units(), "об/мин");
    EXPECT_EQ(grid->SensorList()->Items(0)->Color(), clRed);
    EXPECT_EQ(grid->SensorList()->Items(1)->A(), 2.5);
    EXPECT_EQ(grid->SensorList()->Items(1)->B(), -1.0);
    EXPECT_EQ(grid->SensorList()->Items(2)->FormulaText(), "S101+S1200");
    EXPECT_EQ(grid->Options(), TCustomGrid::TGridOptions(TCustomGrid::goFixedVertLine | TCustomGrid::goFixedHorzLine |
                                                         TCustomGrid::goHorzLine | TCustomGrid::goRowSelect |
                                                         TCustomGrid::goRowMoving | TCustomGrid::goThumbTracking));
    EXPECT_EQ(grid->PopupMenu(), form->FindComponent("pmGrid")->Self());
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_TRUE(grid->ColoredHeader());

    // The page stored as active, the plain controls' content.
    auto* pages = form->FindComponentAs<TWKPageControl>("pcMain");
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_EQ(pages->Pages(0)->Caption(), "Таблица");
    auto* memo = form->FindComponentAs<TMemo>("memo");
    EXPECT_EQ(memo->Lines(), (QStringList{"Заметка", "line 2"}));
    EXPECT_EQ(memo->ParentControl(), form->FindComponent("sbox")->Self());
    auto* tree = form->FindComponentAs<TFormTreeView>("tv");
    ASSERT_EQ(tree->Tree()->topLevelItemCount(), 1);
    EXPECT_EQ(tree->Tree()->topLevelItem(0)->text(0), "Root");
    auto* image = form->FindComponentAs<TWKImage>("img");
    ASSERT_EQ(image->Picture()->Graphic().size(), QSize(1, 1));
    EXPECT_EQ(image->Picture()->Graphic().pixelColor(0, 0), QColor(255, 128, 0));
    EXPECT_EQ(form->FindComponentAs<TToolButton>("tbRun")->Caption(), "Пуск");
    EXPECT_EQ(form->FindComponentAs<TSpeedButton>("sbRun")->Action(), form->FindComponent("actRun")->Self());
    auto* timer = form->FindComponentAs<TTimer>("tmrPoll");
    EXPECT_EQ(timer->Interval(), 500);
    EXPECT_FALSE(timer->Running());

    // Written: pure ASCII, the kept lines are there, the unknown one is gone;
    // written, read and written again gives the same text.
    const QString first = ComponentToString(form.get());
    EXPECT_TRUE(first.contains("ExplicitLeft = 8"));
    EXPECT_TRUE(first.contains("PopupMenu = pmGrid"));
    EXPECT_TRUE(first.contains("ActivePage = tsMisc"));
    EXPECT_TRUE(first.contains("Options = [goFixedVertLine, goFixedHorzLine, goHorzLine, goRowMoving, goRowSelect, "
                               "goThumbTracking]"))
        << first.toStdString();
    EXPECT_TRUE(first.contains("Items.Data = {"));
    EXPECT_FALSE(first.contains("OldProperty"));
    for (const QChar c : first) ASSERT_LT(c.unicode(), 128);
    std::unique_ptr<TComponentBase> again(StringToComponent(first, nullptr));
    EXPECT_EQ(ComponentToString(again.get()), first);
    if (const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS"); !dir.isEmpty()) {
        QDir().mkpath(dir);
        QFile out(dir + "/FormTextCompatibility.wkf");
        if (out.open(QIODevice::WriteOnly)) out.write(first.toLatin1());
        panel->show();
        panel->grab().save(dir + "/FormTextCompatibility.png");
    }
}

TEST_F(FormControls, ValuesOutOfRangeAreRefusedOrClamped) {
    // Each refused value gives one line and leaves the property as it was;
    // the rest of the form loads.
    const struct {
        const char* Object;
        const char* Line;
        bool Refused;
    } cases[] = {
        {"TSensGrid", "RowCount = -3", true},
        {"TSensGrid", "RowCount = 2000000000", true},
        {"TSensGrid", "ColCount = 100001", true},
        {"TSensGrid", "FixedCols = 9", true},
        {"TSensGrid", "DefaultColWidth = -20", true},
        {"TSensGrid", "GridLineWidth = 5000", false},
        {"TTimer", "Interval = -1", true},
        {"TToolBar", "ButtonWidth = 0", true},
        {"TMemo", "MaxLength = -5", true},
        {"TSpeedButton", "NumGlyphs = 9", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        TDebugOutputCapture log;
        const QString text = QStringLiteral("object Form1: TWKPanel\r\n  object x: %1\r\n    %2\r\n    Tag = 7\r\n  end\r\nend\r\n")
                                 .arg(QLatin1String(c.Object), QLatin1String(c.Line));
        std::unique_ptr<TComponentBase> form(StringToComponent(text, nullptr));
        ASSERT_TRUE(form->FindComponent("x"));
        EXPECT_EQ(form->FindComponent("x")->Tag(), 7);
        EXPECT_EQ(log.Count("Error loading form: "), c.Refused ? 1 : 0);
    }
    // Clamped: a huge precision, a huge grid line width.
    std::unique_ptr<TComponentBase> grid(StringToComponent(
        "object g: TSensGrid\r\n  GridLineWidth = 5000\r\n  Sensors = <\r\n    item\r\n      Precision = 1000000\r\n"
        "    end>\r\nend\r\n",
        nullptr));
    auto* g = qobject_cast<TSensGrid*>(grid->Self());
    EXPECT_EQ(g->SensorList()->Items(0)->Precision(), 15);
    EXPECT_LE(g->GridLineWidth(), 100);
}

TEST_F(FormControls, ConstructionDefaults) {
    TWKLabel label;
    EXPECT_EQ(label.Caption(), "Текст");
    TWKPanel panel;
    EXPECT_EQ(panel.Caption(), "");
    TWKGroupBox group;
    EXPECT_EQ(group.Caption(), " Группа ");
    TWKSplitter splitter;
    EXPECT_FALSE(splitter.AutoSnap());
    EXPECT_EQ(splitter.MinSize(), 1);
    TWKSensorLabel sensor;
    EXPECT_TRUE(sensor.Transparent());
    EXPECT_EQ(sensor.Caption(), "");
    // The own published flags are always written.
    const QString text = ComponentToString(&sensor);
    EXPECT_TRUE(text.contains("IsDateTime = False"));
    EXPECT_TRUE(text.contains("ShowName = False"));
}

TEST_F(FormControls, LoadFormReplacesTheParentOnlyWithAGoodForm) {
    QTemporaryDir dir;
    TWKPanel parent;
    parent.SetName("Host");
    std::unique_ptr<TComponentBase> form(StringToComponent(QString::fromLatin1(OldForm), nullptr));
    const QString file = dir.filePath("form.wkf");
    SaveForm(form.get(), file);

    // Loaded twice: one copy of the controls.
    for (int i = 0; i < 2; ++i) LoadForm(&parent, file);
    EXPECT_EQ(parent.ComponentCount(), 4);
    EXPECT_EQ(parent.Caption(), "Панель");  // the root's own class name is not checked
    const QString loaded = ComponentToString(&parent);

    // Malformed text, or a missing file: the parent keeps its content.
    QStringList broken = QString::fromLatin1(OldForm).split("\r\n");
    broken.removeAt(broken.indexOf("  end"));
    broken.removeLast();
    broken.removeLast();
    EXPECT_THROW(LoadForm(&parent, broken), Exception);
    EXPECT_THROW(LoadForm(&parent, QStringList{}), Exception);
    EXPECT_THROW(LoadForm(&parent, dir.filePath("missing.wkf")), Exception);
    EXPECT_EQ(ComponentToString(&parent), loaded);

    // An unknown nested class and a quoted "object": logged, the rest loads.
    TDebugOutputCapture log;
    QStringList lines = QString::fromLatin1(OldForm).split("\r\n");
    lines.insert(lines.size() - 2, "  object Gone: TNoSuchGauge");
    lines.insert(lines.size() - 2, "    Hint = 'object'");
    lines.insert(lines.size() - 2, "  end");
    LoadForm(&parent, lines);
    EXPECT_EQ(parent.ComponentCount(), 4);
    EXPECT_EQ(log.Count("Error loading form: "), 2);  // OldProperty and the gauge

    // An unknown root class with no root raises and creates nothing.
    EXPECT_THROW(StringToComponent("object X: TNoSuchForm\r\nend\r\n", nullptr), Exception);

    // A failed write leaves the old file.
    const QByteArray before = [&] {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    EXPECT_THROW(SaveForm(&parent, dir.filePath("no/such/folder/form.wkf")), Exception);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(FormControls, RegisteredComponentsGoToTheDesignerList) {
    InitWKControls();
    const qsizetype before = DesignerList().size();
    RegisterComponents("Welvista", {&TWKLabel::staticMetaObject, &TWKPanel::staticMetaObject});
    ASSERT_EQ(DesignerList().size(), before + 2);
    EXPECT_EQ(DesignerList()[before], &TWKLabel::staticMetaObject);
    EXPECT_EQ(DesignerList()[before + 1], &TWKPanel::staticMetaObject);
    for (const char* name : {"TWKLabel", "TWKPanel", "TWKSplitter", "TWKGroupBox", "TWKPageControl", "TSensGrid",
                             "TScrollBox", "TTabSheet", "TSensorList", "TSensorItem", "TWKSensorLabel", "TTreeView",
                             "TWKImage", "TToolBar", "TToolButton", "TMemo", "TSpeedButton", "TImageList", "TPopupMenu",
                             "TAction", "TActionList", "TTimer"})
        EXPECT_TRUE(FindClass(name)) << name;
}

TEST_F(FormControls, ApplicationToolbarIsTheMainWindowsMainBar) {
    EXPECT_EQ(WKLargeImages, nullptr);  // only a host program sets it
    QMainWindow window;
    window.addToolBar("Другая");
    TMainWindowMenuHost host(&window);
    IWKMainWindowHost* previous = SetMainWindowHost(&host);
    EXPECT_EQ(ApplicationToolbar(), nullptr);  // no bar named tbMain
    QToolBar* bar = window.addToolBar("tbMain");
    bar->setObjectName("tbMain");
    EXPECT_EQ(ApplicationToolbar(), bar);
    SetMainWindowHost(nullptr);
    EXPECT_EQ(ApplicationToolbar(), nullptr);
    SetMainWindowHost(previous);
}

TEST_F(FormControls, ClassOfAPackageLoadsOnDemand) {
    Sql("INSERT INTO ClassModules (ClassName, ModuleName) VALUES ('TFormTestGauge', 'FormTestPackage.so'), "
        "('TFormBrokenGauge', 'NoSuchPackage.so')");
    ASSERT_FALSE(FindClass("TFormTestGauge"));
    InitWKControls();
    const qsizetype offered = DesignerList().size();
    TWKPanel parent;
    const QStringList lines = {"object Host: TWKPanel", "  object g1: TFormTestGauge", "    Level = 7", "  end", "end"};
    LoadForm(&parent, lines);
    ASSERT_EQ(parent.ComponentCount(), 1);
    EXPECT_EQ(parent.Components(0)->ClassName(), "TFormTestGauge");
    EXPECT_EQ(parent.Components(0)->Self()->property("Level").toInt(), 7);
    // The package offered its class for design when it was loaded.
    ASSERT_EQ(DesignerList().size(), offered + 1);
    EXPECT_EQ(QString::fromLatin1(DesignerList().last()->className()), "TFormTestGauge");

    // A package that cannot be loaded stops the load before the parent is emptied.
    const QString before = ComponentToString(&parent);
    TDebugOutputCapture log;
    EXPECT_THROW(LoadForm(&parent, {"object Host: TWKPanel", "  object g2: TFormBrokenGauge", "  end", "end"}),
                 Exception);
    EXPECT_TRUE(log.Contains("NoSuchPackage.so"));
    EXPECT_EQ(ComponentToString(&parent), before);
}

TEST_F(FormControls, SensorLabelText) {
    TSensorDataStream stream(101, "Depth", "Данные по глубине", "Depth", 0, false, 100);
    TSensorDataArray* depth = stream.AddSensor(101);
    struct TStep {
        const char* What;
        double Value;
        TSensorState State;
        bool ShowName;
        const char* Caption;
    };
    const TStep steps[] = {
        {"nothing shown yet, bad sample", NAN, ssNormal, false, "?"},
        {"a usable sample", 1234.56, ssNormal, false, "1234.6 м"},
        {"NaN after a shown value", NAN, ssNormal, false, "[1234.6 м]"},
        {"an error sample", 5, ssError, true, "Глубина [1234.6 м]"},
        {"with the name", 7.25, ssNormal, true, "Глубина 7.3 м"},
    };
    TWKSensorLabel label;
    label.Sensor()->SetName("Глубина");
    label.Sensor()->SetUnits("м");
    label.Sensor()->SetPrecision(1);
    label.Sensor()->FYData = depth;
    for (const TStep& s : steps) {
        SCOPED_TRACE(s.What);
        stream.AddRecord();
        depth->SetLast(s.Value, s.State);
        label.SetShowName(s.ShowName);
        label.Notify(sePoll, nullptr);
        EXPECT_EQ(label.Caption(), QString::fromUtf8(s.Caption));
    }
    // The source is lost: the value held is shown as not live, a newer one as live.
    label.SetShowName(false);
    stream.MarkStale();
    label.Notify(sePoll, nullptr);
    EXPECT_EQ(label.Caption(), "[7.3 м]");
    stream.AddRecord();
    depth->SetLast(8.5, ssNormal);
    label.Notify(sePoll, nullptr);
    EXPECT_EQ(label.Caption(), "8.5 м");
}

TEST_F(FormControls, WellChangeRewritesTheLabelsStream) {
    TWKSensorLabel label;
    label.Sensor()->SetStreamID("Depth");
    SendWKMessage(&label, WM_WELLCHANGED, {}, QStringLiteral("W7"));
    EXPECT_EQ(label.Sensor()->StreamID(), "Depth.W7");
    SendWKMessage(&label, WM_WELLCHANGED, {}, QStringLiteral("W8"));
    EXPECT_EQ(label.Sensor()->StreamID(), "Depth.W8");
}

TEST_F(FormControls, SetupAppliesOnOkOnly) {
    TWKPanel form;
    form.SetName("Form1");
    auto* label = new TWKLabel(&form);
    label->SetName("lbl");
    label->SetParentWidget(&form);
    auto* panel = new TWKPanel(&form);
    panel->SetName("pnl");
    panel->SetParentWidget(&form);
    auto* splitter = new TWKSplitter(&form);
    splitter->SetName("spl");
    splitter->SetParentWidget(&form);
    auto* sensor = new TWKSensorLabel(&form);
    sensor->SetName("sl");
    sensor->SetParentWidget(&form);

    // Cancel: the form text stays as it was.
    const QString untouched = ComponentToString(&form);
    for (IControlDesign* c : {static_cast<IControlDesign*>(label), static_cast<IControlDesign*>(panel),
                              static_cast<IControlDesign*>(splitter), static_cast<IControlDesign*>(sensor)})
        c->Setup();
    EXPECT_EQ(ComponentToString(&form), untouched);
    EXPECT_EQ(UI->ShownDialogs, (QStringList{"TdlgSetupLabel: Настройка текста", "TdlgSetupPanel: Настройка панели",
                                             "TdlgSetupSplitter: Настройка разделителя",
                                             "TdlgSetupSensLabel: Настройка вида параметра"}));

    ScriptOnce<TdlgSetupLabel>(*UI, "TdlgSetupLabel", [](TdlgSetupLabel& d) {
        EXPECT_EQ(d.leText->Text(), "Текст");
        d.leText->SetText("Нагрузка");
        d.OKBtn->click();
        return DialogResult(d);
    });
    label->Setup();
    EXPECT_EQ(label->Caption(), "Нагрузка");

    ScriptOnce<TdlgSetupPanel>(*UI, "TdlgSetupPanel", [](TdlgSetupPanel& d) {
        EXPECT_EQ(d.rgOuter->ItemIndex(), 2);  // raised
        d.frAlign->SetCtlAlign(TControl::alClient);
        d.rgInner->SetItemIndex(1);
        d.cbBorder->setChecked(true);
        d.cd.Color = clYellow;
        d.OKBtn->click();
        return DialogResult(d);
    });
    panel->Setup();
    EXPECT_EQ(panel->Align(), TControl::alClient);
    EXPECT_EQ(panel->BevelInner(), TPanel::bvLowered);
    EXPECT_EQ(panel->BorderStyle(), TPanel::bsSingle);
    EXPECT_EQ(panel->Color(), clYellow);

    ScriptOnce<TdlgSetupSensLabel>(*UI, "TdlgSetupSensLabel", [](TdlgSetupSensLabel& d) {
        d.Descr.GID = 1200;
        d.Descr.Name = "Обороты ротора";
        d.Descr.Units = "об/мин";
        d.Descr.StreamID = "Time1s";
        d.cbColor->SetColor(clRed);
        d.rgTextAlign->SetItemIndex(2);
        d.cbShowName->setChecked(true);
        d.OKBtn->click();
        return DialogResult(d);
    });
    sensor->Setup();
    EXPECT_EQ(sensor->Sensor()->GID(), 1200);
    EXPECT_EQ(sensor->Sensor()->Name(), "Обороты ротора");
    EXPECT_EQ(sensor->Sensor()->StreamID(), "Time1s");
    EXPECT_EQ(sensor->Sensor()->Color(), clRed);
    EXPECT_EQ(sensor->Font()->Color(), clRed);
    EXPECT_TRUE(sensor->ShowName());
    EXPECT_EQ(sensor->Alignment(), TCustomLabel::taCenter);
}

TEST_F(FormControls, GroupBoxAndSplitterSetupApplyOnOk) {
    TWKGroupBox group;
    TWKSplitter splitter;
    const QString untouched = ComponentToString(&group) + ComponentToString(&splitter);
    group.Setup();
    splitter.Setup();
    EXPECT_EQ(ComponentToString(&group) + ComponentToString(&splitter), untouched);

    ScriptOnce<TdlgSetupGroupBox>(*UI, "TdlgSetupGroupBox", [](TdlgSetupGroupBox& d) {
        EXPECT_EQ(d.leText->Text(), " Группа ");
        d.leText->SetText("Насосы");
        d.frAlign->SetCtlAlign(TControl::alRight);
        d.OKBtn->click();
        return DialogResult(d);
    });
    group.Setup();
    EXPECT_EQ(group.Caption(), "Насосы");
    EXPECT_EQ(group.Align(), TControl::alRight);

    ScriptOnce<TdlgSetupSplitter>(*UI, "TdlgSetupSplitter", [](TdlgSetupSplitter& d) {
        EXPECT_FALSE(d.cbBeveled->isChecked());
        d.cbBeveled->setChecked(true);
        d.frAlign->SetCtlAlign(TControl::alLeft);
        d.OKBtn->click();
        return DialogResult(d);
    });
    splitter.Setup();
    EXPECT_TRUE(splitter.Beveled());
    EXPECT_EQ(splitter.Align(), TControl::alLeft);
}

// A picture file of the given format.
QByteArray PictureFile(const char* format) {
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(QColor(0, 128, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

TEST_F(FormControls, PictureDataSurvivesTheFormText) {
    struct TCase {
        const char* Format;
        const char* Class;
    };
    for (const TCase& c : {TCase{"png", "TPngImage"}, TCase{"bmp", "TBitmap"}, TCase{"jpg", "TJPEGImage"}}) {
        SCOPED_TRACE(c.Format);
        TWKImage image;
        image.SetName("img");
        image.Picture()->LoadFromData(PictureFile(c.Format));
        EXPECT_EQ(image.Picture()->GraphicClass(), c.Class);
        const QString text = ComponentToString(&image);
        EXPECT_TRUE(text.contains("Picture.Data = {"));
        std::unique_ptr<TComponentBase> back(StringToComponent(text, nullptr));
        auto* read = qobject_cast<TWKImage*>(back->Self());
        ASSERT_TRUE(read);
        EXPECT_EQ(read->Picture()->Graphic().size(), QSize(4, 3));
        EXPECT_EQ(ComponentToString(read), text);
    }
    // Data of a graphic class that is not drawn here is kept as it was.
    TWKImage meta;
    QByteArray emf("\x09TMetafile", 10);
    emf += QByteArray("\x01\x00\x00\x00 EMF", 8);
    meta.Picture()->SetData(emf);
    EXPECT_TRUE(meta.Picture()->Graphic().isNull());
    EXPECT_EQ(meta.Picture()->Data(), emf);
    // Malformed data: one line, the rest of the control loads.
    TDebugOutputCapture log;
    std::unique_ptr<TComponentBase> bad(StringToComponent(
        "object img: TWKImage\r\n  Left = 5\r\n  Picture.Data = {07544269746D6170FFFF}\r\nend\r\n", nullptr));
    EXPECT_EQ(log.Count("Error loading form: "), 1);
    EXPECT_EQ(qobject_cast<TWKImage*>(bad->Self())->Left(), 5);
    EXPECT_THROW(meta.Picture()->LoadFromData("not a picture"), Exception);
    EXPECT_EQ(meta.Picture()->Data(), emf);
}

TEST_F(FormControls, ImageSetupTakesThePictureAndStretches) {
    TWKImage image;
    EXPECT_FALSE(image.Center());
    EXPECT_TRUE(image.Stretch());
    EXPECT_FALSE(image.Transparent());
    image.SetStretch(false);
    image.SetTransparent(true);
    QTemporaryDir dir;
    const QString file = dir.filePath("p.png");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(PictureFile("png"));
    f.close();
    const QString untouched = ComponentToString(&image);
    UI->OpenFileAnswers = {file};
    ScriptOnce<TdlgSetupImage>(*UI, "TdlgSetupImage", [](TdlgSetupImage& d) {
        d.btnOpen->click();
        d.CancelBtn->click();
        return DialogResult(d);
    });
    image.Setup();
    EXPECT_EQ(ComponentToString(&image), untouched);
    UI->OpenFileAnswers = {file};
    ScriptOnce<TdlgSetupImage>(*UI, "TdlgSetupImage", [](TdlgSetupImage& d) {
        d.btnOpen->click();
        d.frAlign->SetCtlAlign(TControl::alClient);
        d.OKBtn->click();
        return DialogResult(d);
    });
    image.Setup();
    EXPECT_EQ(image.Picture()->GraphicClass(), "TPngImage");
    EXPECT_EQ(image.Align(), TControl::alClient);
    EXPECT_TRUE(image.Stretch());
    EXPECT_FALSE(image.Transparent());
}

TEST_F(FormControls, PagesAddedInTheDialogAreSavedWithTheForm) {
    TWKPanel form;
    form.SetName("Form1");
    auto* pages = new TWKPageControl(&form);
    pages->SetName("pc");
    pages->SetParentWidget(&form);
    for (const char* caption : {"Первая", "Вторая"}) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetName(caption == std::string("Первая") ? "ts1" : "ts2");
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
    }
    pages->SetActivePageIndex(1);

    // Written while not loading, ActivePageI does not change the page.
    pages->SetActivePageI(0);
    EXPECT_EQ(pages->ActivePageIndex(), 1);

    // Cancel changes nothing; OK adds a page first, drops the second and moves the tabs.
    const QString untouched = ComponentToString(&form);
    pages->Setup();
    EXPECT_EQ(ComponentToString(&form), untouched);
    UI->InputAnswers.push_back("Новая");
    ScriptOnce<TdlgSetupPages>(*UI, "TdlgSetupPages", [](TdlgSetupPages& d) {
        d.lbTabs->setCurrentRow(0);
        d.btnAdd->click();                    // before "Первая"
        d.lbTabs->setCurrentRow(2);
        d.btnDelete->click();                 // "Вторая"
        d.rgTabPos->SetItemIndex(1);
        d.OKBtn->click();
        return DialogResult(d);
    });
    pages->Setup();
    ASSERT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->Pages(0)->Caption(), "Новая");
    EXPECT_EQ(pages->Pages(1)->Caption(), "Первая");
    EXPECT_EQ(pages->TabPosition(), TPageControl::tpBottom);
    EXPECT_EQ(form.FindComponent("ts2"), nullptr);
    pages->SetActivePageIndex(1);

    // Saved and loaded back: the new page, the order and the active page return.
    const QString text = ComponentToString(&form);
    EXPECT_TRUE(text.contains("\r\n    object TabSheet1: TTabSheet\r\n")) << text.toStdString();
    EXPECT_FALSE(text.contains("Visible")) << text.toStdString();
    if (const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS"); !dir.isEmpty()) {
        QDir().mkpath(dir);
        pages->SetBounds(0, 0, 300, 160);
        pages->grab().save(dir + "/TWKPageControl.png");
    }
    std::unique_ptr<TComponentBase> back(StringToComponent(text, nullptr));
    auto* read = back->FindComponentAs<TWKPageControl>("pc");
    ASSERT_TRUE(read);
    ASSERT_EQ(read->PageCount(), 2);
    EXPECT_EQ(read->Pages(0)->Caption(), "Новая");
    EXPECT_EQ(read->Pages(1)->Caption(), "Первая");
    EXPECT_EQ(read->ActivePageIndex(), 1);
    EXPECT_TRUE(read->Pages(1)->Visible());
    EXPECT_FALSE(read->Pages(0)->Visible());
    EXPECT_EQ(ComponentToString(back.get()), text);
}
}  // namespace
