#pragma once
// The registry of plug-in context actions: plug-ins add their action lists
// when they start, and the parameter popup menus (charts, grids) ask it for
// the actions of a category ("Sensors") when they are first shown.
#include <QAction>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

#pragma GCC visibility push(default)

using TWKImageList = QList<QIcon>;

// A plug-in's action list: actions with their category and image index, and
// an optional image list (owned by whoever owns the action list).
class TWKActionList : public QObject {
    Q_OBJECT
public:
    explicit TWKActionList(QObject* Owner = nullptr);
    // A new action owned by the list.
    QAction* AddAction(const QString& Caption, const QString& Category, int ImageIndex = -1);
    int ActionCount() const { return static_cast<int>(FItems.size()); }
    QAction* Action(int i) const { return FItems[i].Action; }
    const QString& Category(int i) const { return FItems[i].Category; }
    int ImageIndex(int i) const { return FItems[i].ImageIndex; }

    TWKImageList* Images = nullptr;

private:
    struct TItem {
        QAction* Action;
        QString Category;
        int ImageIndex;
    };
    std::vector<TItem> FItems;
};

// A popup menu as the context handlers fill it; the visual layer adapts its menus.
class IWKContextMenu {
public:
    virtual ~IWKContextMenu();
    // The menu's image list, or null.
    virtual TWKImageList* Images() = 0;
    // Appends a new item owned by the menu, bound to Action, showing image ImageIndex (-1: none).
    virtual void AddItem(QAction* Action, int ImageIndex) = 0;
};

// The registered action lists; it does not own them, and a list freed while
// registered is passed over.
class TWKContextHandlers {
public:
    void Add(TWKActionList* List);
    void Remove(TWKActionList* List);
    int Count() const { return static_cast<int>(FLists.size()); }

    // For every list in registration order: its images appended to the menu's
    // (when both have image lists), then an item for every action of exactly
    // that category, its image index moved past the images the menu had before.
    // Images are appended on every call: a menu is filled once.
    void CreatePopupItems(IWKContextMenu& Menu, const QString& ActionGroup) const;

private:
    std::vector<QPointer<TWKActionList>> FLists;
};

TWKContextHandlers& WKContextHandlers();

#pragma GCC visibility pop
