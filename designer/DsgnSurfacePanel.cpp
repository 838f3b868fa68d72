#include "DsgnSurfacePanel.h"

#include "ClassRegistry.h"

#include <QPainter>

WK_REGISTER_CLASS(TFormDesignPanel)

TDPForm::TDPForm(QWidget* panel) : TControl(nullptr) {
    setObjectName(QStringLiteral("DPForm"));
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    SetParentWidget(panel);
}

TCustomFormDesignPanel::TCustomFormDesignPanel(QObject* owner) : TControl(owner) {
    FForm = new TDPForm(this);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(FForm);
    SetBounds(0, 0, 185, 41);
    PlaceForm();
}

TCustomFormDesignPanel::~TCustomFormDesignPanel() { DestroyComponent(); }

void TCustomFormDesignPanel::SetBorderStyle(TBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    PlaceForm();
    update();
}

void TCustomFormDesignPanel::AdjustClientRect(QRect& rect) const {
    if (FBorderStyle == bsSingle) rect.adjust(1, 1, -1, -1);
}

void TCustomFormDesignPanel::PlaceForm() {
    const QRect r = ClientRect();
    FForm->SetBounds(r.x(), r.y(), r.width(), r.height());
}

void TCustomFormDesignPanel::resizeEvent(QResizeEvent* e) {
    TControl::resizeEvent(e);
    PlaceForm();
}

void TCustomFormDesignPanel::paintEvent(QPaintEvent*) {
    if (FBorderStyle != bsSingle) return;
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TCustomFormDesignPanel::FontChanged() { FForm->SetFont(Font()); }

void TCustomFormDesignPanel::ColorChanged() {
    if (FForm) FForm->SetColor(Color());
}

bool TCustomFormDesignPanel::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::CursorChange: FForm->setCursor(cursor()); break;
        case QEvent::LayoutDirectionChange: FForm->setLayoutDirection(layoutDirection()); break;
        case QEvent::ToolTipChange: FForm->SetShowHint(ShowHint()); break;
        default: break;
    }
    return TControl::event(e);
}
