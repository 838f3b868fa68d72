// The hint panel and the hint list dialog following the suite's hint list,
// on docked and floating forms, driven offscreen through the UI seam.
#include "VisualTestSupport.h"

#include "Forms.h"
#include "WKFormText.h"
#include "WKHints.h"
#include "dlg_WKHintsList.h"
#include "fr_HintPanel.h"
#include "fr_Align.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>
#include <thread>

namespace {

void RunEvents() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

QImage Img(const QLabel* l) { return l->pixmap().toImage(); }

TEST_F(VisualTest, HintPanelsFollowTheList) {
    Hints().ClearHints();
    RunEvents();

    QWidget main;
    SetMainWindow(&main);
    auto docked = std::make_unique<TForm>();
    docked->ManualDock(&main);
    auto floating = std::make_unique<TForm>();
    floating->ManualFloat(QRect(50, 50, 400, 300));
    auto* onDocked = new TfrHintPanel(docked.get());
    onDocked->SetParentWidget(docked.get());
    auto* onFloating = new TfrHintPanel(floating.get());
    onFloating->SetParentWidget(floating.get());
    EXPECT_FALSE(onDocked->Visible()) << "no hints: hidden";
    EXPECT_EQ(onDocked->Align(), TControl::alBottom);

    // Hints from a worker thread reach both panels once the event loop runs.
    std::thread worker([] {
        AddHint(hcInformation, QStringLiteral("Первая"), QStringLiteral("m1"));
        AddHint(hcWarning, QStringLiteral("Вторая"), QStringLiteral("m2"));
        AddHint(hcError, QStringLiteral("Третья"), QStringLiteral("m3"));
        AddHint(hcInformation, QStringLiteral("Четвёртая"), QStringLiteral("m4"));
        AddHint(hcWarning, QStringLiteral("Пятая"), QStringLiteral("m5"));
    });
    worker.join();
    EXPECT_EQ(onFloating->HintIndex(), 0) << "nothing before the event loop runs";
    RunEvents();
    for (TfrHintPanel* p : {onDocked, onFloating}) {
        EXPECT_TRUE(p->Visible());
        EXPECT_EQ(p->HintIndex(), 4);
        EXPECT_EQ(p->lblHint->toPlainText(), QStringLiteral("m5"));
        EXPECT_FALSE(p->tbNextHint->isVisibleTo(p));
        EXPECT_TRUE(p->tbPrevHint->isVisibleTo(p));
    }

    // Five hints with the third shown: the caption, the class colour and images.
    TfrHintPanel& panel = *onDocked;
    panel.tbPrevHint->click();
    panel.tbPrevHint->click();
    const TWKHint third = Hints().GetHint(2);
    EXPECT_EQ(panel.lblCaption->text(),
              QStringLiteral("Третья (3 из 5, ") + DateTimeToStr(third.DateTime) + QStringLiteral(")"));
    EXPECT_EQ(panel.lblCaption->palette().color(QPalette::WindowText), QColor(0xFF, 0xFF, 0x00));
    EXPECT_EQ(panel.ImageIndex(), 2);
    EXPECT_EQ(Img(panel.imSign), panel.ilSigns.Image(2).toImage());
    EXPECT_EQ(Img(panel.imBkg1), panel.ilBkg.Image(2).toImage());
    EXPECT_EQ(Img(panel.imBkg2), panel.ilBkg.Image(2).toImage());
    EXPECT_TRUE(panel.tbPrevHint->isVisibleTo(&panel));
    EXPECT_TRUE(panel.tbNextHint->isVisibleTo(&panel));
    panel.tbPrevHint->click();
    panel.tbPrevHint->click();
    EXPECT_EQ(panel.HintIndex(), 0) << "no step before the first";
    EXPECT_FALSE(panel.tbPrevHint->isVisibleTo(&panel));
    EXPECT_EQ(panel.lblCaption->palette().color(QPalette::WindowText), QColor(0x70, 0x70, 0xD1));
    panel.tbNextHint->click();
    EXPECT_EQ(panel.lblCaption->palette().color(QPalette::WindowText), QColor(0xB9, 0x51, 0x0B));
    EXPECT_EQ(panel.ImageIndex(), 1);

    // Closed, the panel shows again on the newest hint.
    panel.tbClose->click();
    EXPECT_FALSE(panel.Visible());
    AddHint(hcError, QStringLiteral("Шестая"), QStringLiteral("m6"));
    RunEvents();
    EXPECT_TRUE(panel.Visible());
    EXPECT_EQ(panel.HintIndex(), 5);
    EXPECT_EQ(panel.lblHint->toPlainText(), QStringLiteral("m6"));

    // The caption is a link to the hint's action.
    int called = 0;
    AddHint(hcInformation, QStringLiteral("Действие"), QStringLiteral("m7"), [&called](QObject*) { ++called; });
    RunEvents();
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(panel.lblCaption, &enter);
    EXPECT_TRUE(panel.lblCaption->font().underline());
    EXPECT_EQ(panel.lblCaption->cursor().shape(), Qt::PointingHandCursor);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(panel.lblCaption, &release);
    EXPECT_EQ(called, 1);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(panel.lblCaption, &leave);
    EXPECT_FALSE(panel.lblCaption->font().underline());
    EXPECT_TRUE(panel.lblCaption->font().bold());
    panel.tbPrevHint->click();
    QCoreApplication::sendEvent(panel.lblCaption, &enter);
    EXPECT_FALSE(panel.lblCaption->font().underline()) << "a hint without action is no link";
    QCoreApplication::sendEvent(panel.lblCaption, &release);
    EXPECT_EQ(called, 1);

    // The list dialog, opened by the list button: middle, last, then all.
    ASSERT_EQ(Hints().GetCount(), 7);
    ScriptOnce<TdlgWKHintsList>(*UI, "TdlgWKHintsList", [](TdlgWKHintsList& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Список сообщений"));
        EXPECT_EQ(d.lvHints->topLevelItemCount(), 7);
        EXPECT_EQ(d.lvHints->topLevelItem(0)->text(1), QStringLiteral("m1"));
        EXPECT_FALSE(d.btnDeleteHint->isEnabled()) << "nothing selected";
        d.SelectRow(3);
        d.btnDeleteHint->click();
        EXPECT_EQ(d.lvHints->topLevelItemCount(), 6);
        EXPECT_EQ(d.SelectedRow(), 3) << "the row at the same index";
        EXPECT_EQ(d.lvHints->topLevelItem(3)->text(1), QStringLiteral("m5"));
        d.SelectRow(5);
        d.btnDeleteHint->click();
        EXPECT_EQ(d.SelectedRow(), 4) << "the last row after deleting the last";
        // Another thread empties part of the list behind the dialog's back.
        std::thread([] {
            Hints().Delete(0);
            Hints().Delete(0);
            Hints().Delete(0);
        }).join();
        d.SelectRow(4);
        d.btnDeleteHint->click();
        EXPECT_EQ(Hints().GetCount(), 2) << "a stale row deletes nothing";
        EXPECT_EQ(d.lvHints->topLevelItemCount(), 2);
        EXPECT_EQ(d.SelectedRow(), 1);
        d.btnDeleteAll->click();
        EXPECT_EQ(d.lvHints->topLevelItemCount(), 0);
        EXPECT_EQ(d.SelectedRow(), -1);
        EXPECT_FALSE(d.btnDeleteAll->isEnabled());
        EXPECT_FALSE(d.btnDeleteHint->isEnabled());
        d.OKBtn->click();
        return DialogResult(d);
    });
    panel.sbList->click();
    EXPECT_TRUE(UI->ShownDialogs.contains(QStringLiteral("TdlgWKHintsList: Список сообщений")));
    EXPECT_EQ(Hints().GetCount(), 0);
    RunEvents();
    for (TfrHintPanel* p : {onDocked, onFloating}) {
        EXPECT_FALSE(p->Visible()) << "the empty list hides the panels";
        EXPECT_EQ(p->lblCaption->text(), QStringLiteral("Нет подсказок"));
        EXPECT_TRUE(p->lblHint->toPlainText().isEmpty());
        EXPECT_EQ(p->HintIndex(), 0);
        EXPECT_EQ(p->ImageIndex(), 0);
        EXPECT_FALSE(p->tbPrevHint->isVisibleTo(p));
    }

    // Setup edits the alignment only.
    ScriptOnce<QDialog>(*UI, "TdlgSetupSplitter", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Настройка панели подсказок"));
        auto* frame = d.findChild<TfrAlign*>();
        frame->SetCtlAlign(TControl::alTop);
        d.accept();
        return DialogResult(d);
    });
    panel.Setup();
    EXPECT_EQ(panel.Align(), TControl::alTop);
    SetMainWindow(nullptr);
}

TEST_F(VisualTest, HintPanelRoundTripsAsFormText) {
    Hints().ClearHints();
    AddHint(hcWarning, QStringLiteral("Подсказка"), QStringLiteral("текст"));
    RunEvents();
    InitWKControls();
    TForm form;
    form.SetName(QStringLiteral("fmHints"));
    auto* panel = new TfrHintPanel(&form);
    panel->SetName(QStringLiteral("frHintPanel1"));
    panel->SetParentWidget(&form);
    panel->SetAlign(TControl::alTop);
    const QString text = ComponentToString(&form);
    EXPECT_TRUE(text.contains(QStringLiteral("TfrHintPanel"))) << text.toStdString();
    std::unique_ptr<TComponentBase> again(StringToComponent(text, nullptr));
    ASSERT_TRUE(again);
    auto* read = again->FindComponentAs<TfrHintPanel>("frHintPanel1");
    ASSERT_NE(read, nullptr) << text.toStdString();
    EXPECT_EQ(read->Align(), TControl::alTop);
    EXPECT_EQ(read->lblHint->toPlainText(), QStringLiteral("текст")) << "the current hint shows after loading";
    EXPECT_EQ(ComponentToString(again.get()), text);

    // What the driller sees: the strip with sign, caption and buttons over the message.
    const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (!dir.isEmpty()) {
        form.SetBounds(0, 0, 480, 120);
        QDir().mkpath(dir);
        form.grab().save(dir + QStringLiteral("/HintPanel.png"));
    }
    Hints().ClearHints();
    RunEvents();
}

}  // namespace
