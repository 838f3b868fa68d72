#include "CommonDialogs.h"

TOpenPictureDialog::TOpenPictureDialog() {
    Options.Filter = QStringLiteral(
        "Все изображения (*.bmp;*.png;*.jpg;*.jpeg;*.ico)|*.bmp;*.png;*.jpg;*.jpeg;*.ico|"
        "Точечные рисунки (*.bmp)|*.bmp|PNG (*.png)|*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|Значки (*.ico)|*.ico");
    Options.MustExist = true;
    Options.Picture = true;
}
