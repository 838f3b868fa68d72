// The main window: window state, hosting modes, commands, the well choice,
// desktops and form files, and the start and close of the program's work.
#include "DebugOutput.h"
#include "DesktopFiles.h"
#include "FormFiles.h"
#include "ModalDialogs.h"
#include "RegIniFile.h"
#include "SafeSave.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "ImgList.h"
#include "WKHints.h"
#include "WKWells.h"
#include "ExeInfo.h"
#include "dlg_InputString.h"
#include "dlg_SelectWell.h"
#include "fm_About.h"
#include "fm_SaveDesktop.h"
#include "dm_Wells.h"
#include "fm_WelvistaMain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QFile>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <gtest/gtest.h>

namespace {
// A program folder of its own (no Plugins) and a fresh settings home; the
// service groups get no rows unless a test gives them some.
struct TWorkstationScope {
    TTempXdgHome Home;
    QTemporaryDir ProgramDir;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> PreviousUI = SetUIServices(UI);
    TServiceLoader PreviousLoader;
    explicit TWorkstationScope(std::vector<TServiceRow> rows = {}) {
        InitWKConsts({QStringLiteral("Welvista2"), QStringLiteral("-DEBUG")}, ProgramDir.filePath("Welvista2"));
        PreviousLoader = SetServiceLoader({[rows] { return rows; }, nullptr, [](const QString&) { return false; }});
    }
    ~TWorkstationScope() {
        SetServiceLoader(PreviousLoader);
        SetUIServices(PreviousUI);
        InitWKConsts({}, QCoreApplication::applicationFilePath());
    }
};

TBaseMDIForm* NewForm(const QString& caption) {
    auto* form = new TBaseMDIForm();
    form->SetShortCaption(caption);
    form->SetBounds(0, 0, 200, 150);
    return form;
}

QStringList PageCaptions(const TfmMain& main) {
    QStringList list;
    for (int i = 0; i < main.pcDock->count(); ++i) list << main.PageForm(i)->Caption();
    return list;
}

TEST(Workstation, WindowStateIsReadWithItsLimits) {
    TWorkstationScope scope;
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    struct TCase { int Left, Top, Width, State; QRect Expected; bool Maximized; };
    const TCase cases[] = {
        {10, 20, 640, 0, QRect(10, 20, 640, 0), false},
        {screenWidth, -5, 50, 0, QRect(0, 0, 100, 0), false},  // out of range: 0, width at least 100
        {30, 40, 500, 1, QRect(30, 40, 500, 0), false},          // minimized is not applied
        {30, 40, 500, 2, QRect(30, 40, 500, 0), true},
    };
    for (const TCase& c : cases) {
        TRegIniFile reg(WelvistaRegistryKey);
        reg.WriteInteger(MainFormSection, "Left", c.Left);
        reg.WriteInteger(MainFormSection, "Top", c.Top);
        reg.WriteInteger(MainFormSection, "Width", c.Width);
        reg.WriteInteger(MainFormSection, "State", c.State);
        TfmMain main;
        const QRect r = main.isMaximized() ? main.normalGeometry() : main.geometry();
        EXPECT_EQ(r.left(), c.Expected.left()) << c.Left;
        EXPECT_EQ(r.top(), c.Expected.top()) << c.Top;
        EXPECT_EQ(r.width(), c.Expected.width()) << c.Width;
        EXPECT_EQ(main.isMaximized(), c.Maximized) << c.State;
    }
    {
        TfmMain main;
        main.setGeometry(70, 80, 900, 500);
        main.actMDI->setChecked(true);
        main.WriteWindowState();
    }
    TRegIniFile reg(WelvistaRegistryKey);
    EXPECT_EQ(reg.ReadInteger(MainFormSection, "Left"), 70);
    EXPECT_EQ(reg.ReadInteger(MainFormSection, "Width"), 900);
    EXPECT_TRUE(reg.ReadBool(MainFormSection, "MDI"));
    TfmMain again;
    EXPECT_TRUE(again.MultiWindow());
    EXPECT_FALSE(again.pcDock->isVisibleTo(&again));
}

TEST(Workstation, DockedFormsFloatInStepsAndDockAgain) {
    TWorkstationScope scope;
    TfmMain main;
    main.show();
    for (const char* c : {"A", "B", "C"}) NewForm(c)->ShowForm();  // 1048 docks each
    ASSERT_EQ(PageCaptions(main), QStringList({"A", "B", "C"}));
    EXPECT_EQ(main.ActiveForm(), main.PageForm(2));

    main.actMDI->setChecked(true);
    main.ToggleMultiWindow();
    EXPECT_EQ(main.pcDock->count(), 0);
    const QList<TBaseMDIForm*> forms = main.MonitoringForms();
    ASSERT_EQ(forms.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(forms[i]->Floating());
        EXPECT_EQ(forms[i]->BoundsRect(), QRect(100 + 50 * i, 100 + 50 * i, 300, 300)) << i;
        EXPECT_EQ(forms[i]->BorderStyle(), TForm::bsSizeable);
    }
    main.actMDI->setChecked(false);
    main.ToggleMultiWindow();
    EXPECT_EQ(PageCaptions(main), QStringList({"A", "B", "C"}));
    EXPECT_GE(main.height(), 400);
    main.FormClose();
    EXPECT_TRUE(main.MonitoringForms().isEmpty());
}

TEST(Workstation, CommandsFollowTheActiveForm) {
    TWorkstationScope scope;
    TfmMain main;
    main.show();
    main.UpdateActions();
    for (QAction* a : {main.actSaveForm, main.actSelectWell, main.actFileClose, main.actFileChangeFormCaption,
                       main.actSaveDesktop, main.actLoadData, main.actViewNoBorder, main.actViewShowScales})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(main.actFileNew->isEnabled());
    EXPECT_TRUE(main.actSaveDesktopFile->isEnabled());

    NewForm("A")->ShowForm();
    main.UpdateActions();
    for (QAction* a : {main.actSaveForm, main.actSelectWell, main.actFileClose, main.actSaveDesktop})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(main.actViewNoBorder->isEnabled());  // borders only for free windows

    main.actMDI->setChecked(true);
    main.ToggleMultiWindow();
    main.UpdateActions();
    ASSERT_TRUE(main.ActiveForm());  // floated, still the active one
    EXPECT_TRUE(main.actViewNoBorder->isEnabled());
    EXPECT_TRUE(main.actViewNormalBorder->isChecked());
    main.actViewNoBorder->trigger();
    EXPECT_EQ(main.ActiveForm()->BorderStyle(), TForm::bsNone);
    EXPECT_TRUE(main.actViewNoBorder->isChecked());
    EXPECT_FALSE(main.actViewNormalBorder->isChecked());

    // A closing form is no longer the active one.
    main.actFileClose->trigger();
    EXPECT_FALSE(main.ActiveForm());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.MonitoringForms().isEmpty());
}

TEST(Workstation, WellChoiceSetsTheFormsWell) {
    TWorkstationScope scope;
    ASSERT_TRUE(Wells().AddWell("WELL=K12,FIELD=Север,PAD=12,OILFIELD=Южное,WELLID=W12"));
    TfmMain main;
    main.show();
    TBaseMDIForm* form = NewForm("График");
    form->ShowForm();
    auto choose = [&](const QString& caption) {
        scope.UI->ScriptDialogOnce("TdlgSelectWell", [caption](QObject* d) {
            auto* dlg = static_cast<TdlgSelectWell*>(d);
            const auto rows = dlg->lvWells->findItems(caption, Qt::MatchExactly);
            if (rows.isEmpty()) return int(mrCancel);
            dlg->lvWells->setCurrentItem(rows.first());
            dlg->btnOK->click();
            return DialogResult(*dlg);
        });
        main.SelectWell();
    };
    choose("K12");
    EXPECT_EQ(form->WellID(), "W12");
    EXPECT_EQ(form->Caption(), "График [Скважина: K12]");
    EXPECT_TRUE(Wells().GetWellByID("W12")->Active());
    choose("[Не задана]");
    EXPECT_EQ(form->WellID(), "");
    EXPECT_EQ(form->Caption(), "График");
    // Cancelled: nothing changes.
    choose("no such row");
    EXPECT_EQ(form->Caption(), "График");
    Wells().DeleteWell(Wells().GetWellByID("W12"));
}

TEST(Workstation, DesktopsKeepPagesModeAndActivePage) {
    TWorkstationScope scope;
    TfmMain main;
    main.show();
    for (const char* c : {"A", "B", "C"}) NewForm(c)->ShowForm();
    main.pcDock->setCurrentIndex(1);
    main.SaveDesktop("Смена:1");
    main.FillDesktopList("Смена1");
    EXPECT_EQ(main.cbDesktops->currentText(), "Смена1");
    const TDesktopContent stored = ReadDesktopFile(DesktopsFolder() + "Смена1.sd2");
    ASSERT_EQ(stored.Forms.size(), 3);
    EXPECT_EQ(stored.ActivePage, 1);
    EXPECT_TRUE(stored.Forms[0].join("\n").contains("ShortCaption = 'C'"));  // the last page first

    main.LoadDesktopByName("Смена1");
    EXPECT_EQ(PageCaptions(main), QStringList({"A", "B", "C"}));
    EXPECT_EQ(main.pcDock->currentIndex(), 1);
    EXPECT_EQ(main.ActiveForm(), main.PageForm(1));

    // A desktop written in multi-window mode reopens in that mode.
    TDesktopContent multi = stored;
    multi.ActivePage = MultiWindowActivePage;
    WriteDesktopFile(DesktopsFolder() + "free.sd2", multi);
    main.LoadDesktopByName("free");
    EXPECT_TRUE(main.MultiWindow());
    EXPECT_EQ(main.MonitoringForms().size(), 3);
    EXPECT_EQ(main.pcDock->count(), 0);

    // A bad section is skipped; the others load.
    TDesktopContent bad = stored;
    bad.ActivePage = 0;
    bad.Forms[1] = {"object X: TNoSuchFormClass", "end"};
    bad.Forms[2] = {"object Y: TControl", "end"};  // not a monitoring form
    WriteDesktopFile(DesktopsFolder() + "bad.sd2", bad);
    main.LoadDesktopByName("bad");
    EXPECT_FALSE(main.MultiWindow());
    EXPECT_EQ(PageCaptions(main), QStringList({"C"}));
}

QByteArray FileBytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Workstation, DamagedDesktopIsKeptAndReported) {
    TWorkstationScope scope;
    // A gauge whose package is missing, a bad value, a NUL byte: three forms
    // lose something, one loads whole.
    const QByteArray damaged =
        "[Desktop]\r\nCount=4\r\nActivePage=0\r\n"
        "[0]\r\nobject fmA: TBaseMDIForm\r\n  ShortCaption = 'Good'\r\n"
        "  object sbA: TScrollBox\r\n    Left = 1\r\n  end\r\nend\r\n"
        "[1]\r\nobject fmB: TBaseMDIForm\r\n  ShortCaption = 'Gauges'\r\n"
        "  object Gauge1: TFooGauge\r\n    Left = 4\r\n  end\r\n"
        "  object sbB: TScrollBox\r\n    Left = 2\r\n  end\r\nend\r\n"
        "[2]\r\nobject fmC: TBaseMDIForm\r\n  ShortCaption = 'Rows'\r\n  RowCount = 4x\r\nend\r\n"
        "[3]\r\nobject fmD: TBaseMDIForm\r\n  ShortCaption = 'N\0L'\r\nend\r\n";
    const QString file = DesktopsFolder() + DefaultDesktopName + DesktopExt;
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(damaged), damaged.size());
    }
    const QString copy = file + ".bak";
    {
        TfmMain main;
        main.show();  // loads the default desktop
        ASSERT_EQ(scope.UI->Messages.size(), 1) << scope.UI->Messages.join('\n').toStdString();
        const QString message = scope.UI->Messages[0];
        for (const char* part : {"прочитан не полностью", "TFooGauge", "Gauges", "fmC", "fmD"})
            EXPECT_TRUE(message.contains(QString::fromUtf8(part))) << part << "\n" << message.toStdString();
        EXPECT_FALSE(message.contains("Good")) << message.toStdString();
        EXPECT_TRUE(message.contains(file)) << message.toStdString();
        EXPECT_TRUE(message.contains(copy)) << message.toStdString();
        EXPECT_EQ(FileBytes(copy), damaged);
        QStringList captions;
        for (TBaseMDIForm* form : main.MonitoringForms()) captions << form->ShortCaption();
        EXPECT_TRUE(captions.contains("Good"));
        EXPECT_TRUE(captions.contains("Gauges"));
        main.close();  // saves the default desktop over the damaged one
    }
    EXPECT_EQ(scope.UI->Messages.size(), 1);
    EXPECT_NE(FileBytes(file), damaged);
    EXPECT_EQ(FileBytes(copy), damaged) << "the original stays aside";

    // The next start reads what was saved: nothing more to tell, no new copy.
    scope.UI->Messages.clear();
    {
        TfmMain main;
        main.show();
        EXPECT_TRUE(scope.UI->Messages.isEmpty()) << scope.UI->Messages.join('\n').toStdString();
        main.close();
    }
    EXPECT_FALSE(QFile::exists(file + ".bak2"));

    // When no copy can be made (the disk is full), the damaged file is not
    // saved over at all and the user hears why.
    const QByteArray second = damaged.left(damaged.indexOf("[2]")) + "[2]\r\nobject fmE: TNoForm\r\nend\r\n";
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(second), second.size());
    }
    scope.UI->Messages.clear();
    {
        struct TFullDisk {
            TFullDisk() { SetSaveSpaceForTesting(0); }
            ~TFullDisk() { SetSaveSpaceForTesting(-1); }
        } full;
        TfmMain main;
        main.show();
        ASSERT_FALSE(scope.UI->Messages.isEmpty());
        EXPECT_TRUE(scope.UI->Messages[0].contains("Копию исходного файла сделать не удалось"))
            << scope.UI->Messages[0].toStdString();
        main.close();
    }
    EXPECT_EQ(FileBytes(file), second);
    EXPECT_FALSE(QFile::exists(file + ".bak2"));
    EXPECT_TRUE(std::any_of(scope.UI->Messages.begin(), scope.UI->Messages.end(), [&](const QString& m) {
        return m.contains("не сохранён") && m.contains(file);
    })) << scope.UI->Messages.join('\n').toStdString();
}

TEST(Workstation, DockedFormOpensAsAFreeWindow) {
    TWorkstationScope scope;
    TfmMain main;
    main.show();
    NewForm("Тренд")->ShowForm();  // docked by the main window as it shows
    TBaseMDIForm* docked = main.ActiveForm();
    ASSERT_TRUE(docked);
    ASSERT_FALSE(docked->Floating());
    QTemporaryDir dir;
    const QString file = dir.filePath("trend.sf2");
    main.SaveFormAs(file);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    // It fills its page; the sides that follows from are not written again.
    EXPECT_TRUE(bytes.contains("Align = alClient"));
    EXPECT_FALSE(bytes.contains("Anchors"));

    main.actMDI->setChecked(true);
    main.ToggleMultiWindow();
    main.OpenFile(file);
    TBaseMDIForm* opened = main.MonitoringForms().last();
    ASSERT_NE(opened, docked);
    EXPECT_TRUE(opened->Floating());
    EXPECT_EQ(opened->BoundsRect(), QRect(100, 100, 400, 400));
    EXPECT_EQ(opened->ShortCaption(), "Тренд");
    EXPECT_FALSE(main.LoadingDesktop());

    // A form saved floating opens where it was.
    opened->SetBounds(220, 180, 350, 260);
    const QString free = dir.filePath("free.sf2");
    SaveFormFile(opened, free);
    main.OpenFile(free);
    TBaseMDIForm* again = main.MonitoringForms().last();
    ASSERT_NE(again, opened);
    EXPECT_EQ(again->BoundsRect(), QRect(220, 180, 350, 260));

    // Docked again and saved: the file opens in docked mode as a page, in
    // multi-window mode as a free window once more.
    main.actMDI->setChecked(false);
    main.ToggleMultiWindow();
    main.pcDock->setCurrentIndex(0);
    const QString redocked = dir.filePath("redocked.sf2");
    main.SaveFormAs(redocked);
    main.OpenFile(redocked);
    EXPECT_FALSE(main.MonitoringForms().last()->Floating());
    main.actMDI->setChecked(true);
    main.ToggleMultiWindow();
    main.OpenFile(redocked);
    EXPECT_EQ(main.MonitoringForms().last()->BoundsRect(), QRect(100, 100, 400, 400));

    // A file whose root is not a monitoring form is refused and adds nothing.
    QFile other(dir.filePath("other.sf2"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("object P: TControl\r\nend\r\n");
    other.close();
    const int before = main.MonitoringForms().size();
    EXPECT_THROW(main.OpenFile(other.fileName()), Exception);
    EXPECT_EQ(main.MonitoringForms().size(), before);
    EXPECT_FALSE(main.LoadingDesktop());
}

TEST(Workstation, ToolbarShowsPicturesAndTheDesktopListAt800) {
    TWorkstationScope scope;
    TfmMain main;
    main.resize(800, 600);
    main.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(main.ilMain && main.ilMainDisabled);
    EXPECT_EQ(main.ilMain->Count(), main.ilMainDisabled->Count());
    for (QAction* a : {main.actFileNew, main.actSelectWell, main.actFormOpen, main.actSaveForm, main.actSaveDesktop,
                       main.actLoadData}) {
        SCOPED_TRACE(a->objectName().toStdString());
        ASSERT_FALSE(a->icon().isNull());
        const QImage normal = a->icon().pixmap(16, QIcon::Normal).toImage();
        const QImage disabled = a->icon().pixmap(16, QIcon::Disabled).toImage();
        EXPECT_NE(normal, disabled) << "the disabled look is its own";
    }
    // The desktop list shows on the toolbar itself, not behind its overflow arrow.
    EXPECT_TRUE(main.cbDesktops->isVisible());
    const QRect list(main.cbDesktops->mapTo(&main, QPoint(0, 0)), main.cbDesktops->size());
    EXPECT_TRUE(main.rect().contains(list)) << list.x() << "+" << list.width();
    main.FormClose();
}

TEST(Workstation, DesktopNameIsCleaned) {
    TWorkstationScope scope;
    TfmMain main;
    main.show();
    NewForm("A")->ShowForm();
    auto saveAs = [&](const QString& typed) {
        scope.UI->ScriptDialogOnce("TfmSaveDesktop", [typed](QObject* d) {
            auto* dlg = static_cast<TfmSaveDesktop*>(d);
            dlg->cbDesktopName->setEditText(typed);
            dlg->btnOK->click();
            return DialogResult(*dlg);
        });
        main.actSaveDesktop->trigger();
    };
    const QString folder = DesktopsFolder();
    struct TCase { const char* Typed; const char* Saved; };
    for (const TCase& c : {TCase{"Смена/1", "Смена1"}, TCase{"a/b:c", "abc"},
                           TCase{"\"Ночь\" *2* <к>?|\\", "Ночь 2 к"}}) {
        saveAs(c.Typed);
        EXPECT_TRUE(QFile::exists(folder + c.Saved + ".sd2")) << c.Typed;
        EXPECT_EQ(main.cbDesktops->currentText(), c.Saved) << "listed and chosen under the name it has";
        EXPECT_EQ(ReadDesktopFile(folder + c.Saved + ".sd2").Forms.size(), 1);
    }
    EXPECT_TRUE(scope.UI->Messages.isEmpty()) << scope.UI->Messages.join("; ").toStdString();
    EXPECT_FALSE(QDir(folder + "Смена").exists());

    // Nothing left after cleaning: refused with the program's message.
    saveAs(":?*");
    EXPECT_EQ(scope.UI->Messages, QStringList{"Недопустимое название набора форм"});
    EXPECT_FALSE(QFile::exists(folder + ".sd2"));

    // The file command writes the chosen file, slashes and all.
    QTemporaryDir dir;
    const QString file = dir.filePath("смена:2.sd2");
    scope.UI->SaveFileAnswers.push_back(file);
    main.actSaveDesktopFile->trigger();
    EXPECT_EQ(ReadDesktopFile(file).Forms.size(), 1);
    main.FormClose();
}

// Records the bus events the secondary group raises, in order.
QStringList gEvents;
class TRecordingService : public TWKService {
    Q_OBJECT
public:
    using TWKService::TWKService;
    void Notify(TServiceEvent e, void*) override {
        if (e == seStartLogging || e == seCreateStreams || e == seBindStreams) gEvents << QString::number(int(e));
    }
    ~TRecordingService() override { gEvents << "freed"; }
};

TEST(Workstation, StartAndCloseInOrder) {
    RegisterClass({"TRecordingService", &TRecordingService::staticMetaObject,
                   [](QObject* owner) -> QObject* { return new TRecordingService(owner); }});
    TWorkstationScope scope({{1, "TRecordingService", false, true, "", "Welvista"}});
    gEvents.clear();
    TDebugOutputCapture capture;
    {
        TfmMain main;
        main.show();  // FormShow
        ASSERT_TRUE(SecondaryServices);
        EXPECT_TRUE(gEvents.contains(QString::number(int(seStartLogging))));
        EXPECT_FALSE(dmWells());  // no Plugins folder beside the program: no well database
        const QStringList lines = capture.Lines();
        const QStringList steps = {"Welvista: loaded", "Welvista: main loaded", "Welvista: FormCreate enter",
                                   "Welvista: FormShow enter", "Welvista: Create primary services",
                                   "Welvista: Create secondary services", "Welvista: open database",
                                   "Welvista: start logging", "Welvista: load desktops", "Welvista: FormShow exit"};
        int at = -1;
        for (const QString& step : steps) {
            const int found = lines.indexOf(step, at + 1);
            EXPECT_GT(found, at) << step.toStdString();
            at = std::max(at, found);
        }
        NewForm("A")->ShowForm();
        main.close();  // FormClose: state, default desktop, forms, services
        EXPECT_FALSE(SecondaryServices);
        EXPECT_FALSE(PrimaryServices);
        EXPECT_EQ(gEvents.last(), "freed");
    }
    const TDesktopContent saved = ReadDesktopFile(DesktopsFolder() + DefaultDesktopName + DesktopExt);
    EXPECT_EQ(saved.Forms.size(), 1);
    EXPECT_TRUE(TRegIniFile(WelvistaRegistryKey).SectionExists(MainFormSection));
    UnregisterClass("TRecordingService");
}
}  // namespace

#include "MainWindowTests.moc"

QString ProjectVersion();

namespace {
TEST(Workstation, AboutWindowAndCaptionDialog) {
    TWorkstationScope scope;
    TfmMain main;
    main.show();
    QString version;
    scope.UI->ScriptDialogOnce("TfmAbout", [&version](QObject* d) {
        auto* dlg = static_cast<TfmAbout*>(d);
        version = dlg->lbVersion->text();
        dlg->btnOK->click();
        return DialogResult(*dlg);
    });
    main.actAbout->trigger();
    // The version the build wrote, as the project states it.
    ASSERT_FALSE(ProjectVersion().isEmpty());
    EXPECT_EQ(version, QStringLiteral("Версия ") + ProjectVersion());
    bool hinted = false;
    for (int i = 0; i < Hints().GetCount(); ++i)
        hinted = hinted || Hints().GetHint(i).Message == QStringLiteral("Welvista v") + ProjectVersion();
    EXPECT_TRUE(hinted) << "the start hint names the version";
    EXPECT_TRUE(scope.UI->ShownDialogs.contains("TfmAbout: О программе"));

    TBaseMDIForm* form = NewForm("Старый");
    form->SetWellName("Скважина: 7");
    form->ShowForm();
    for (const bool ok : {false, true}) {
        scope.UI->ScriptDialogOnce("TdlgInputString", [ok](QObject* d) {
            auto* dlg = static_cast<TdlgInputString*>(d);
            EXPECT_EQ(dlg->leString->text(), "Старый");  // without its well part
            dlg->leString->setText("Новый");
            (ok ? dlg->btnOK : dlg->btnCancel)->click();
            return DialogResult(*dlg);
        });
        main.actFileChangeFormCaption->trigger();
        EXPECT_EQ(form->Caption(), ok ? "Новый [Скважина: 7]" : "Старый [Скважина: 7]");
    }
    main.FormClose();
}
}  // namespace
