#pragma once
// The picture dialog ("Настройка изображения"): a preview, loading a picture
// file (its size proposed in millimetres), saving the picture as a file of
// its kind, and the rectangle in millimetres. OK needs a picture.
#include "CommonDialogs.h"
#include "Pictures.h"
#include "dlg_Common.h"

#pragma GCC visibility push(default)

class QLabel;
class QLineEdit;
class QPushButton;

namespace Plotmere {

class TdlgSetupPicture : public TLayoutSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupPicture(QWidget* parent = nullptr);

    // bounds: left, top, width and height in millimetres. Track pictures
    // have no top of their own: showTop hides it.
    void Fill(const TPicture& picture, const QRect& bounds, bool showTop = true);
    const TPicture& Picture() const { return FPicture; }
    // The rectangle entered; raises EConvertError for a value that is not an integer.
    QRect Bounds() const;

    QLabel* imgPreview;
    QPushButton* btnOpen;
    QPushButton* btnSave;
    QLineEdit* edLeft;
    QLabel* lbTop;
    QLineEdit* edTop;
    QLineEdit* edWidth;
    QLineEdit* edHeight;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void Validate() override;

private:
    void ShowPicture();
    void OpenPicture();
    void SavePicture();

    TPicture FPicture;
    TOpenPictureDialog FOpenDialog;
};

}  // namespace Plotmere

#pragma GCC visibility pop
