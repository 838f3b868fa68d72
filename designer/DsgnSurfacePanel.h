#pragma once
// The hosting panel of a design surface whose root is not a window: a
// tab-stop control that holds a borderless form (TDPForm) filling its client
// area. While a designer uses the panel, the root is moved into that form.
#include "Controls.h"

#pragma GCC visibility push(default)

class TCustomFormDesigner;

// The form inside a design panel: a child window without caption or frame.
class TDPForm : public TControl {
    Q_OBJECT
public:
    explicit TDPForm(QWidget* panel);
    bool AcceptsControls() const override { return true; }
};

class TCustomFormDesignPanel : public TControl {
    Q_OBJECT
public:
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    explicit TCustomFormDesignPanel(QObject* owner = nullptr);
    ~TCustomFormDesignPanel() override;

    TDPForm* Form() const { return FForm; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    // The designer that uses the panel (null: free).
    TCustomFormDesigner* Designer() const { return FDesigner; }
    void SetDesigner(TCustomFormDesigner* d) { FDesigner = d; }

protected:
    void AdjustClientRect(QRect& rect) const override;
    void FontChanged() override;
    void ColorChanged() override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;

private:
    void PlaceForm();

    TDPForm* FForm = nullptr;  // a Qt child of the panel, not an owned component: never streamed
    TBorderStyle FBorderStyle = bsSingle;
    TCustomFormDesigner* FDesigner = nullptr;
};

class TFormDesignPanel : public TCustomFormDesignPanel {
    Q_OBJECT
    Q_PROPERTY(TCustomFormDesignPanel::TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
public:
    Q_INVOKABLE explicit TFormDesignPanel(QObject* owner = nullptr) : TCustomFormDesignPanel(owner) {}
};

#pragma GCC visibility pop
