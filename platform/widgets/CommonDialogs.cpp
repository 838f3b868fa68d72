#include "CommonDialogs.h"

#include "Graphics.h"

TOpenPictureDialog::TOpenPictureDialog() {
    Options.Filter = QStringLiteral(
        "Все изображения (*.bmp;*.png;*.jpg;*.jpeg;*.ico)|*.bmp;*.png;*.jpg;*.jpeg;*.ico|"
        "Точечные рисунки (*.bmp)|*.bmp|PNG (*.png)|*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|Значки (*.ico)|*.ico");
    Options.MustExist = true;
    Options.Picture = true;
}

void TFontDialog::TakeFrom(const TFont& font) {
    Font = font.ToQFont();
    Color = font.Color();
}

void TFontDialog::ApplyTo(TFont& font) const {
    TFont chosen;
    chosen.SetName(Font.family());
    chosen.SetHeight(-(Font.pixelSize() > 0 ? Font.pixelSize() : Font.pointSize() * TFont::PixelsPerInch / 72));
    TFont::TFontStyles style;
    if (Font.bold()) style |= TFont::fsBold;
    if (Font.italic()) style |= TFont::fsItalic;
    if (Font.underline()) style |= TFont::fsUnderline;
    if (Font.strikeOut()) style |= TFont::fsStrikeOut;
    chosen.SetStyle(style);
    chosen.SetPitch(font.Pitch());
    chosen.SetCharset(font.Charset());
    chosen.SetColor(Color);
    font.Assign(&chosen);
}
