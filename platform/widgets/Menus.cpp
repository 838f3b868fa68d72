#include "Menus.h"

#include "ClassRegistry.h"

TPopupMenu::TPopupMenu(QObject* owner) : TComponent(owner), FMenu(std::make_unique<QMenu>()) {}

TPopupMenu::~TPopupMenu() = default;

QAction* TPopupMenu::DefaultItem() const {
    const QList<QAction*> items = FMenu->actions();
    if (items.isEmpty() || !FMenu->defaultAction() || items.first() != FMenu->defaultAction()) return nullptr;
    return FMenu->defaultAction();
}

void TPopupMenu::Popup(QObject* Component, const QPoint& ScreenPoint) {
    FPopupComponent = Component;
    FPopupPoint = ScreenPoint;
    if (OnPopup) OnPopup(this);
    if (ShowHandler) ShowHandler(this);
    else FMenu->popup(ScreenPoint);
}

WK_REGISTER_CLASS(TPopupMenu)
