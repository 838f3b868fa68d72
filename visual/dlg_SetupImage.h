#pragma once
// The setup of a picture control: alignment and the picture, chosen from a
// file and shown in a preview.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#include <QByteArray>
#include <QImage>

#pragma GCC visibility push(default)

class QLabel;
class TfrAlign;

class TdlgSetupImage : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupImage(QWidget* parent = nullptr);

    // The picture shown, with the bytes of the file it came from (what the
    // control stores); empty data for a picture set in code.
    void SetPicture(const QImage& picture, const QByteArray& data = {});
    const QImage& Picture() const { return FPicture; }
    const QByteArray& PictureData() const { return FPictureData; }
    // Loads a file into the preview; a file that is not a readable picture is
    // reported and the preview stays as it was. True when loaded.
    bool LoadPicture(const QString& fileName);
    void btnOpenClick();

    TfrAlign* frAlign;
    QLabel* Image;
    QPushButton* btnOpen;
    TOpenPictureDialog od;

private:
    QImage FPicture;
    QByteArray FPictureData;
};

#pragma GCC visibility pop
