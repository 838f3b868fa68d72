#pragma once
// The seam between the system and the user's desktop: message boxes, input,
// colour, font and file dialogs, the clipboard, the system's own modal dialogs,
// sound. The program installs the Qt implementation; tests install a scripted one.
#include "Graphics.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

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

// What an open or save dialog is asked; FileName is the initial name and,
// after a confirmed dialog, the chosen one.
struct TFileDialogOptions {
    QString Title;
    // Old-style filter: pairs of description and patterns separated by '|'
    // ("Формы (*.sf2)|*.sf2|Все файлы (*.*)|*.*").
    QString Filter;
    int FilterIndex = 1;     // 1-based, as the old dialogs count
    QString DefaultExt;      // added (without its dot) when the name has none
    QString InitialDir;
    QString FileName;
    bool MustExist = true;        // open: the file must exist
    bool OverwritePrompt = true;  // save: ask before replacing a file
    bool Picture = false;         // open: a picture, with a preview where the desktop has one
};

// The system clipboard. Formats are MIME types ("text/plain", "image/png") or
// the names of the system's private formats, which the desktop implementation
// keeps under "application/x-wk-<name>".
class IClipboard {
public:
    virtual ~IClipboard() = default;
    virtual QString AsText() const = 0;
    virtual void SetAsText(const QString& text) = 0;
    virtual QStringList Formats() const = 0;
    virtual bool HasFormat(const QString& format) const = 0;
    virtual QByteArray GetData(const QString& format) const = 0;
    // Puts several formats at once, replacing what the clipboard held.
    virtual void SetData(const std::map<QString, QByteArray>& formats) = 0;
    virtual QImage GetImage() const = 0;
    virtual void SetImage(const QImage& image) = 0;
    virtual void Clear() = 0;
};

class IUIServices {
public:
    virtual ~IUIServices() = default;
    // Returns a TModalResult; buttons is a set of TMsgDlgBtn.
    virtual int MessageDlg(const QString& text, TMsgDlgType type, int buttons) = 0;
    // Asks for one line of text; false when cancelled.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
    virtual ISoundPlayer& Sound() = 0;
    // Colour and font choice; false (value unchanged) when cancelled.
    virtual bool ColorDialog(TColor& color) = 0;
    virtual bool FontDialog(QFont& font, TColor& color) = 0;
    virtual bool OpenFileDialog(TFileDialogOptions& options) = 0;
    virtual bool SaveFileDialog(TFileDialogOptions& options) = 0;
    virtual IClipboard& Clipboard() = 0;
    // Runs one of the system's own dialogs (a QDialog) modally and returns its
    // TModalResult. Use ShowModal of platform/widgets/ModalDialogs.h.
    virtual int ShowModal(QObject* dialog) = 0;
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

// The old filter text split into its (description, patterns) pairs.
QList<QPair<QString, QString>> SplitFileFilter(const QString& filter);
// The name with DefaultExt added when it has no extension.
QString ApplyDefaultExt(const QString& fileName, const QString& defaultExt);

// A clipboard in memory: the scripted one, and the headless default.
class TMemoryClipboard : public IClipboard {
public:
    QString AsText() const override;
    void SetAsText(const QString& text) override;
    QStringList Formats() const override;
    bool HasFormat(const QString& format) const override;
    QByteArray GetData(const QString& format) const override;
    void SetData(const std::map<QString, QByteArray>& formats) override;
    QImage GetImage() const override { return FImage; }
    void SetImage(const QImage& image) override;
    void Clear() override;

private:
    std::map<QString, QByteArray> FData;
    QImage FImage;
};

// A scripted double for tests: records what was asked and answers from queues.
class TScriptedSoundPlayer : public ISoundPlayer {
public:
    void Play(const QString& fileName, bool noInterrupt) override;
    bool IsPlaying() const override { return Busy; }
    QStringList Played;  // files actually started
    bool Busy = false;   // pretend a sound is playing
};

// Dialogs of the system are scripted per class: the script gets the dialog
// (cast it to its class), fills it and presses its buttons as a user would,
// and returns the modal result (DialogResult of platform/widgets/ModalDialogs.h
// reads the one the dialog set). A dialog without a script is cancelled.
class TScriptedUIServices : public IUIServices {
public:
    using TDialogScript = std::function<int(QObject* dialog)>;

    int MessageDlg(const QString& text, TMsgDlgType type, int buttons) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    ISoundPlayer& Sound() override { return Player; }
    bool ColorDialog(TColor& color) override;
    bool FontDialog(QFont& font, TColor& color) override;
    bool OpenFileDialog(TFileDialogOptions& options) override;
    bool SaveFileDialog(TFileDialogOptions& options) override;
    IClipboard& Clipboard() override { return ClipboardData; }
    int ShowModal(QObject* dialog) override;

    // Registers the script for a dialog class (its C++ class name, e.g.
    // "TdlgSelectParam"). Once: the script stays for every showing.
    void ScriptDialog(const QString& className, TDialogScript script);
    // Runs the script for the next showing of that class only, before the
    // registered one.
    void ScriptDialogOnce(const QString& className, TDialogScript script);

    QStringList Messages;               // texts of every message box
    std::deque<int> MessageResults;     // next answers; mrOk when empty
    std::deque<QString> InputAnswers;   // next inputs; cancelled when empty
    QStringList Prompts;
    TScriptedSoundPlayer Player;

    std::deque<TColor> ColorAnswers;                  // cancelled when empty
    std::deque<std::pair<QFont, TColor>> FontAnswers;  // cancelled when empty
    std::deque<QString> OpenFileAnswers;              // cancelled when empty
    std::deque<QString> SaveFileAnswers;              // cancelled when empty
    std::vector<TFileDialogOptions> FileDialogs;      // every file dialog asked, in order
    TMemoryClipboard ClipboardData;
    // Every dialog shown: "<class>: <window title>".
    QStringList ShownDialogs;

private:
    std::map<QString, TDialogScript> FScripts;
    std::map<QString, std::deque<TDialogScript>> FOnceScripts;
};

#pragma GCC visibility pop
