#pragma once
// The page control of user forms: it reopens on the page that was active
// when the form was saved, and its pages are edited in its property dialog.
#include "ComCtrls.h"
#include "WKControlDesign.h"

#pragma GCC visibility push(default)

class TWKPageControl : public TPageControl, public IControlDesign {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
    Q_PROPERTY(int ActivePageI READ ActivePageI WRITE SetActivePageI)
    Q_CLASSINFO("AlwaysStored", "ActivePageI")
public:
    Q_INVOKABLE explicit TWKPageControl(QObject* owner = nullptr) : TPageControl(owner) {}

    int ActivePageI() const { return ActivePageIndex(); }
    // Only stored; Loaded makes it the active page.
    void SetActivePageI(int v) { FActiveIndex = v; }
    void Loaded() override;
    // Font, alignment, tab position and the pages. Pages added here belong
    // to the form, so that they are saved with it.
    void Setup() override;

private:
    int FActiveIndex = 0;
};

#pragma GCC visibility pop
