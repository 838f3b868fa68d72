#pragma once
// The settings frame of the dial gauge's setup: style, animation, read-out,
// value format, scale range and fonts, caption and the two coloured sectors.
#include "CommonDialogs.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class TNumField;
class TRadioGroup;
class TSmoothDial;

class TfrExtGaugeSetup : public QWidget {
    Q_OBJECT
public:
    explicit TfrExtGaugeSetup(QWidget* parent = nullptr);

    // The names of the style list: "По умолчанию", then the 24 colour styles.
    static QStringList StyleNames();

    // Fills the frame from the dial (which has at least two sections).
    void AssignFrom(const TSmoothDial& gauge);
    // Raises with the user's message when the entries cannot be applied: a
    // field that is not a number, or a maximum not above the minimum.
    void Check() const;
    // Check, then the entries into the dial; nothing changes when Check raises.
    void AssignToGauge(TSmoothDial& gauge) const;

    QComboBox* cbStyle;
    QCheckBox* cbAnimation;
    QCheckBox* cbVisibleDigit;
    QLineEdit* leFormat;
    QPushButton* btnScaleFont;
    TNumField* neMin;
    TNumField* neMax;
    QLineEdit* leName;
    QPushButton* btnNameFont;
    TNumField* neS1Min;
    TNumField* neS1Max;
    QPushButton* btnS1Font;
    TRadioGroup* rgS1Type;
    TNumField* neS2Min;
    TNumField* neS2Max;
    QPushButton* btnS2Color;
    TRadioGroup* rgS2Type;

    TFontDialog fdScale;
    TFontDialog fdName;
    TColorDialog cdSector1;
    TColorDialog cdSector2;
};
