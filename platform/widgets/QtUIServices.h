#pragma once
// The desktop implementation of the UI services: Qt dialogs and Qt Multimedia.
#include "UIServices.h"

#include <memory>

#pragma GCC visibility push(default)

class TQtUIServices : public IUIServices {
public:
    TQtUIServices();
    int MessageDlg(const QString& text, TMsgDlgType type, int buttons) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    ISoundPlayer& Sound() override { return *FPlayer; }
    bool ColorDialog(TColor& color) override;
    bool FontDialog(QFont& font, TColor& color) override;
    bool OpenFileDialog(TFileDialogOptions& options) override;
    bool SaveFileDialog(TFileDialogOptions& options) override;
    IClipboard& Clipboard() override { return *FClipboard; }
    int ShowModal(QObject* dialog) override;

private:
    std::unique_ptr<ISoundPlayer> FPlayer;
    std::unique_ptr<IClipboard> FClipboard;
};

// The desktop clipboard (QClipboard); private formats travel as
// "application/x-wk-<name>".
std::unique_ptr<IClipboard> CreateQtClipboard();

// Loads Qt's own Russian translations (the file dialogs, the standard
// buttons) into the application, once.
void InstallQtTranslations();
// Installs Qt's translations and TQtUIServices as the program's UI services.
void InstallQtUIServices();

#pragma GCC visibility pop
