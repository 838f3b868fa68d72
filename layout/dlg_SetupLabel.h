#pragma once
// The label dialog ("Настройка надписи"): text with a sample in the chosen
// font, position and angle, and whether the label may be set up outside the
// designer and repeats on every page. The label fills it and takes the values
// back (TPrintLabel::BeforeSetup / AfterSetup); its font is remembered as the
// font of the next label placed.
#include "CommonDialogs.h"
#include "Graphics.h"
#include "dlg_Common.h"

#pragma GCC visibility push(default)

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace Plotmere {

class TPrintLabel;
class TRenderDevice;

class TdlgSetupLabel : public TLayoutSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupLabel(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    // The sample's font: what "Шрифт..." starts from and what the label takes.
    const TFont& SampleFont() const { return FSampleFont; }
    void SetSampleFont(const TFont& font);
    // The absolute position in millimetres.
    int PosX() const;
    int PosY() const;
    void SetPosition(int x, int y);
    int Angle() const;
    void SetAngle(int angle);
    void SetPositionVisible(bool visible);

    QPlainTextEdit* meText;
    QLabel* lbSample;
    QPushButton* btnFont;
    QGroupBox* gbPosition;
    QLineEdit* edX;
    QLineEdit* edY;
    QComboBox* cbAngle;
    QCheckBox* cbEnableSetup;
    QCheckBox* cbEveryPage;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void Validate() override;
    // Shows text in the sample, in the sample's font.
    void ShowSample(const QString& text);
    // Where derived dialogs put their own controls, above the buttons.
    QVBoxLayout* Extras() const { return FExtras; }

private:
    TFont FSampleFont;
    TFontDialog FFontDialog;
    QVBoxLayout* FExtras;
};

// Fills the dialog from the label, shows it, and on OK gives the values back
// to the label; true on OK.
bool RunLabelSetup(TPrintLabel& label, TdlgSetupLabel& dialog, TRenderDevice* device);

}  // namespace Plotmere

#pragma GCC visibility pop
