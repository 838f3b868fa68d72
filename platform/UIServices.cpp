#include "UIServices.h"

#include "DebugOutput.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>
#include <mutex>

namespace {
class TSilentPlayer : public ISoundPlayer {
public:
    void Play(const QString&, bool) override {}
    bool IsPlaying() const override { return false; }
};

class THeadlessUIServices : public IUIServices {
public:
    int MessageDlg(const QString& text, TMsgDlgType, int buttons) override {
        OutputDebugString(QStringLiteral("Message: ") + text);
        if (buttons & mbOK) return mrOk;
        if (buttons & mbCancel) return mrCancel;
        if (buttons & mbNo) return mrNo;
        return mrNone;
    }
    bool InputQuery(const QString&, const QString&, QString&) override { return false; }
    ISoundPlayer& Sound() override { return FPlayer; }

private:
    TSilentPlayer FPlayer;
};

std::mutex& ServicesLock() {
    static std::mutex m;
    return m;
}
std::shared_ptr<IUIServices>& Installed() {
    static std::shared_ptr<IUIServices> s;
    return s;
}

class TQtSoundPlayer : public ISoundPlayer {
public:
    void Play(const QString& fileName, bool noInterrupt) override {
        if (noInterrupt && IsPlaying()) return;
        if (!QFileInfo::exists(fileName)) return;
        if (!FEffect) FEffect = std::make_unique<QSoundEffect>();
        FEffect->stop();
        FEffect->setSource(QUrl::fromLocalFile(fileName));
        FEffect->play();
    }
    bool IsPlaying() const override { return FEffect && FEffect->isPlaying(); }

private:
    std::unique_ptr<QSoundEffect> FEffect;
};
}  // namespace

IUIServices& UIServices() {
    static THeadlessUIServices headless;
    std::lock_guard lock(ServicesLock());
    return Installed() ? *Installed() : static_cast<IUIServices&>(headless);
}

std::shared_ptr<IUIServices> SetUIServices(std::shared_ptr<IUIServices> services) {
    std::lock_guard lock(ServicesLock());
    auto previous = Installed();
    Installed() = std::move(services);
    return previous;
}

void ShowMessage(const QString& text) { UIServices().MessageDlg(text, mtCustom, mbOK); }
int MessageDlg(const QString& text, TMsgDlgType type, int buttons) {
    return UIServices().MessageDlg(text, type, buttons);
}

std::unique_ptr<ISoundPlayer> CreateQtSoundPlayer() { return std::make_unique<TQtSoundPlayer>(); }

void TScriptedSoundPlayer::Play(const QString& fileName, bool noInterrupt) {
    if (noInterrupt && Busy) return;
    Played << fileName;
}

int TScriptedUIServices::MessageDlg(const QString& text, TMsgDlgType, int) {
    Messages << text;
    if (MessageResults.empty()) return mrOk;
    const int r = MessageResults.front();
    MessageResults.pop_front();
    return r;
}

bool TScriptedUIServices::InputQuery(const QString& caption, const QString& prompt, QString& value) {
    Prompts << caption + QStringLiteral(": ") + prompt;
    if (InputAnswers.empty()) return false;
    value = InputAnswers.front();
    InputAnswers.pop_front();
    return true;
}
