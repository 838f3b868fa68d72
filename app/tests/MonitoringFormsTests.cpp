// The monitoring form kinds: their component text round trip, the tabbed
// form's tabs, charts and wells, the new-form gallery and its dispatch, and
// the input dialog.
#include "ChartMenuTestSupport.h"
#include "ChartTestSupport.h"
#include "ComponentStreaming.h"
#include "FormFiles.h"
#include "FormsHost.h"
#include "GroupedIconList.h"
#include "Menus.h"
#include "ModalDialogs.h"
#include "ScrollBox.h"
#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "WKConsts.h"
#include "WKFormText.h"
#include "WKPlainControls.h"
#include "WKSensGrid.h"
#include "dlg_InputString.h"
#include "dm_ControlRes.h"
#include "fm_DigitalView.h"
#include "fm_NewForm.h"
#include "fm_RealtimeChart.h"
#include "fm_TabbedForm.h"
#include "fm_WKComplexForm.h"
#include "fr_Chart.h"
#include "qxAeroTabs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <optional>

namespace {
// A fresh home (templates folder, settings) and scripted dialogs; every
// form a test leaves behind is freed.
struct TFormsScope {
    std::optional<TTempXdgHome> Home;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> PreviousUI = SetUIServices(UI);
    TFormKindHooks PreviousHooks = FormKindHooks();
    QList<TForm*> Before = Forms();
    // ownHome false: inside a setting that made its home already.
    explicit TFormsScope(bool ownHome = true) {
        if (!ownHome) return;
        Home.emplace();
        InitWKConsts({QStringLiteral("Welvista2")}, QCoreApplication::applicationFilePath());
    }
    ~TFormsScope() {
        for (TForm* f : NewForms()) delete f;
        FormKindHooks() = PreviousHooks;
        SetUIServices(PreviousUI);
    }
    QList<TForm*> NewForms() const {
        QList<TForm*> list;
        for (TForm* f : Forms())
            if (!Before.contains(f)) list << f;
        return list;
    }
};

// A user form file as the designer writes one: a panel with a label and a grid.
const char* ComplexFormText =
    "object WKForm: TWKPanel\r\n"
    "  Left = 0\r\n  Top = 0\r\n  Width = 320\r\n  Height = 200\r\n"
    "  Caption = 'Буровая'\r\n"
    "  object lbDepth: TWKLabel\r\n    Left = 8\r\n    Top = 8\r\n    Width = 120\r\n    Height = 16\r\n"
    "    Caption = 'Глубина'\r\n  end\r\n"
    "  object sgMain: TSensGrid\r\n    Left = 8\r\n    Top = 32\r\n    Width = 300\r\n    Height = 150\r\n  end\r\n"
    "end\r\n";

QString WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) ADD_FAILURE() << path.toStdString();
    f.write(bytes);
    return path;
}

// Written, read back with no root and written again.
template <class T>
std::unique_ptr<T> RoundTrip(TBaseMDIForm* form) {
    const QString text = MonitoringFormText(form);
    std::unique_ptr<TBaseMDIForm> read(ReadMonitoringForm(text));
    EXPECT_EQ(MonitoringFormText(read.get()).toStdString(), text.toStdString());
    auto* typed = qobject_cast<T*>(read.get());
    EXPECT_TRUE(typed) << read->ClassName().toStdString();
    if (!typed) return nullptr;
    read.release();
    return std::unique_ptr<T>(typed);
}

// The round trips add series through the chart's own command, which needs
// the parameter catalogue: the visual tests' setting.
class MonitoringFormsRoundTrip : public VisualTest {};

TEST_F(MonitoringFormsRoundTrip, ChartFormWithSeries) {
    TFormsScope scope(false);
    std::unique_ptr<TfmRealtimeChart> form(TfmRealtimeChart::CreateWithChart(nullptr, false, "Глубина", 40));
    EXPECT_EQ(form->Chart()->Name(), "TWKChart");
    EXPECT_EQ(form->Chart()->Align(), TControl::alClient);
    EXPECT_FALSE(form->Chart()->XScale()->AsDateTime());
    EXPECT_EQ(form->Top(), 40);
    ScriptPicker(*scope.UI, {"Глубина", "Обороты ротора"});
    ASSERT_TRUE(AddChartSeries(form->Chart()->Fields().Items(0)));
    ASSERT_EQ(form->Chart()->GetSeriesCount(), 2);
    EXPECT_EQ(form->Chart()->GetSeries(0)->Owner(), form->Chart()) << "the command's series belong to the chart";
    form->SetWellName("Скважина: 12");
    form->SetWellID("12");
    auto read = RoundTrip<TfmRealtimeChart>(form.get());
    ASSERT_TRUE(read);
    ASSERT_TRUE(read->Chart());
    ASSERT_EQ(read->Chart()->GetSeriesCount(), 2);
    QList<int> gids;
    for (int i = 0; i < 2; ++i) gids << qobject_cast<TWKChartSeries*>(read->Chart()->GetSeries(i))->GID();
    std::sort(gids.begin(), gids.end());
    EXPECT_EQ(gids, QList<int>({101, 1200}));
    EXPECT_EQ(read->Chart()->GetSeries(1)->Owner(), read->Chart());
    EXPECT_EQ(read->Caption(), "Глубина [Скважина: 12]");
    EXPECT_EQ(read->ShortCaption(), "Глубина");
    EXPECT_EQ(read->Chart()->StreamSuffix(), "12");  // the loaded well reached the chart
    EXPECT_TRUE(read->KeyPreview());
}

TEST_F(MonitoringFormsRoundTrip, DigitalViewWithItems) {
    TFormsScope scope(false);
    TfmDigitalView form;
    TSensGrid* grid = form.CreateGrid();
    EXPECT_EQ(form.Grid(), grid);
    grid->SetIsDateTime(true);
    for (int gid : {101, 1200, 122}) {
        TSensorItem* item = grid->SensorList()->Add();
        item->SetGID(gid);
        item->SetName(QStringLiteral("S%1").arg(gid));
    }
    grid->AdjustCount();
    form.SetShortCaption("Таблица");
    auto read = RoundTrip<TfmDigitalView>(&form);
    ASSERT_TRUE(read && read->Grid());
    EXPECT_EQ(read->Grid()->SensorList()->Count(), 3);
    EXPECT_EQ(read->Grid()->SensorList()->Items(2)->GID(), 122);
    EXPECT_TRUE(read->Grid()->IsDateTime());
    EXPECT_EQ(read->Caption(), "Таблица");
}

TEST_F(MonitoringFormsRoundTrip, TabbedFormWithThreeTabsOnDifferentWells) {
    TFormsScope scope(false);
    TfmTabbedForm form;
    form.SetIsDateTime(false);
    form.SetShortCaption("Вкладки");
    for (int i = 0; i < 3; ++i) form.TabsAddClick(nullptr);
    const char* wells[] = {"11", "22", "33"};
    const char* parameters[] = {"Обороты ротора", "Глубина", "Тал. блок"};
    int gids[3] = {};
    for (int i = 0; i < 3; ++i) {
        form.Tabs()->SetActiveTab(i);
        ScriptPicker(*scope.UI, {parameters[i]});
        ASSERT_TRUE(AddChartSeries(form.TabChart(i)->Fields().Items(0)));
        ASSERT_EQ(form.TabChart(i)->GetSeriesCount(), 1);
        gids[i] = qobject_cast<TWKChartSeries*>(form.TabChart(i)->GetSeries(0))->GID();
        form.SetWellName(QStringLiteral("Скважина: %1").arg(wells[i]));
        form.SetWellID(wells[i]);
    }
    form.Tabs()->SetActiveTab(1);
    EXPECT_EQ(form.Caption(), "Вкладки");  // the well shows on the tabs only
    EXPECT_EQ(form.Tabs()->Tabs(), QStringList({"График 1 [Скважина: 11]", "График 2 [Скважина: 22]",
                                                "График 3 [Скважина: 33]"}));

    auto read = RoundTrip<TfmTabbedForm>(&form);
    ASSERT_TRUE(read && read->Tabs());
    EXPECT_EQ(read->Caption(), "Вкладки");
    EXPECT_FALSE(read->IsDateTime());
    EXPECT_EQ(read->Tabs()->Tabs(), form.Tabs()->Tabs());
    EXPECT_EQ(read->Tabs()->ActiveTab(), 1);
    for (int i = 0; i < 3; ++i) {
        TWKChart* chart = read->TabChart(i);
        ASSERT_TRUE(chart) << i;
        EXPECT_EQ(chart->Tag(), i);
        EXPECT_EQ(chart->StreamSuffix(), wells[i]);
        ASSERT_EQ(chart->GetSeriesCount(), 1) << i;
        EXPECT_EQ(qobject_cast<TWKChartSeries*>(chart->GetSeries(0))->GID(), gids[i]);
        EXPECT_EQ(chart->Visible(), i == 1);
    }
    // The read form works as a built one: its popup and a new tab.
    ASSERT_TRUE(read->pmTabs() && read->miNewTab());
    read->miNewTab()->trigger();
    EXPECT_EQ(read->Tabs()->Tabs().last(), "График 4");
    EXPECT_EQ(read->TabChart(3)->Name(), "TWKChart_3");
}

TEST(MonitoringForms, TabStripWritesItsActiveTabOnlyAwayFromTheFirst) {
    TFormsScope scope;
    TfmTabbedForm form;
    form.TabsAddClick(nullptr);
    form.TabsAddClick(nullptr);
    form.Tabs()->SetActiveTab(1);
    EXPECT_TRUE(MonitoringFormText(&form).contains("ActiveTab = 1"));
    form.Tabs()->SetActiveTab(0);
    const QString text = MonitoringFormText(&form);
    EXPECT_FALSE(text.contains("ActiveTab")) << text.toStdString();
    std::unique_ptr<TBaseMDIForm> read(ReadMonitoringForm(text));
    auto* tabbed = qobject_cast<TfmTabbedForm*>(read.get());
    ASSERT_TRUE(tabbed);
    EXPECT_EQ(tabbed->Tabs()->ActiveTab(), 0);
    EXPECT_TRUE(tabbed->TabChart(0)->Visible());
    EXPECT_FALSE(tabbed->TabChart(1)->Visible());

    // A hidden tab's chart is where the shown one is, after a resize too.
    form.SetBounds(0, 0, 300, 250);
    form.ShowForm();
    form.SetBounds(0, 0, 640, 480);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.TabChart(0)->Width(), form.ClientWidth());
    EXPECT_EQ(form.TabChart(1)->BoundsRect(), form.TabChart(0)->BoundsRect());
}

TEST_F(MonitoringFormsRoundTrip, ComplexFormFromAFile) {
    TFormsScope scope(false);
    QTemporaryDir dir;
    const QString file = WriteFile(dir.filePath("Буровая.wkf"), QByteArray(ComplexFormText));
    std::unique_ptr<TfmWKComplexForm> form(TfmWKComplexForm::CreateFromFile(nullptr, file));
    form->SetShortCaption("Составная");
    ASSERT_TRUE(form->ScrollBox());
    EXPECT_EQ(form->ScrollBox()->Align(), TControl::alClient);
    for (const char* name : {"lbDepth", "sgMain"}) {
        TComponentBase* c = form->FindComponent(name);
        ASSERT_TRUE(c) << name;
        EXPECT_EQ(qobject_cast<QWidget*>(c->Self())->parentWidget(), form->ScrollBox()) << name;
    }
    EXPECT_EQ(form->ScrollBox()->ComponentCount(), 0);
    auto read = RoundTrip<TfmWKComplexForm>(form.get());
    ASSERT_TRUE(read && read->ScrollBox());
    EXPECT_TRUE(read->FindComponentAs<TWKLabel>("lbDepth"));
    EXPECT_TRUE(read->FindComponentAs<TSensGrid>("sgMain"));
    EXPECT_EQ(read->FindComponentAs<TWKLabel>("lbDepth")->parentWidget(), read->ScrollBox());
    EXPECT_EQ(read->Caption(), "Составная");

    // A file that does not read makes no form.
    const int forms = Forms().size();
    EXPECT_THROW(TfmWKComplexForm::CreateFromFile(nullptr, WriteFile(dir.filePath("bad.wkf"), "object X: TWKPanel\r\n")),
                 Exception);
    EXPECT_THROW(TfmWKComplexForm::CreateFromFile(nullptr, dir.filePath("missing.wkf")), Exception);
    EXPECT_EQ(Forms().size(), forms);
}

TEST(MonitoringForms, TabNumberingAndChartNames) {
    struct TCase { QStringList Captions; QString Next; };
    const TCase cases[] = {
        {{}, "График 1"},
        {{"График 1", "Слово", "График 7"}, "График 8"},
        {{"График 2", "График x", "Обзор 3"}, "График 4"},
        {{"График 5 [Скважина: 9]", "График 2"}, "График 6"},  // the well part is no part of the number
        {{"Один два", "Гр -4"}, "График 1"},
    };
    for (const TCase& c : cases) EXPECT_EQ(TfmTabbedForm::NextTabCaption(c.Captions), c.Next) << c.Captions.join('|').toStdString();

    TFormsScope scope;
    TfmTabbedForm form;
    form.TabsAddClick(nullptr);
    form.TabsAddClick(nullptr);
    EXPECT_EQ(form.TabChart(0)->Name(), "TWKChart");
    EXPECT_EQ(form.TabChart(1)->Name(), "TWKChart_1");
    EXPECT_TRUE(form.TabChart(0)->XScale()->AsDateTime());
}

TEST(MonitoringForms, ClosingTabsFreesTheirChartsAndTogglesTheCloseButtons) {
    TFormsScope scope;
    struct TCase { int Tabs; bool ShownAfter; };
    for (const TCase& c : {TCase{3, true}, TCase{2, false}}) {
        TfmTabbedForm form;
        form.resize(600, 400);
        for (int i = 0; i < c.Tabs; ++i) form.TabsAddClick(nullptr);
        EXPECT_TRUE(form.Tabs()->ShowClose());
        QPointer<TWKChart> first = form.TabChart(0);
        QPointer<TWKChart> last = form.TabChart(c.Tabs - 1);
        bool close = false;
        form.TabsCloseTab(form.Tabs(), 0, &close);
        EXPECT_TRUE(close);
        EXPECT_FALSE(first) << "the closed tab's chart is freed";
        EXPECT_FALSE(form.Tabs()->TabObject(0)) << "and no tab holds it";
        form.Tabs()->DeleteTab(0);
        EXPECT_EQ(form.Tabs()->ShowClose(), c.ShownAfter) << c.Tabs;
        // The charts left follow their tabs.
        ASSERT_TRUE(last);
        EXPECT_EQ(last->Tag(), c.Tabs - 2);
        EXPECT_EQ(form.TabChart(c.Tabs - 2), last.data());
    }
    TfmTabbedForm one;
    one.TabsAddClick(nullptr);
    EXPECT_TRUE(one.Tabs()->ShowClose());
}

TEST(MonitoringForms, DraggedTabsKeepTheirCharts) {
    TFormsScope scope;
    TfmTabbedForm form;
    form.resize(700, 300);
    form.show();
    for (int i = 0; i < 3; ++i) form.TabsAddClick(nullptr);
    TWKChart* c0 = form.TabChart(0);
    TqxAeroTabs* tabs = form.Tabs();
    const int step = tabs->TabWidth() - TqxAeroTabs::TabOverlap;
    const QPoint from(tabs->TabOffset() + tabs->TabWidth() / 2, tabs->Height() / 2 + 4);
    QTest::mousePress(tabs, Qt::LeftButton, {}, from);
    for (int dx = 10; dx <= 2 * step; dx += 10) QTest::mouseMove(tabs, from + QPoint(dx, 0));
    QTest::mouseMove(tabs, from + QPoint(2 * step, 0));
    QTest::mouseRelease(tabs, Qt::LeftButton, {}, from + QPoint(2 * step, 0));
    const int moved = tabs->Tabs().indexOf("График 1");
    ASSERT_GT(moved, 0) << tabs->Tabs().join('|').toStdString();
    EXPECT_EQ(form.TabChart(moved), c0);
    EXPECT_EQ(c0->Tag(), moved);
    auto read = RoundTrip<TfmTabbedForm>(&form);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Tabs()->Tabs(), tabs->Tabs());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(read->TabChart(i)->Name(), form.TabChart(i)->Name()) << i;
}

TEST(MonitoringForms, ChartsOnNoTabStayHidden) {
    TFormsScope scope;
    TfmTabbedForm form;
    form.TabsAddClick(nullptr);
    form.TabsAddClick(nullptr);
    QString text = MonitoringFormText(&form);
    text.replace("Tag = 1", "Tag = 7");
    std::unique_ptr<TBaseMDIForm> read(ReadMonitoringForm(text));
    auto* tabbed = qobject_cast<TfmTabbedForm*>(read.get());
    ASSERT_TRUE(tabbed);
    EXPECT_TRUE(tabbed->TabChart(0));
    EXPECT_FALSE(tabbed->TabChart(1));
    auto* stray = tabbed->FindComponentAs<TWKChart>("TWKChart_1");
    ASSERT_TRUE(stray);
    EXPECT_FALSE(stray->Visible());
}

TEST(MonitoringForms, TabPopupRenamesTheTabUnderThePoint) {
    TFormsScope scope;
    TfmTabbedForm form;
    form.resize(600, 300);
    form.show();
    form.TabsAddClick(nullptr);
    form.SetShortCaption("Вкладки");
    TqxAeroTabs* tabs = form.Tabs();
    const QPoint onTab(tabs->TabOffset() + tabs->TabWidth() / 2, tabs->Height() / 2 + 4);
    const QPoint offTabs(tabs->Width() - 5, tabs->Height() / 2);
    bool shown = false;
    form.pmTabs()->ShowHandler = [&](TPopupMenu*) { shown = true; };
    form.pmTabs()->Popup(tabs, tabs->mapToGlobal(offTabs));
    EXPECT_TRUE(shown);
    EXPECT_FALSE(form.miRename()->isEnabled());
    form.pmTabs()->Popup(tabs, tabs->mapToGlobal(onTab));
    EXPECT_TRUE(form.miRename()->isEnabled());

    auto rename = [&](const QString& typed, bool ok) {
        scope.UI->ScriptDialogOnce("TdlgInputString", [typed, ok](QObject* d) {
            auto* dlg = static_cast<TdlgInputString*>(d);
            EXPECT_EQ(dlg->windowTitle(), "Переименование");
            EXPECT_EQ(dlg->leString->text(), "График 1");
            dlg->leString->setText(typed);
            (ok ? dlg->btnOK : dlg->btnCancel)->click();
            return DialogResult(*dlg);
        });
        form.miRename()->trigger();
    };
    rename("Забой", false);
    EXPECT_EQ(tabs->Tabs(), QStringList({"График 1"}));
    rename("Забой", true);
    EXPECT_EQ(tabs->Tabs(), QStringList({"Забой"}));
    form.TabsAddClick(nullptr);
    // The new tab's chart fills the form below the strip.
    TWKChart* chart = form.TabChart(1);
    ASSERT_TRUE(chart);
    EXPECT_TRUE(chart->isVisible());
    EXPECT_EQ(chart->geometry(), QRect(0, tabs->height(), form.width(), form.height() - tabs->height()))
        << chart->geometry().width() << "x" << chart->geometry().height();
    SaveArtifact(form.grab().toImage(), "TabbedForm");
    EXPECT_EQ(form.Caption(), "Вкладки");
}

TEST(MonitoringForms, InputDialogGivesTheTextOnlyOnOk) {
    TFormsScope scope;
    struct TCase { bool Ok; bool Result; QString Value; };
    for (const TCase& c : {TCase{true, true, "новое"}, TCase{false, false, "старое"}}) {
        scope.UI->ScriptDialogOnce("TdlgInputString", [c](QObject* d) {
            auto* dlg = static_cast<TdlgInputString*>(d);
            EXPECT_EQ(dlg->lbString->text(), "Метка");
            dlg->leString->setText("новое");
            (c.Ok ? dlg->btnOK : dlg->btnCancel)->click();
            return DialogResult(*dlg);
        });
        QString value = "мусор";
        EXPECT_EQ(TdlgInputString::Input("Заголовок", "Метка", "старое", value), c.Result);
        EXPECT_EQ(value, c.Value);
    }
    EXPECT_EQ(scope.UI->ShownDialogs.count("TdlgInputString: Заголовок"), 2);
}

// What the gallery asks of the main window, recorded.
struct TTestHost : IWKFormsHost {
    QWidget Window;
    QStringList Opened;
    QString ComplexFile;  // empty: the file dialog is cancelled
    int RuleApplied = 0;
    QRect HostBounds() const override { return QRect(10, 20, 800, 100); }
    QWidget* HostWindow() override { return &Window; }
    void OpenFile(const QString& fileName) override { Opened << fileName; }
    bool ChooseComplexFormFile(QString& fileName) override {
        fileName = ComplexFile;
        return !fileName.isEmpty();
    }
    void ApplyActiveFormRule() override { ++RuleApplied; }
};

// Picks the entry by caption (none when empty), types the name, presses OK
// (or "Отмена").
void ScriptGallery(TScriptedUIServices& ui, const QString& entry, const QString& name, bool ok = true) {
    ui.ScriptDialogOnce("TfmNewForm", [=](QObject* d) {
        auto* dlg = static_cast<TfmNewForm*>(d);
        if (entry.isEmpty()) dlg->lvForms->SetSelected(-1);
        else EXPECT_TRUE(dlg->SelectCaption(entry)) << entry.toStdString();
        dlg->leName->setText(name);
        (ok ? dlg->btnOK : dlg->btnCancel)->click();
        return DialogResult(*dlg);
    });
}

TEST(MonitoringForms, GalleryEntriesAndTemplates) {
    TFormsScope scope;
    {
        // No templates folder: the built-in entries; the review ones only
        // when review forms can be made.
        TfmNewForm plain(false);
        EXPECT_EQ(plain.lvForms->Count(), 7);
        EXPECT_EQ(plain.lvForms->Selected(), 0);
        EXPECT_EQ(plain.SelectedCaption(), "Простая форма по времени");
        TfmNewForm withReview(true);
        EXPECT_EQ(withReview.lvForms->Count(), 9);
        EXPECT_EQ(withReview.lvForms->Entry(5).Caption, "Просмотр записи по времени");
        EXPECT_EQ(withReview.lvForms->Entry(5).Group, TfmNewForm::grReview);
    }
    const QString folder = TfmNewForm::TemplatesFolder();
    WriteFile(folder + "Буровая.wkf", ComplexFormText);
    WriteFile(folder + "Спуск.sf2", "");
    TfmNewForm gallery(false);
    ASSERT_EQ(gallery.lvForms->Count(), 9);
    gallery.show();
    SaveArtifact(gallery.grab().toImage(), "NewFormGallery");
    struct TCase { const char* Caption; int Image; const char* File; };
    for (const TCase& c : {TCase{"Буровая", 4, "Буровая.wkf"}, TCase{"Спуск", 8, "Спуск.sf2"}}) {
        ASSERT_TRUE(gallery.SelectCaption(c.Caption));
        const auto& e = gallery.lvForms->Entry(gallery.lvForms->Selected());
        EXPECT_EQ(e.Group, TfmNewForm::grTemplates);
        EXPECT_EQ(e.ImageIndex, c.Image);
        EXPECT_EQ(gallery.GetSelectedFile(), folder + c.File);
    }
    // A double click on an entry is OK.
    scope.UI->ScriptDialogOnce("TfmNewForm", [](QObject* d) {
        auto* dlg = static_cast<TfmNewForm*>(d);
        dlg->show();
        const QRect r = dlg->lvForms->EntryRect(2);
        QTest::mouseDClick(dlg->lvForms, Qt::LeftButton, {}, r.center());
        return DialogResult(*dlg);
    });
    TfmNewForm clicked(false);
    EXPECT_EQ(ShowModal(clicked), mrOk);
    EXPECT_EQ(clicked.SelectedIndex(), TfmNewForm::nfGridTime);
}

TEST(MonitoringForms, EveryGalleryGroupIsReachable) {
    TFormsScope scope;
    const QString folder = TfmNewForm::TemplatesFolder();
    for (const char* name : {"Бурение", "Спуск", "Подъём", "Промывка", "Наращивание", "Проработка"})
        WriteFile(folder + name + ".sf2", "");
    TfmNewForm gallery(true);
    gallery.show();  // at the size it opens with
    auto* area = gallery.findChild<QScrollArea*>();
    ASSERT_TRUE(area);
    QWidget* viewport = area->viewport();
    TGroupedIconList* list = gallery.lvForms;
    auto shown = [&](int entry) {
        const QRect r = list->EntryRect(entry);
        return viewport->rect().contains(QRect(list->mapTo(viewport, r.topLeft()), r.size()));
    };
    const int last = list->Count() - 1;
    ASSERT_EQ(list->Entry(last).Group, TfmNewForm::grTemplates);
    ASSERT_FALSE(shown(last)) << "the list is taller than the dialog";
    SaveArtifact(gallery.grab().toImage(), "NewFormGalleryTop");

    // The wheel over the list scrolls down to the last group.
    for (int i = 0; i < 20 && !shown(last); ++i) {
        const QPointF at = list->mapFrom(viewport, viewport->rect().center());
        // The list leaves the wheel to the scroll area's viewport, where Qt takes it on.
        QWheelEvent wheel(at, list->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &wheel);
        if (wheel.isAccepted()) continue;
        const QPointF onViewport = viewport->rect().center();
        QWheelEvent passed(onViewport, viewport->mapToGlobal(onViewport), QPoint(), QPoint(0, -120), Qt::NoButton,
                           Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &passed);
    }
    EXPECT_TRUE(shown(last));
    SaveArtifact(gallery.grab().toImage(), "NewFormGalleryEnd");

    // Home and End choose the first and the last entry and bring them into view.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(list->Selected(), 0);
    EXPECT_TRUE(shown(0));
    EXPECT_FALSE(shown(last));
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->Selected(), last);
    EXPECT_TRUE(shown(last));
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(list->Selected(), last - 1);
}

TEST(MonitoringForms, DigitalViewValueColumnFollowsTheForm) {
    TFormsScope scope;
    TfmDigitalView form;
    TSensGrid* grid = form.CreateGrid();
    grid->SetVertical(true);
    for (int gid : {101, 1200}) {
        TSensorItem* item = grid->SensorList()->Add();
        item->SetGID(gid);
        item->SetName(QStringLiteral("Параметр %1").arg(gid));
    }
    grid->AdjustCount();
    // Free at 300 by 300 (multi-window mode), then the size of a page.
    for (const QRect& bounds : {QRect(100, 100, 300, 300), QRect(0, 0, 796, 514), QRect(100, 100, 300, 300)}) {
        form.SetBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
        form.ShowForm();
        QCoreApplication::processEvents();
        ASSERT_EQ(grid->Width(), form.ClientWidth());
        // The name column and the value column reach across the grid.
        EXPECT_EQ(grid->ColWidths(0) + grid->ColWidths(1), grid->ClientWidth() - 2) << bounds.width();
    }
}

// The digital view opens the parameter picker: the visual tests' setting.
class MonitoringFormsGallery : public VisualTest {};

TEST_F(MonitoringFormsGallery, GalleryDispatch) {
    TFormsScope scope(false);
    TTestHost host;
    QList<TWKChart*> addSeries;
    FormKindHooks().AddChartSeries = [&](TWKChart* chart) { addSeries << chart; };
    const int below = host.HostBounds().top() + host.HostBounds().height();

    // A chart form named after its entry, below the main window, its
    // add-series command opened.
    ScriptGallery(*scope.UI, "Простая форма по глубине", "");
    NewFormCommand(host);
    ASSERT_EQ(scope.NewForms().size(), 1);
    auto* chartForm = qobject_cast<TfmRealtimeChart*>(scope.NewForms()[0]);
    ASSERT_TRUE(chartForm);
    EXPECT_EQ(chartForm->Caption(), "Простая форма по глубине");
    EXPECT_EQ(chartForm->Top(), below + 1);
    EXPECT_FALSE(chartForm->Chart()->XScale()->AsDateTime());
    EXPECT_EQ(addSeries, QList<TWKChart*>{chartForm->Chart()});
    EXPECT_EQ(host.RuleApplied, 1);
    delete chartForm;

    // A table on time: its grid's parameter picker opens at once.
    ScriptGallery(*scope.UI, "Таблица по времени", "Давления");
    NewFormCommand(host);
    ASSERT_EQ(scope.NewForms().size(), 1);
    auto* view = qobject_cast<TfmDigitalView*>(scope.NewForms()[0]);
    ASSERT_TRUE(view && view->Grid());
    EXPECT_EQ(view->Caption(), "Давления");
    EXPECT_TRUE(view->Grid()->IsDateTime());
    EXPECT_EQ(scope.UI->ShownDialogs.value(scope.UI->ShownDialogs.size() - 1), "TdlgSelectParam: Выбор параметров");
    delete view;

    // Tabs on depth: one tab to start with.
    ScriptGallery(*scope.UI, "Вкладки по глубине", "Вкладки");
    NewFormCommand(host);
    ASSERT_EQ(scope.NewForms().size(), 1);
    auto* tabbed = qobject_cast<TfmTabbedForm*>(scope.NewForms()[0]);
    ASSERT_TRUE(tabbed);
    EXPECT_FALSE(tabbed->IsDateTime());
    EXPECT_EQ(tabbed->Tabs()->Tabs(), QStringList{"График 1"});
    EXPECT_FALSE(tabbed->TabChart(0)->XScale()->AsDateTime());
    EXPECT_EQ(tabbed->Caption(), "Вкладки");
    delete tabbed;

    // A composite form from the chosen file; a cancelled file dialog, a
    // cancelled gallery and no selection make nothing.
    QTemporaryDir dir;
    host.ComplexFile = WriteFile(dir.filePath("a.wkf"), ComplexFormText);
    ScriptGallery(*scope.UI, "Составная форма из файла", "Буровая");
    NewFormCommand(host);
    ASSERT_EQ(scope.NewForms().size(), 1);
    auto* complex = qobject_cast<TfmWKComplexForm*>(scope.NewForms()[0]);
    ASSERT_TRUE(complex);
    EXPECT_EQ(complex->Caption(), "Буровая");
    delete complex;
    host.ComplexFile.clear();
    ScriptGallery(*scope.UI, "Составная форма из файла", "");
    NewFormCommand(host);
    ScriptGallery(*scope.UI, "Простая форма по времени", "", false);
    NewFormCommand(host);
    ScriptGallery(*scope.UI, "", "Имя");
    NewFormCommand(host);
    EXPECT_TRUE(scope.NewForms().isEmpty());
    EXPECT_EQ(addSeries.size(), 1);

    // Templates go to the host's file opening, whatever their kind.
    const QString folder = TfmNewForm::TemplatesFolder();
    WriteFile(folder + "Шаблон.wkf", ComplexFormText);
    WriteFile(folder + "Спуск.sf2", "");
    for (const char* name : {"Шаблон", "Спуск"}) {
        ScriptGallery(*scope.UI, name, "");
        NewFormCommand(host);
    }
    EXPECT_EQ(host.Opened, QStringList({folder + "Шаблон.wkf", folder + "Спуск.sf2"}));
    EXPECT_TRUE(scope.NewForms().isEmpty());
}

TEST(MonitoringForms, ReviewEntriesUseTheirCreationHook) {
    TFormsScope scope;
    TTestHost host;
    QList<bool> kinds;
    FormKindHooks().CreateReviewForm = [&](bool isDateTime) -> TBaseMDIForm* {
        kinds << isDateTime;
        return new TBaseMDIForm();
    };
    ScriptGallery(*scope.UI, "Просмотр записи по глубине", "");
    NewFormCommand(host);
    EXPECT_EQ(kinds, QList<bool>{false});
    ASSERT_EQ(scope.NewForms().size(), 1);
    auto* form = qobject_cast<TBaseMDIForm*>(scope.NewForms()[0]);
    EXPECT_EQ(form->Caption(), "Просмотр записи по глубине");
    EXPECT_EQ(form->Top(), host.HostBounds().top() + host.HostBounds().height());
}
}  // namespace
