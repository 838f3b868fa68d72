#pragma once
// The edit window of the form designer: the design panel and the scroll box
// pnlMain, the form being edited, both filling the window. It is a window of
// its own below the designer's strip, or the lower part of the designer's
// one window where the window system places no windows (fm_DesignMain.h).
#include "Controls.h"

#include <functional>

#pragma GCC visibility push(default)

class TFormDesignPanel;
class TScrollBox;

class TfmDesigned : public TControl {
    Q_OBJECT
public:
    explicit TfmDesigned(QWidget* parent = nullptr);

    TFormDesignPanel* FormDesignPanel;
    TScrollBox* pnlMain;
    // A close request of the window (the user closing it): the designer ends.
    std::function<void()> OnCloseRequest;

protected:
    void closeEvent(QCloseEvent* e) override;
};

#pragma GCC visibility pop
