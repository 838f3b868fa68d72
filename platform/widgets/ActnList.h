#pragma once
// Actions of forms: a command with its caption, hint, image, checked and
// enabled state and an OnExecute handler, kept in an action list. Tool and
// speed buttons that name an action show its caption, hint, image and
// enabled state and execute it when clicked. Actions are owned by the form
// like every component but written inside their action list.
#include "Components.h"

#include <QList>
#include <QPointer>

#pragma GCC visibility push(default)

class TActionList;

class TAction : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool AutoCheck READ AutoCheck WRITE SetAutoCheck)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString Category READ Category WRITE SetCategory)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(int ShortCut READ ShortCut WRITE SetShortCut)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(TMethod OnExecute READ OnExecute WRITE SetOnExecute)
public:
    Q_INVOKABLE explicit TAction(QObject* owner = nullptr);
    ~TAction() override;

    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool v) { FAutoCheck = v; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    QString Category() const { return FCategory; }
    void SetCategory(const QString& v) { FCategory = v; }
    bool Checked() const { return FChecked; }
    // Checking an action of a group (GroupIndex > 0) unchecks the others of
    // its list in that group.
    void SetChecked(bool v);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v) { FGroupIndex = v; }
    QString Hint() const { return FHint; }
    void SetHint(const QString& v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    // The key code with the modifier bits of the old platform (Shift 0x2000,
    // Ctrl 0x4000, Alt 0x8000).
    int ShortCut() const { return FShortCut; }
    void SetShortCut(int v) { FShortCut = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    // Handler: OnExecute(QObject* sender).
    TMethod OnExecute() const { return FOnExecute; }
    void SetOnExecute(const TMethod& v) { FOnExecute = v; }

    TActionList* ActionList() const { return FActionList; }
    // Puts the action last into list (null: takes it out).
    void SetActionList(TActionList* list);
    int Index() const;

    // Runs the command when enabled (toggling Checked first with AutoCheck);
    // false when disabled or when there is no handler.
    bool Execute();

    TComponentBase* GetParentComponent() const override;
    void SetParentComponent(TComponentBase* parent) override;

signals:
    // Caption, hint, image, checked, enabled or visible changed.
    void ActionChanged();

private:
    bool FAutoCheck = false;
    QString FCaption;
    QString FCategory;
    bool FChecked = false;
    bool FEnabled = true;
    int FGroupIndex = 0;
    QString FHint;
    int FImageIndex = -1;
    int FShortCut = 0;
    bool FVisible = true;
    TMethod FOnExecute;
    QPointer<TActionList> FActionList;
};

class TActionList : public TComponent {
    Q_OBJECT
    Q_PROPERTY(TComponent* Images READ Images WRITE SetImages)
public:
    Q_INVOKABLE explicit TActionList(QObject* owner = nullptr);
    ~TActionList() override;

    // The image list the actions' image indexes refer to (not owned).
    TComponent* Images() const { return FImages; }
    void SetImages(TComponent* v);

    int ActionCount() const { return int(FActions.size()); }
    TAction* Actions(int index) const { return FActions.value(index); }

    void GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) override;
    void Notification(TComponentBase* component, TOperation operation) override;

private:
    friend class TAction;
    QList<TAction*> FActions;
    TComponent* FImages = nullptr;
};

#pragma GCC visibility pop
