#pragma once
// The desktop implementation of the UI services: Qt dialogs and Qt Multimedia.
#include "UIServices.h"

#include <memory>

class TQtUIServices : public IUIServices {
public:
    TQtUIServices();
    int MessageDlg(const QString& text, TMsgDlgType type, int buttons) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    ISoundPlayer& Sound() override { return *FPlayer; }

private:
    std::unique_ptr<ISoundPlayer> FPlayer;
};

// Installs TQtUIServices as the program's UI services.
void InstallQtUIServices();
