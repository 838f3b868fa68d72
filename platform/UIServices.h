#pragma once
// The seam between the system and the user's desktop: message boxes, input,
// sound. The program installs the Qt implementation; tests install a scripted one.
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>

// Buttons and results of message boxes, with the old numbers.
enum TMsgDlgBtn { mbOK = 1, mbCancel = 2, mbYes = 4, mbNo = 8, mbAbort = 16, mbRetry = 32, mbIgnore = 64 };
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

class ISoundPlayer {
public:
    virtual ~ISoundPlayer() = default;
    // Plays a WAV file asynchronously. With noInterrupt a playing sound is kept
    // and the call returns without playing; otherwise the playing sound is cut off.
    // A missing file or no audio device is silence, never a failure.
    virtual void Play(const QString& fileName, bool noInterrupt) = 0;
    virtual bool IsPlaying() const = 0;
};

class IUIServices {
public:
    virtual ~IUIServices() = default;
    // Returns a TModalResult; buttons is a set of TMsgDlgBtn.
    virtual int MessageDlg(const QString& text, TMsgDlgType type, int buttons) = 0;
    // Asks for one line of text; false when cancelled.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
    virtual ISoundPlayer& Sound() = 0;
};

// The services in use. Without an installed implementation a headless one
// answers: messages go to the debug output, dialogs are cancelled, no sound.
IUIServices& UIServices();
// Installs an implementation; returns the previous one (null for the default).
std::shared_ptr<IUIServices> SetUIServices(std::shared_ptr<IUIServices> services);

void ShowMessage(const QString& text);
int MessageDlg(const QString& text, TMsgDlgType type, int buttons);

// The sound player of Qt Multimedia (QSoundEffect).
std::unique_ptr<ISoundPlayer> CreateQtSoundPlayer();

// A scripted double for tests: records what was asked and answers from queues.
class TScriptedSoundPlayer : public ISoundPlayer {
public:
    void Play(const QString& fileName, bool noInterrupt) override;
    bool IsPlaying() const override { return Busy; }
    QStringList Played;  // files actually started
    bool Busy = false;   // pretend a sound is playing
};

class TScriptedUIServices : public IUIServices {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, int buttons) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    ISoundPlayer& Sound() override { return Player; }

    QStringList Messages;               // texts of every message box
    std::deque<int> MessageResults;     // next answers; mrOk when empty
    std::deque<QString> InputAnswers;   // next inputs; cancelled when empty
    QStringList Prompts;
    TScriptedSoundPlayer Player;
};
