#pragma once
// What plug-ins need of the program's main window: a top-level menu found by
// its caption or position, the main toolbar, the images of the menu items and
// the window that parents their dialogs. The program installs its host;
// without one, plug-ins add no menu items or tool buttons.
#include "TreeView.h"

#include <QPointer>
#include <QString>

#pragma GCC visibility push(default)

class QMainWindow;
class QMenu;
class QToolBar;
class QWidget;

class IWKMainWindowHost {
public:
    virtual ~IWKMainWindowHost() = default;
    // The top-level menu with that caption (accelerator marks and letter case
    // ignored); null when there is none.
    virtual QMenu* FindTopMenu(const QString& Caption) = 0;
    virtual QWidget* MainWindow() = 0;
    // The top-level menu at that position (0 = the first); null when there is none.
    virtual QMenu* TopMenu(int Index);
    // The main toolbar; null when the window has none.
    virtual QToolBar* ToolBar();
    // The image list of the main menu's items, to which plug-ins add theirs;
    // null when the host keeps none.
    virtual TPictureList* MenuImages();
};

// The installed host, or null.
IWKMainWindowHost* MainWindowHost();
// Installs a host (null removes it); returns the previous one. Not owned.
IWKMainWindowHost* SetMainWindowHost(IWKMainWindowHost* Host);

// Captions compared as menus compare them: '&' marks and letter case ignored.
bool SameMenuCaption(const QString& A, const QString& B);

// A host over a QMainWindow and its menu bar.
class TMainWindowMenuHost : public IWKMainWindowHost {
public:
    explicit TMainWindowMenuHost(QMainWindow* Window);
    QMenu* FindTopMenu(const QString& Caption) override;
    QWidget* MainWindow() override;
    QMenu* TopMenu(int Index) override;
    // The window's toolbar named "tbMain", else its first toolbar.
    QToolBar* ToolBar() override;
    TPictureList* MenuImages() override { return &FMenuImages; }

private:
    QPointer<QMainWindow> FWindow;
    TPictureList FMenuImages;
};

#pragma GCC visibility pop
