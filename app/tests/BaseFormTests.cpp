// The monitoring form base: caption rule, well broadcast, normal rectangle,
// messages to the main window, and the form's close protocol.
#include "fm_BaseMDIForm.h"
#include "ComponentStreaming.h"
#include "Messages.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {
QStringList gLog;

// A windowed control that records the well messages it gets.
class TRecordingPanel : public TControl {
    Q_OBJECT
public:
    using TControl::TControl;
protected:
    bool WKMessage(TWKMessage& msg) override {
        if (msg.Msg() == WM_WELLCHANGED) gLog << Name() + "=" + msg.LParam().toString();
        return false;
    }
};

class TRecordingLabel : public TGraphicControl {
    Q_OBJECT
public:
    using TGraphicControl::TGraphicControl;
protected:
    bool WKMessage(TWKMessage& msg) override {
        if (msg.Msg() == WM_WELLCHANGED) gLog << Name();
        return false;
    }
};

class TRecordingForm : public TBaseMDIForm {
    Q_OBJECT
public:
    using TBaseMDIForm::TBaseMDIForm;
    void BroadcastWell() override {
        TBaseMDIForm::BroadcastWell();
        gLog << "form=" + WellID();
    }
};

// The main window as the forms see it: records 1046-1048.
class TRecordingMain : public QObject {
public:
    QStringList Got;
    bool event(QEvent* e) override {
        if (!TWKMessage::IsWKMessage(e)) return QObject::event(e);
        auto* m = static_cast<TWKMessage*>(e);
        auto* form = m->LParam().value<QObject*>();
        Got << QString("%1 %2").arg(m->Msg()).arg(form ? "form" : "0");
        return true;
    }
};

struct TMainScope {
    TRecordingMain Main;
    QObject* Previous = MainWindow();
    TMainScope() { SetMainWindow(&Main); }
    ~TMainScope() { SetMainWindow(Previous); }
};

TEST(MonitoringFormBase, CaptionRule) {
    struct TCase { const char* Caption; const char* Short; bool RoundTrip; };
    const TCase cases[] = {
        {"График [Скважина: 1]", "График", true},
        // No "]": taken whole; once a well part is added the first " [" cuts.
        {"График [без скобки", "График [без скобки", false},
        {"Таблица", "Таблица", true},
        {"A [x] [y]", "A", true},
    };
    for (const TCase& c : cases) {
        TBaseMDIForm form;
        form.SetCaption(c.Caption);
        EXPECT_EQ(form.ShortCaption(), c.Short);
        if (!c.RoundTrip) continue;
        form.SetWellName("Скважина: 12");
        EXPECT_EQ(form.Caption(), QString(c.Short) + " [Скважина: 12]");
        form.SetWellName("");
        EXPECT_EQ(form.Caption(), c.Short);
    }
    TBaseMDIForm form;
    form.SetWellName("W");
    form.SetShortCaption("Новая");
    EXPECT_EQ(form.Caption(), "Новая [W]");
}

TEST(MonitoringFormBase, WellBroadcastReachesWindowedControlsDepthFirstAndTheFormLast) {
    TRecordingForm form;
    auto* panel = new TRecordingPanel(&form);
    panel->SetName("panel");
    panel->SetParentWidget(&form);
    auto* inner = new TRecordingPanel(&form);
    inner->SetName("inner");
    inner->SetParentWidget(panel);
    auto* label = new TRecordingLabel(&form);
    label->SetName("label");
    label->SetParentWidget(panel);
    auto* second = new TRecordingPanel(&form);
    second->SetName("second");
    second->SetParentWidget(&form);

    gLog.clear();
    form.SetWellID("1001");
    EXPECT_EQ(gLog, QStringList({"inner=1001", "panel=1001", "second=1001", "form=1001"}));
    gLog.clear();
    form.SetWellID("");  // an empty well is still told
    EXPECT_EQ(gLog, QStringList({"inner=", "panel=", "second=", "form="}));
}

TEST(MonitoringFormBase, LoadingRestoresTheNormalRectangleAndBroadcastsTheWell) {
    TBaseMDIForm source;
    source.SetBounds(30, 40, 500, 300);
    source.SetShortCaption("Тренд");
    source.SetWellName("Скважина: 7");
    source.SetWellID("7.1");
    const QString text = WriteComponentToText(&source);
    EXPECT_TRUE(text.contains("NormalRight = 530")) << text.toStdString();

    TBaseMDIForm copy;
    ReadComponentFromText(text, &copy);
    EXPECT_EQ(copy.NormalBounds(), QRect(30, 40, 500, 300));
    EXPECT_EQ(copy.Caption(), "Тренд [Скважина: 7]");
    EXPECT_EQ(copy.WellID(), "7.1");

    // Stored without a rectangle (all zero): the stored position properties place it.
    TBaseMDIForm zero;
    zero.SetBounds(5, 6, 200, 100);
    QString zeroText = WriteComponentToText(&zero);
    for (const char* n : {"NormalLeft = 5", "NormalTop = 6", "NormalRight = 205", "NormalBottom = 106"})
        zeroText.replace(n, QString(n).section('=', 0, 0) + "= 0");
    TBaseMDIForm placed;
    placed.SetBounds(11, 12, 300, 200);
    ReadComponentFromText(zeroText, &placed);
    EXPECT_EQ(placed.NormalBounds(), QRect(5, 6, 200, 100));
}

TEST(MonitoringFormBase, MainWindowHearsShowingShownAndClosing) {
    TMainScope scope;
    QPointer<TBaseMDIForm> form = new TBaseMDIForm();
    form->SetBounds(0, 0, 200, 100);
    form->ShowForm();
    // 1048 is sent before the form is visible; 1046 is posted.
    ASSERT_FALSE(scope.Main.Got.isEmpty());
    EXPECT_EQ(scope.Main.Got.first(), "1048 form");
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(scope.Main.Got.contains("1046 form"));
    scope.Main.Got.clear();
    EXPECT_TRUE(form->Close());
    EXPECT_EQ(scope.Main.Got, QStringList({"1047 form"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());  // the close action frees the form
}

class TVetoForm : public TForm {
    Q_OBJECT
public:
    using TForm::TForm;
    bool Allow = false;
    int Closed = 0;
protected:
    bool FormCloseQuery() override { return Allow; }
    void FormClose(TCloseAction&) override { ++Closed; }
};

TEST(PlatformForm, CloseQueryDockingAndTheListOfForms) {
    const int before = Forms().size();
    {
        TVetoForm form;
        EXPECT_EQ(Forms().size(), before + 1);
        EXPECT_EQ(Forms().last(), &form);
        form.ShowForm();
        EXPECT_FALSE(form.Close());
        EXPECT_EQ(form.Closed, 0);
        EXPECT_TRUE(form.isVisible());
        form.Allow = true;
        EXPECT_TRUE(form.Close());  // hidden by default, not freed
        EXPECT_EQ(form.Closed, 1);
        EXPECT_FALSE(form.isVisible());

        QWidget page;
        page.resize(400, 300);
        page.show();
        form.SetBounds(0, 0, 120, 80);
        form.ManualDock(&page);
        EXPECT_FALSE(form.Floating());
        EXPECT_EQ(form.parentWidget(), &page);
        EXPECT_TRUE(form.isVisible());
        form.ManualFloat(QRect(100, 100, 300, 300));
        EXPECT_TRUE(form.Floating());
        EXPECT_EQ(form.NormalBounds(), QRect(100, 100, 300, 300));
        form.SetBorderStyle(TForm::bsNone);
        EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    }
    EXPECT_EQ(Forms().size(), before);
}
}  // namespace

#include "BaseFormTests.moc"
