#pragma once
// Menus of forms and controls.
#include "Components.h"

#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>

#pragma GCC visibility push(default)

// A context menu component. Controls name it in their PopupMenu property; the
// control that opens it is recorded as PopupComponent and the screen point as
// PopupPoint, so that the menu's commands know what they were asked about.
class TPopupMenu : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool AutoPopup READ AutoPopup WRITE SetAutoPopup)
public:
    Q_INVOKABLE explicit TPopupMenu(QObject* owner = nullptr);
    ~TPopupMenu() override;

    // The Qt menu that holds the commands; owned.
    QMenu* Menu() const { return FMenu.get(); }
    // The first command when it is the menu's default command, else null.
    QAction* DefaultItem() const;

    // Opens the menu at a screen point for Component: records both, calls
    // OnPopup, then shows the menu without waiting for a choice.
    void Popup(QObject* Component, const QPoint& ScreenPoint);
    QObject* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(QObject* Value) { FPopupComponent = Value; }
    QPoint PopupPoint() const { return FPopupPoint; }
    // Controls open the menu on a right click only while this is set.
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }

    // Called before the menu shows (commands may be enabled or hidden here).
    std::function<void(TPopupMenu*)> OnPopup;
    // Replaces showing the Qt menu; tests observe a popup with it.
    std::function<void(TPopupMenu*)> ShowHandler;

private:
    std::unique_ptr<QMenu> FMenu;
    QPointer<QObject> FPopupComponent;
    QPoint FPopupPoint;
    bool FAutoPopup = true;
};

#pragma GCC visibility pop
