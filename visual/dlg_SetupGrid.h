#pragma once
// The setup of a sensor grid: the panel's settings, font, time or depth
// values, header colours and the grid's options.
#include "dlg_SetupPanel.h"

#pragma GCC visibility push(default)

class TCheckListBox;

// Items of the options list, in order.
enum TSetupGridOption { sgoGridLines, sgoVertical, sgoAccumulate, sgoBoldNames, sgoThemes, sgoColorHeaders, sgoValueColors };

class TdlgSetupGrid : public TdlgSetupPanel {
    Q_OBJECT
public:
    explicit TdlgSetupGrid(QWidget* parent = nullptr);
    QPushButton* f;
    TFontDialog fd;
    QCheckBox* cbTime;
    QPushButton* btnColor1;
    QPushButton* btnColor2;
    TColorDialog cd1;
    TColorDialog cd2;
    TCheckListBox* lvCheckboxes;
};

#pragma GCC visibility pop
