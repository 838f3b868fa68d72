#include "fr_HintPanel.h"

#include "ClassRegistry.h"
#include "Forms.h"
#include "ModalDialogs.h"
#include "WKHints.h"
#include "dlg_SetupSplitter.h"
#include "dlg_WKHintsList.h"
#include "fr_Align.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Caption colours by hint class ($00BBGGRR).
constexpr int CaptionColors[] = {0xD17070, 0x0B51B9, 0x00FFFF};
constexpr int StripHeight = 22;

QColor ClassColor(int index) { return ColorToQColor(TColor(CaptionColors[index])); }

// The sign of a hint class: a disc with "i", "!" or "×".
QPixmap SignImage(int index) {
    static const QColor discs[] = {QColor(0x2F, 0x6F, 0xD0), QColor(0xE0, 0x90, 0x10), QColor(0xD0, 0x20, 0x20)};
    static const QString marks[] = {QStringLiteral("i"), QStringLiteral("!"), QStringLiteral("×")};
    QPixmap pm(16, 16);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(discs[index]);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setPen(Qt::white);
    QFont f(QStringLiteral("Tahoma"), 8, QFont::Bold);
    p.setFont(f);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, marks[index]);
    return pm;
}

// The strip background of a hint class: a dark gradient the caption colour reads on.
QPixmap BackgroundImage(int index) {
    static const QColor tops[] = {QColor(0x30, 0x30, 0x48), QColor(0x40, 0x30, 0x20), QColor(0x60, 0x10, 0x10)};
    QPixmap pm(64, StripHeight);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, StripHeight);
    g.setColorAt(0, tops[index].lighter(160));
    g.setColorAt(1, tops[index]);
    p.fillRect(pm.rect(), g);
    return pm;
}

// A strip whose background picture fills it behind its children.
class TBackgroundStrip : public QWidget {
public:
    TBackgroundStrip(QWidget* parent, QLabel*& background) : QWidget(parent) {
        background = FBackground = new QLabel(this);
        FBackground->setScaledContents(true);
        FBackground->lower();
    }

protected:
    void resizeEvent(QResizeEvent* e) override {
        FBackground->setGeometry(rect());
        QWidget::resizeEvent(e);
    }

private:
    QLabel* FBackground;
};

QToolButton* FlatButton(QWidget* parent, const QString& text, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFixedSize(StripHeight - 2, StripHeight - 2);
    return b;
}

// The splitter setup dialog with the panel's caption and no beveled box.
class TdlgSetupHintPanel : public TdlgSetupSplitter {
public:
    TdlgSetupHintPanel() : TdlgSetupSplitter(QStringLiteral("Настройка панели подсказок"), nullptr) {
        cbBeveled->hide();
    }
};

}  // namespace

void BroadcastHintsChanged() {
    QObject* main = MainWindow();
    if (main) BroadcastWKMessage(main, WM_HINTSCHANGED);
    // Floating forms are windows of their own, out of the main window's tree.
    for (TForm* form : Forms()) {
        if (!form->isWindow() || form == main) continue;
        BroadcastWKMessage(form, WM_HINTSCHANGED);
    }
}

TfrHintPanel::TfrHintPanel(QObject* owner) : TControl(owner) {
    static const bool hooked = [] {
        Hints().SetBroadcaster(BroadcastHintsChanged);
        return true;
    }();
    Q_UNUSED(hooked);
    for (int i = 0; i < 3; ++i) {
        ilSigns.Add(SignImage(i));
        ilBkg.Add(BackgroundImage(i));
    }

    pt = new TBackgroundStrip(this, imBkg1);
    pt->setFixedHeight(StripHeight);
    imSign = new QLabel(pt);
    imSign->setFixedSize(16, 16);
    lblCaption = new QLabel(QStringLiteral("Информация"), pt);
    lblCaption->setFont(QFont(QStringLiteral("Tahoma"), 8, QFont::Bold));
    lblCaption->setAttribute(Qt::WA_TranslucentBackground);
    lblCaption->installEventFilter(this);
    pr = new TBackgroundStrip(pt, imBkg2);
    tbPrevHint = FlatButton(pr, QStringLiteral("◀"), QStringLiteral("Предыдущее сообщение"));
    tbNextHint = FlatButton(pr, QStringLiteral("▶"), QStringLiteral("Следующее сообщение"));
    sbList = FlatButton(pr, QStringLiteral("≡"), QStringLiteral("Список сообщений"));
    tbClose = FlatButton(pr, QStringLiteral("×"), QStringLiteral("Скрыть панель сообщений"));
    auto* right = new QHBoxLayout(pr);
    right->setContentsMargins(2, 1, 2, 1);
    right->setSpacing(1);
    for (QToolButton* b : {tbPrevHint, tbNextHint, sbList, tbClose}) right->addWidget(b);
    auto* strip = new QHBoxLayout(pt);
    strip->setContentsMargins(4, 0, 0, 0);
    strip->addWidget(imSign);
    strip->addWidget(lblCaption, 1);
    strip->addWidget(pr);

    lblHint = new QPlainTextEdit(this);
    lblHint->setReadOnly(true);
    lblHint->setFrameShape(QFrame::NoFrame);
    lblHint->setFont(QFont(QStringLiteral("Arial"), 9, QFont::Bold));
    QPalette pal = lblHint->palette();
    pal.setColor(QPalette::Base, Qt::white);
    lblHint->setPalette(pal);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pt);
    layout->addWidget(lblHint, 1);
    // The panel paints all of itself; its background is never erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);

    connect(tbPrevHint, &QToolButton::clicked, this, &TfrHintPanel::tbPrevHintClick);
    connect(tbNextHint, &QToolButton::clicked, this, &TfrHintPanel::tbNextHintClick);
    connect(tbClose, &QToolButton::clicked, this, &TfrHintPanel::tbCloseClick);
    connect(sbList, &QToolButton::clicked, this, &TfrHintPanel::sbListClick);

    SetBounds(0, 0, 320, 80);
    SetAlign(alBottom);
    SetImages(0);
    UpdateButtons();
    if (Hints().GetCount() > 0) OnHintShow();
}

void TfrHintPanel::Loaded() {
    TControl::Loaded();
    if (Hints().GetCount() > 0) {
        FHintIndex = std::min(FHintIndex, Hints().GetCount() - 1);
        ShowCurrentMessage();
    }
    UpdateButtons();
}

bool TfrHintPanel::WKMessage(TWKMessage& msg) {
    if (msg.Msg() != WM_HINTSCHANGED) return TControl::WKMessage(msg);
    OnHintShow();
    msg.Handled = true;
    return true;
}

void TfrHintPanel::OnHintShow() {
    const int count = Hints().GetCount();
    if (count == 0) {
        lblHint->clear();
    } else {
        FHintIndex = count - 1;
        ShowCurrentMessage();
    }
    UpdateButtons();
}

void TfrHintPanel::UpdateButtons() {
    const int count = Hints().GetCount();
    SetVisible(count > 0);
    if (count > 0) {
        tbPrevHint->setVisible(FHintIndex > 0);
        tbNextHint->setVisible(FHintIndex < count - 1);
        return;
    }
    tbPrevHint->setVisible(false);
    tbNextHint->setVisible(false);
    lblCaption->setText(QStringLiteral("Нет подсказок"));
    lblHint->clear();
    FHintIndex = 0;
    SetImages(0);
}

void TfrHintPanel::ShowCurrentMessage() {
    TWKHintList& list = Hints();
    const int count = list.GetCount();
    if (count == 0) return;
    TWKHint hint;
    try {
        hint = list.GetHint(FHintIndex);
    } catch (const std::exception&) {
        // Deleted by another thread since the count was read: the next 1334 shows the list as it is.
        return;
    }
    lblHint->setPlainText(hint.Message);
    lblCaption->setText(hint.Caption + QStringLiteral(" (") + QString::number(FHintIndex + 1) +
                        QStringLiteral(" из ") + QString::number(count) + QStringLiteral(", ") +
                        DateTimeToStr(hint.DateTime) + QLatin1Char(')'));
    const int index = std::clamp(int(hint.HintClass), 0, 2);
    QPalette pal = lblCaption->palette();
    pal.setColor(QPalette::WindowText, ClassColor(index));
    lblCaption->setPalette(pal);
    SetImages(index);
}

void TfrHintPanel::SetImages(int index) {
    FImageIndex = index;
    imSign->clear();
    imBkg1->clear();
    imBkg2->clear();
    imSign->setPixmap(ilSigns.Image(index));
    imBkg1->setPixmap(ilBkg.Image(index));
    imBkg2->setPixmap(ilBkg.Image(index));
    pt->update();
}

void TfrHintPanel::tbPrevHintClick() {
    if (FHintIndex <= 0) return;
    --FHintIndex;
    ShowCurrentMessage();
    UpdateButtons();
}

void TfrHintPanel::tbNextHintClick() {
    if (FHintIndex >= Hints().GetCount() - 1) return;
    ++FHintIndex;
    ShowCurrentMessage();
    UpdateButtons();
}

void TfrHintPanel::tbCloseClick() { SetVisible(false); }

void TfrHintPanel::sbListClick() {
    TdlgWKHintsList dlg;
    ShowModal(dlg);
}

void TfrHintPanel::lblCaptionClick() { Hints().CallEvent(FHintIndex); }

void TfrHintPanel::SetCaptionLink(bool link) {
    QFont f = lblCaption->font();
    f.setBold(true);
    f.setUnderline(link);
    lblCaption->setFont(f);
    if (link)
        lblCaption->setCursor(Qt::PointingHandCursor);
    else
        lblCaption->unsetCursor();
}

bool TfrHintPanel::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lblCaption) {
        switch (e->type()) {
        case QEvent::Enter: {
            bool hasAction = false;
            try {
                hasAction = Hints().GetCount() > 0 && bool(Hints().GetHint(FHintIndex).Event);
            } catch (const std::exception&) {
            }
            if (hasAction) SetCaptionLink(true);
            break;
        }
        case QEvent::Leave:
            SetCaptionLink(false);
            break;
        case QEvent::MouseButtonRelease:
            lblCaptionClick();
            break;
        default:
            break;
        }
    }
    return TControl::eventFilter(watched, e);
}

void TfrHintPanel::Setup() {
    TdlgSetupHintPanel dlg;
    dlg.frAlign->SetCtlAlign(Align());
    if (ShowModal(dlg) != mrOk) return;
    SetAlign(dlg.frAlign->GetCtlAlign());
}

WK_REGISTER_CLASS(TfrHintPanel)
