#pragma once
// The old non-visual dialog components: each keeps its value between
// showings and runs the matching dialog of the UI services. A form keeps the
// component, the user's last confirmed choice stays in it.
#include "UIServices.h"

#include <QFont>
#include <QString>

#pragma GCC visibility push(default)

class TFont;

class TFontDialog {
public:
    QFont Font;
    TColor Color = clWindowText;
    // True when confirmed; Font and Color then hold the choice.
    bool Execute() { return UIServices().FontDialog(Font, Color); }
    // The dialog starts from a control's font and gives its choice back to one.
    void TakeFrom(const TFont& font);
    void ApplyTo(TFont& font) const;
};

class TColorDialog {
public:
    TColor Color = clBlack;
    bool Execute() { return UIServices().ColorDialog(Color); }
};

// The picture open dialog: a file that must exist, with the picture types
// the platform reads.
class TOpenPictureDialog {
public:
    TOpenPictureDialog();
    TFileDialogOptions Options;
    QString FileName() const { return Options.FileName; }
    bool Execute() { return UIServices().OpenFileDialog(Options); }
};

#pragma GCC visibility pop
