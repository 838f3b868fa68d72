// The form designer program: its commands on the edit surface, opening and
// saving form files, and the program started on its own.
#include "ComServer.h"
#include "DesignFormFile.h"
#include "DesignerAppFixture.h"
#include "DsgnSurfacePanel.h"
#include "Mapex_TLB.h"
#include "ScrollBox.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QProcess>
#include <csignal>

namespace {

using FormDesigner = TDesignerAppTest;

TEST_F(FormDesigner, CommandsFollowTheSelection) {
    Insert(QStringLiteral("Надпись"), {16, 16}, {96, 40});
    Insert(QStringLiteral("Надпись"), {16, 64}, {96, 88});
    ASSERT_EQ(SurfaceControls().size(), 2);
    struct TCase { const char* What; std::function<void()> Select; bool Delete, Setup; };
    const TCase cases[] = {
        {"only the surface", [&] { Key(Qt::Key_Escape); }, false, false},
        {"one label", [&] { Click({40, 24}); }, true, true},
        {"two labels", [&] { Click({40, 72}, Qt::ShiftModifier); }, true, false},
        {"the surface again", [&] { Click({200, 200}); }, false, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        c.Select();
        EXPECT_EQ(Main->actDelete->isEnabled(), c.Delete);
        EXPECT_EQ(Main->actSetup->isEnabled(), c.Setup);
    }
    // Deleting with only the surface selected removes nothing.
    Main->actDelete->trigger();
    EXPECT_EQ(SurfaceControls().size(), 2);
}

TEST_F(FormDesigner, InsertedDataControlsTakeTheBindingOfTheNewForm) {
    struct TCase { int Binding; const char* Control; QVariant IsDateTime; };
    const TCase cases[] = {
        {0, "Значение параметра", true},
        {1, "Значение параметра", false},
        {1, "Таблица параметров", false},
        {0, "Таблица параметров", true},
        {1, "Надпись", QVariant()},  // a plain label has no binding
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.Binding).arg(QString::fromUtf8(c.Control)).toStdString());
        NewForm(c.Binding);
        EXPECT_TRUE(SurfaceControls().isEmpty());
        EXPECT_EQ(Main->FIsDateTime, c.Binding == 0);
        Insert(QString::fromUtf8(c.Control), {24, 24}, {160, 96});
        ASSERT_EQ(SurfaceControls().size(), 1);
        ASSERT_EQ(Selected().size(), 1);
        EXPECT_EQ(Selected()[0]->property("IsDateTime"), c.IsDateTime);
        // The class is used once: the next press selects.
        EXPECT_EQ(Main->ControlClass, nullptr);
        Drag({200, 120}, {260, 160});
        EXPECT_EQ(SurfaceControls().size(), 1);
    }
    // A cancelled new form changes nothing.
    Main->actNew->trigger();
    EXPECT_EQ(SurfaceControls().size(), 1);
    EXPECT_FALSE(Main->FIsDateTime);
}

TEST_F(FormDesigner, SetupByDoubleClickAndDeleteBySelection) {
    Insert(QStringLiteral("Надпись"), {16, 16}, {96, 40});
    SurfaceMouse(Panel(), Surface(), QEvent::MouseButtonDblClick, {40, 24});
    EXPECT_EQ(UI->ShownDialogs.size(), 2);  // the component choice, then the label's own dialog
    EXPECT_TRUE(UI->ShownDialogs.last().startsWith(QStringLiteral("TdlgSetupLabel"))) << UI->ShownDialogs.join(';').toStdString();
    // Without a control that has a dialog, a double click opens nothing.
    Click({200, 200});
    SurfaceMouse(Panel(), Surface(), QEvent::MouseButtonDblClick, {200, 200});
    EXPECT_EQ(UI->ShownDialogs.size(), 2);
    Click({40, 24});
    Main->actDelete->trigger();
    EXPECT_TRUE(SurfaceControls().isEmpty());
    EXPECT_EQ(Selected(), QList<TControl*>({Surface()}));
}

TEST_F(FormDesigner, ARowWhoseClassCannotBeLoadedInsertsNothing) {
    Service->dbService().Exec(QStringLiteral(
        "INSERT INTO Controls (ClassName, DisplayName, AlwaysLoad) VALUES ('TNoModuleCtrl', 'Без модуля', 0), "
        "('TLostCtrl', 'Пропавший модуль', 0)"));
    Service->dbService().Exec(QStringLiteral("INSERT INTO ClassModules (ClassName, ModuleName) VALUES ('TLostCtrl', 'Lost.so')"));
    struct TCase { const char* Row; const char* Message; };
    const TCase cases[] = {
        {"Без модуля", "TNoModuleCtrl"},
        {"Пропавший модуль", "Lost.so"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Row);
        UI->Messages.clear();
        Insert(QString::fromUtf8(c.Row), {24, 24}, {120, 80});
        ASSERT_EQ(UI->Messages.size(), 1);
        EXPECT_TRUE(UI->Messages[0].contains(QLatin1String(c.Message))) << UI->Messages[0].toStdString();
        EXPECT_EQ(Main->ControlClass, nullptr);
        EXPECT_TRUE(SurfaceControls().isEmpty());
        EXPECT_EQ(Selected(), QList<TControl*>({Surface()}));
    }
}

TEST_F(FormDesigner, AFileThatCannotBeOpenedLeavesTheForm) {
    Insert(QStringLiteral("Надпись"), {16, 16}, {96, 40});
    Surface()->SetColor(TColor(0xFFFF));
    const std::string before = SurfaceText();
    struct TCase { const char* What; QString File; QString Message; };
    const TCase cases[] = {
        {"a monitoring form without pnlMain",
         WriteFile("chart.sf2", "object fmChart: TBaseMDIForm\r\n  Caption = 'pnlMain'\r\n"
                                "  object Label1: TWKLabel\r\n  end\r\nend\r\n"),
         QString::fromUtf8(SOnlyComplexForms)},
        {"malformed text", WriteFile("broken.wkf", "object pnlMain: TScrollBox\r\n  Left = \r\n"), "строка"},
        {"a class no package gives",
         WriteFile("unknown.wkf", "object pnlMain: TScrollBox\r\n  object X1: TNoSuchControl\r\n  end\r\nend\r\n"),
         "TNoSuchControl"},
        {"a missing file", Files.filePath("none.wkf"), "none.wkf"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        UI->Messages.clear();
        Open(c.File);
        ASSERT_EQ(UI->Messages.size(), 1);
        EXPECT_TRUE(UI->Messages[0].contains(c.Message, Qt::CaseInsensitive)) << UI->Messages[0].toStdString();
        EXPECT_EQ(SurfaceText(), before);
        EXPECT_EQ(Surface()->Color(), TColor(0xFFFF));
        EXPECT_TRUE(Main->edMain->Active());
    }
    // The designer goes on: the label is still selected and moved by keys.
    Click({40, 24});
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Selected()[0]->Left(), 17);
}

TEST_F(FormDesigner, BadPropertyValueIsReported) {
    const QByteArray text =
        "object pnlMain: TScrollBox\r\n"         // 1
        "  Left = 0\r\n"
        "  Top = 0\r\n"
        "  Width = 400\r\n"
        "  Height = 300\r\n"                     // 5
        "  object Dial1: TWKSmoothGauge\r\n"
        "    Left = 8\r\n"
        "    Top = 8\r\n"
        "    Width = 160\r\n"
        "    Height = 160\r\n"                   // 10
        "    MinimumValue = 20\r\n"
        "    MaximumValue = abc\r\n"
        "    Tag = 7\r\n"
        "  end\r\n"
        "  object Label1: TWKLabel\r\n"          // 15
        "    Left = 200\r\n"
        "    Top = 8\r\n"
        "    NoSuchSetting = 5\r\n"
        "    Tag = 9\r\n"
        "  end\r\n"                              // 20
        "end\r\n";
    const QString file = WriteFile("dial.wkf", text);
    Open(file);
    ASSERT_EQ(UI->Messages.size(), 1);
    const QString message = UI->Messages[0];
    for (const QString& part : {file, QStringLiteral("строка 12"), QStringLiteral("MaximumValue"),
                                QStringLiteral("строка 18"), QStringLiteral("NoSuchSetting")})
        EXPECT_TRUE(message.contains(part)) << part.toStdString() << "\n" << message.toStdString();
    // Only the bad settings are skipped: the ones after them are read.
    TComponentBase* dial = Surface()->FindComponent("Dial1");
    ASSERT_NE(dial, nullptr);
    EXPECT_EQ(dial->Self()->property("MinimumValue").toDouble(), 20.0);
    EXPECT_EQ(dial->Tag(), 7);
    TComponentBase* label = Surface()->FindComponent("Label1");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Tag(), 9);

    // Saving over the file asks first; refused, the file stays as it was.
    UI->Messages.clear();
    Save(file);
    ASSERT_EQ(UI->Messages.size(), 1);
    EXPECT_TRUE(UI->Messages[0].contains(file)) << UI->Messages[0].toStdString();
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), text);
    kept.close();
    // Another file is written without a question; the same one once accepted.
    const QString other = Files.filePath("other.wkf");
    Save(other);
    EXPECT_EQ(UI->Messages.size(), 1);
    EXPECT_TRUE(QFile::exists(other));
    UI->MessageResults.push_back(mrYes);
    Save(file);
    EXPECT_EQ(UI->Messages.size(), 2);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    const QByteArray saved = kept.readAll();
    EXPECT_NE(saved, text);
    EXPECT_TRUE(saved.contains("MinimumValue = 20")) << saved.constData();
}

TEST_F(FormDesigner, MonitoringFormFileGivesItsScrollBox) {
    // The outer form's caption holds "object" before the scroll box does:
    // only the object named pnlMain is taken.
    const QString file = WriteFile("complex.sf2",
        "\xEF\xBB\xBFobject fmWKComplexForm1: TBaseMDIForm\r\n"
        "  Caption = 'object pnlMain: TWKLabel'\r\n"
        "  object pnlMain: TScrollBox\r\n"
        "    Left = 0\r\n"
        "    Top = 0\r\n"
        "    Width = 400\r\n"
        "    Height = 300\r\n"
        "    Align = alClient\r\n"
        "    object lblDepth: TWKLabel\r\n"
        "      Left = 16\r\n"
        "      Top = 24\r\n"
        "      Width = 80\r\n"
        "      Height = 17\r\n"
        "      AutoSize = False\r\n"
        "      Caption = 'Depth'\r\n"
        "    end\r\n"
        "  end\r\n"
        "end\r\n");
    Insert(QStringLiteral("Надпись"), {16, 16}, {96, 40});
    Open(file);
    EXPECT_TRUE(UI->Messages.isEmpty()) << UI->Messages.join(';').toStdString();
    EXPECT_EQ(SurfaceText(), "lblDepth: TWKLabel [16 24 80 17]");
    EXPECT_EQ(Surface()->FindComponent("lblDepth")->Self()->property("Caption").toString(), "Depth");
    EXPECT_EQ(Surface()->Name(), "pnlMain");
    EXPECT_TRUE(Main->edMain->Active());
    EXPECT_EQ(Selected(), QList<TControl*>({Surface()}));
    ASSERT_EQ(UI->FileDialogs.size(), 1u);
    EXPECT_EQ(UI->FileDialogs[0].DefaultExt, "wkf");
    EXPECT_EQ(UI->FileDialogs[0].Filter, "Формы Boremont и Welvista (*.wkf, *.sf2)|*.wkf;*.sf2");
}

// A form saved under the monitoring forms' extension is the scroll box
// itself: the designer opens what it saved.
TEST_F(FormDesigner, SavedSf2OpensAgain) {
    Insert(QStringLiteral("Надпись"), {16, 16}, {96, 40});
    Insert(QStringLiteral("Надпись"), {120, 64}, {200, 88});
    const std::string saved = SurfaceText();
    const QString file = Files.filePath("designed.sf2");
    Save(file);
    ASSERT_TRUE(UI->Messages.isEmpty()) << UI->Messages.join(';').toStdString();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("object pnlMain:"));

    NewForm(0);
    ASSERT_TRUE(SurfaceControls().isEmpty());
    Open(file);
    EXPECT_TRUE(UI->Messages.isEmpty()) << UI->Messages.join(';').toStdString();
    EXPECT_EQ(SurfaceText(), saved);
    EXPECT_EQ(Surface()->Name(), "pnlMain");
    EXPECT_TRUE(Main->edMain->Active());
}

TEST_F(FormDesigner, StripAlongTheTopAndTheEditWindowBelowIt) {
    ASSERT_TRUE(TfmDesignMain::SeparateEditWindow());  // the offscreen platform places windows
    const QRect screen = Main->screen()->availableGeometry();
    const QRect strip = Main->frameGeometry();
    EXPECT_EQ(strip.topLeft(), screen.topLeft());
    EXPECT_EQ(strip.width(), screen.width());
    EXPECT_LE(Main->height(), 100);
    EXPECT_EQ(Main->height(), Main->menuBar()->sizeHint().height() + Main->tbMain->sizeHint().height());
    const QRect edit = Main->fmDesigned->frameGeometry();
    EXPECT_EQ(edit.top(), strip.top() + strip.height());
    EXPECT_EQ(edit.left(), screen.left());
    EXPECT_EQ(edit.width(), screen.width());
    // A resize of the strip is taken back.
    Main->resize(Main->width(), 300);
    EXPECT_LE(Main->height(), 100);
    EXPECT_EQ(Main->windowTitle(), "Редактор форм");
    EXPECT_EQ(Main->fmDesigned->windowTitle(), "Область редактирования");
}

TEST_F(FormDesigner, ASaveThatCannotWriteLosesNothing) {
    Insert(QStringLiteral("Надпись"), {16, 16}, {96, 40});
    const std::string before = SurfaceText();
    Save(Files.filePath("no/such/folder/form.wkf"));
    ASSERT_EQ(UI->Messages.size(), 1);
    EXPECT_EQ(SurfaceText(), before);
    const QString good = Files.filePath("form.wkf");
    Save(good);
    EXPECT_EQ(UI->Messages.size(), 1);
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("object pnlMain: TScrollBox\r\n"));
    const auto& dialogs = UI->FileDialogs;
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1].DefaultExt, "wkf");
    EXPECT_EQ(dialogs[1].Filter, "Формы Boremont (*.wkf)|*.wkf");
}

TEST(DesignerProgram, StartsOffscreenAndStaysUpUntilClosed) {
    // A fresh home, nothing run before: the designer registers the catalogue
    // server of its own folder for this user on its first start.
    TTempXdgHome home;
    ASSERT_TRUE(ComClassModule(CLASS_SensMap).isEmpty());
    QByteArray seen;
    bool running = false;
    const TProgramRun run = RunProgram(QStringLiteral("WKDsgn"), {}, {}, [&](qint64 pid, QProcess& p) {
        p.setReadChannel(QProcess::StandardError);
        while (!seen.contains("WKDsgn: ") && p.waitForReadyRead(120000)) seen += p.readAll();
        running = p.state() == QProcess::Running;
        ::kill(pid_t(pid), SIGTERM);
    });
    EXPECT_TRUE(seen.contains("WKDsgn: ready")) << seen.toStdString();
    EXPECT_TRUE(running);
    EXPECT_TRUE(run.Succeeded()) << run.Err.toStdString();
    EXPECT_EQ(ComClassModule(CLASS_SensMap), BinDir() + QStringLiteral("/Mapex.so"));
}

}  // namespace

namespace {
class DesignSurface : public TDesignerAppTest {};

// The edit window as the user sees it: the scroll box fills it, so the grid's
// dots (every 8 pixels, black, by default) must show on the scroll box.
TEST_F(DesignSurface, GridDotsVisibleInTheDesigner) {
    Surface()->SetColor(TColor(0xF0F0F0));
    QWidget* window = Surface()->window();
    QApplication::processEvents();
    const QImage shot = window->grab().toImage();
    if (const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS"); !dir.isEmpty()) {
        QDir().mkpath(dir);
        shot.save(dir + "/designer-grid.png");
    }
    const QColor black(0, 0, 0), background(0xF0, 0xF0, 0xF0);
    const QPoint origin = Surface()->mapTo(window, QPoint(0, 0));
    int dots = 0, gaps = 0, points = 0;
    for (int y = 8; y < std::min(Surface()->height(), 200); y += 8)
        for (int x = 8; x < std::min(Surface()->width(), 400); x += 8) {
            ++points;
            if (shot.pixelColor(origin + QPoint(x, y)) == black) ++dots;
            if (shot.pixelColor(origin + QPoint(x + 4, y + 4)) == background) ++gaps;
        }
    ASSERT_GT(points, 100);
    EXPECT_EQ(dots, points) << "grid points without a dot";
    EXPECT_EQ(gaps, points) << "the background between the dots is not the surface's";
}
}  // namespace
