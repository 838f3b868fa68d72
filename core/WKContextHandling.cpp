#include "WKContextHandling.h"

#include <algorithm>

TWKActionList::TWKActionList(QObject* Owner) : QObject(Owner) {}

QAction* TWKActionList::AddAction(const QString& Caption, const QString& Category, int ImageIndex) {
    auto* action = new QAction(Caption, this);
    FItems.push_back({action, Category, ImageIndex});
    return action;
}

IWKContextMenu::~IWKContextMenu() = default;

void TWKContextHandlers::Add(TWKActionList* List) { FLists.emplace_back(List); }

void TWKContextHandlers::Remove(TWKActionList* List) {
    auto it = std::find_if(FLists.begin(), FLists.end(), [&](const auto& l) { return l.data() == List; });
    if (it != FLists.end()) FLists.erase(it);
}

void TWKContextHandlers::CreatePopupItems(IWKContextMenu& Menu, const QString& ActionGroup) const {
    for (const auto& list : FLists) {
        if (!list) continue;
        TWKImageList* menuImages = Menu.Images();
        const int offset = menuImages ? static_cast<int>(menuImages->size()) : 0;
        if (menuImages && list->Images) menuImages->append(*list->Images);
        for (int i = 0; i < list->ActionCount(); ++i) {
            if (list->Category(i) != ActionGroup) continue;
            const int image = list->ImageIndex(i);
            Menu.AddItem(list->Action(i), image >= 0 ? image + offset : image);
        }
    }
}

TWKContextHandlers& WKContextHandlers() {
    static TWKContextHandlers handlers;
    return handlers;
}
