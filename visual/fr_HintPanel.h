#pragma once
// The hint panel of user forms: the newest hint of the suite's hint list with
// its class sign, caption and message, buttons to step through the list, to
// hide the panel and to open the list dialog. It follows the list through the
// "hints changed" message.
#include "Controls.h"
#include "TreeView.h"
#include "WKControlDesign.h"

#pragma GCC visibility push(default)

class QLabel;
class QPlainTextEdit;
class QToolButton;

class TfrHintPanel : public TControl, public IControlDesign {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
public:
    Q_INVOKABLE explicit TfrHintPanel(QObject* owner = nullptr);

    // Alignment only, through the splitter setup dialog.
    void Setup() override;
    // Message 1334: the newest hint, or an empty text without hints.
    void OnHintShow();
    // Visible exactly while the list holds hints; the step buttons follow the index.
    void UpdateButtons();
    // Shows hint FHintIndex; a hint deleted meanwhile leaves the panel as it was.
    void ShowCurrentMessage();
    void Loaded() override;

    int HintIndex() const { return FHintIndex; }
    // The image shown for the current hint class (index into both image lists).
    int ImageIndex() const { return FImageIndex; }

    QPlainTextEdit* lblHint;
    QWidget* pt;
    QLabel* imBkg1;
    QLabel* imSign;
    QLabel* lblCaption;
    QWidget* pr;
    QLabel* imBkg2;
    QToolButton* tbClose;
    QToolButton* tbNextHint;
    QToolButton* tbPrevHint;
    QToolButton* sbList;
    TPictureList ilSigns;
    TPictureList ilBkg;

protected:
    bool WKMessage(TWKMessage& msg) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void tbPrevHintClick();
    void tbNextHintClick();
    void tbCloseClick();
    void sbListClick();
    void lblCaptionClick();
    void SetImages(int index);
    void SetCaptionLink(bool link);

    int FHintIndex = 0;
    int FImageIndex = 0;
};

// Hands message 1334 to the main window's controls and to every floating
// form, so that panels on forms out of the main window follow the list too.
void BroadcastHintsChanged();

#pragma GCC visibility pop
