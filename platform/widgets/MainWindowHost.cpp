#include "MainWindowHost.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <atomic>

namespace {
std::atomic<IWKMainWindowHost*> Host{nullptr};

QString Plain(const QString& caption) {
    QString s = caption;
    s.remove(QLatin1Char('&'));
    return s.toLower();
}
}  // namespace

IWKMainWindowHost* MainWindowHost() { return Host.load(); }

IWKMainWindowHost* SetMainWindowHost(IWKMainWindowHost* NewHost) { return Host.exchange(NewHost); }

QMenu* IWKMainWindowHost::TopMenu(int) { return nullptr; }
QToolBar* IWKMainWindowHost::ToolBar() { return nullptr; }
TPictureList* IWKMainWindowHost::MenuImages() { return nullptr; }

bool SameMenuCaption(const QString& A, const QString& B) { return Plain(A) == Plain(B); }

TMainWindowMenuHost::TMainWindowMenuHost(QMainWindow* Window) : FWindow(Window) {}

QMenu* TMainWindowMenuHost::FindTopMenu(const QString& Caption) {
    if (!FWindow) return nullptr;
    for (QAction* a : FWindow->menuBar()->actions())
        if (a->menu() && SameMenuCaption(a->text(), Caption)) return a->menu();
    return nullptr;
}

QWidget* TMainWindowMenuHost::MainWindow() { return FWindow; }

QMenu* TMainWindowMenuHost::TopMenu(int Index) {
    if (!FWindow || Index < 0) return nullptr;
    int n = 0;
    for (QAction* a : FWindow->menuBar()->actions())
        if (a->menu() && n++ == Index) return a->menu();
    return nullptr;
}

QToolBar* TMainWindowMenuHost::ToolBar() {
    if (!FWindow) return nullptr;
    if (auto* named = FWindow->findChild<QToolBar*>(QStringLiteral("tbMain"), Qt::FindDirectChildrenOnly)) return named;
    return FWindow->findChild<QToolBar*>(QString(), Qt::FindDirectChildrenOnly);
}
