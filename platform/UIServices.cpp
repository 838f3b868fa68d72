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
    bool ColorDialog(TColor&) override { return false; }
    bool FontDialog(QFont&, TColor&) override { return false; }
    bool OpenFileDialog(TFileDialogOptions&) override { return false; }
    bool SaveFileDialog(TFileDialogOptions&) override { return false; }
    IClipboard& Clipboard() override { return FClipboard; }
    int ShowModal(QObject* dialog) override {
        OutputDebugString(QStringLiteral("Dialog not shown without a desktop: ") +
                          QString::fromLatin1(dialog ? dialog->metaObject()->className() : "null"));
        return mrCancel;
    }

private:
    TSilentPlayer FPlayer;
    TMemoryClipboard FClipboard;
};

template <typename T>
bool TakeAnswer(std::deque<T>& answers, T& value) {
    if (answers.empty()) return false;
    value = std::move(answers.front());
    answers.pop_front();
    return true;
}

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

QList<QPair<QString, QString>> SplitFileFilter(const QString& filter) {
    QList<QPair<QString, QString>> pairs;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) pairs.append({parts[i], parts[i + 1]});
    return pairs;
}

QString ApplyDefaultExt(const QString& fileName, const QString& defaultExt) {
    if (fileName.isEmpty() || defaultExt.isEmpty() || !QFileInfo(fileName).suffix().isEmpty()) return fileName;
    QString ext = defaultExt;
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    return fileName + QLatin1Char('.') + ext;
}

QString TMemoryClipboard::AsText() const { return QString::fromUtf8(GetData(QStringLiteral("text/plain"))); }

void TMemoryClipboard::SetAsText(const QString& text) { SetData({{QStringLiteral("text/plain"), text.toUtf8()}}); }

QStringList TMemoryClipboard::Formats() const {
    QStringList list;
    for (const auto& [format, data] : FData) list << format;
    if (!FImage.isNull() && !FData.count(QStringLiteral("image/png"))) list << QStringLiteral("image/png");
    return list;
}

bool TMemoryClipboard::HasFormat(const QString& format) const { return Formats().contains(format); }

QByteArray TMemoryClipboard::GetData(const QString& format) const {
    const auto it = FData.find(format);
    return it == FData.end() ? QByteArray() : it->second;
}

void TMemoryClipboard::SetData(const std::map<QString, QByteArray>& formats) {
    FData = formats;
    FImage = QImage();
}

void TMemoryClipboard::SetImage(const QImage& image) {
    FData.clear();
    FImage = image;
}

void TMemoryClipboard::Clear() {
    FData.clear();
    FImage = QImage();
}

bool TScriptedUIServices::ColorDialog(TColor& color) { return TakeAnswer(ColorAnswers, color); }

bool TScriptedUIServices::FontDialog(QFont& font, TColor& color) {
    std::pair<QFont, TColor> answer;
    if (!TakeAnswer(FontAnswers, answer)) return false;
    font = answer.first;
    color = answer.second;
    return true;
}

bool TScriptedUIServices::OpenFileDialog(TFileDialogOptions& options) {
    FileDialogs.push_back(options);
    QString name;
    if (!TakeAnswer(OpenFileAnswers, name)) return false;
    options.FileName = name;
    return true;
}

bool TScriptedUIServices::SaveFileDialog(TFileDialogOptions& options) {
    FileDialogs.push_back(options);
    QString name;
    if (!TakeAnswer(SaveFileAnswers, name)) return false;
    options.FileName = ApplyDefaultExt(name, options.DefaultExt);
    return true;
}

void TScriptedUIServices::ScriptDialog(const QString& className, TDialogScript script) {
    FScripts[className] = std::move(script);
}

void TScriptedUIServices::ScriptDialogOnce(const QString& className, TDialogScript script) {
    FOnceScripts[className].push_back(std::move(script));
}

int TScriptedUIServices::ShowModal(QObject* dialog) {
    if (!dialog) return mrCancel;
    const QString className = QString::fromLatin1(dialog->metaObject()->className());
    ShownDialogs << className + QStringLiteral(": ") + dialog->property("windowTitle").toString();
    TDialogScript script;
    auto once = FOnceScripts.find(className);
    if (once != FOnceScripts.end() && !once->second.empty()) {
        script = std::move(once->second.front());
        once->second.pop_front();
    } else if (auto it = FScripts.find(className); it != FScripts.end()) {
        script = it->second;
    }
    return script ? script(dialog) : int(mrCancel);
}
