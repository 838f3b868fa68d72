#pragma once
// The design surface: a run-time engine that turns a live control (the design
// root) into something a user edits instead of operates. Clicks select
// controls, selected controls carry sizing handles, controls are moved, sized,
// inserted, deleted, aligned and copied with a snap grid, and names stay
// unique within the root.
//
// TFormDesigner is the component the application configures; while it is
// active an engine (TDEng, DsgnSurfaceEngine.h) is the design hook of the form
// that hosts the root (platform/widgets/DesignHook.h) and the root's designer
// (IRootDesigner): every input event of a designed control goes to the engine
// first and is consumed. A root that is not a window is moved into the hosting
// form of a TFormDesignPanel (DsgnSurfacePanel.h) while designing.
//
// Lock flags live in the low word of a control's DesignInfo, so they are
// stored with it.
#include "Components.h"
#include "Controls.h"
#include "DsgnSurfaceSelection.h"
#include "Sets.h"

#include <QMenu>
#include <QPointer>
#include <functional>
#include <memory>

#pragma GCC visibility push(default)

class TDEng;
class TCustomFormDesignPanel;
struct TClassInfo;

class EFormDesigner : public Exception {
public:
    using Exception::Exception;
};

namespace DesignerMessages {
inline const char* const MustBeActive = "Designer mast be active";
inline const char* const MustBeInactive = "Designer mast be inactive";
inline const char* const NoDesignControl = "Design control not specified";
inline const char* const NoDesignPanel = "No design panel specified";
inline const char* const PanelInUse = "Design panel '%1' is used by another designer";
inline const char* const CannotSelect = "Control '%1' can not be selected";
inline const char* const NotImplemented = "Not implemented";
inline const char* const SomeLocked = "Some controls is locked. Can not delete controls.";
inline const char* const ControlLocked = "Control \"%1\" or some of it chidrens can not\r be deleted becouse they are locked";
}  // namespace DesignerMessages

enum TFormDesignerHintType { htControl, htSize, htMove, htInsert };
using TFormDesignerHintTypes = TSet<TFormDesignerHintType>;

// What OnDesignFormClose decides for a close request to a form root.
enum TCloseAction { caNone, caHide, caFree, caMinimize };

// The snap grid. Steps below 2 are stored as 2.
class TFormDesignerGrid : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(int XStep READ XStep WRITE SetXStep)
    Q_PROPERTY(int YStep READ YStep WRITE SetYStep)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
public:
    explicit TFormDesignerGrid(QObject* parent = nullptr) : TPersistent(parent) {}
    int XStep() const { return FXStep; }
    int YStep() const { return FYStep; }
    bool Visible() const { return FVisible; }
    TColor Color() const { return FColor; }
    void SetXStep(int v);
    void SetYStep(int v);
    void SetVisible(bool v);
    void SetColor(TColor v);
    void Assign(const TPersistent* source) override;

private:
    int FXStep = 8;
    int FYStep = 8;
    bool FVisible = true;
    TColor FColor = TColor(0);
};

class TCustomFormDesigner : public TComponent {
    Q_OBJECT
public:
    explicit TCustomFormDesigner(QObject* owner = nullptr);
    ~TCustomFormDesigner() override;

    bool Active() const { return FActive; }
    // Activation and deactivation; see the file comment.
    void SetActive(bool v);
    TControl* DesignControl() const { return FDesignControl; }
    void SetDesignControl(TControl* v);
    TCustomFormDesignPanel* DesignPanel() const { return FDesignPanel; }
    void SetDesignPanel(TCustomFormDesignPanel* v);
    TFormDesignerGrid* Grid() const { return FGrid; }
    void SetGrid(TFormDesignerGrid* v) { FGrid->Assign(v); }
    bool SnapToGrid() const { return FSnapToGrid; }
    void SetSnapToGrid(bool v) { FSnapToGrid = v; }
    TFormDesignerHintTypes ShowingHints() const { return FShowingHints; }
    void SetShowingHints(TFormDesignerHintTypes v) { FShowingHints = v; }
    QMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu* v) { FPopupMenu = v; }
    QString ClipboardFormat() const { return FClipboardFormat; }
    void SetClipboardFormat(const QString& v);

    TColor HandleClr = TColor(0), HandleBorderClr = TColor(0);
    TColor MultySelectHandleClr = TColor(0x808080), MultySelectHandleBorderClr = TColor(0x808080);
    TColor InactiveHandleClr = TColor(0x808080), InactiveHandleBorderClr = TColor(0);
    TColor LockedHandleClr = TColor(255);

    TFormDesignerSelectedControls& SelectedControls() { return *FSelectedControls; }
    // The engine while active (null otherwise).
    TDEng* Engine() const { return FEng.get(); }

    // Refreshes the handles after controls changed from outside.
    void Modified();
    void DeleteSelectedControls();
    void LockControl(TControl* control, TFormDesignerLockMode lockMode);
    void LockAll(TFormDesignerLockMode lockMode);
    // Empty while inactive.
    TFormDesignerLockMode GetLockMode(TControl* control) const;
    bool IsUniqueName(const QString& name) const;
    bool CanCopy() const;
    bool CanCut() const;
    bool CanPaste() const;
    void Copy();
    void Cut();
    void Paste();
    bool DesignControlVisible() const;
    void SetDesignControlVisible(bool v);

    // Root or a designed control owned by it.
    bool IsDesignable(const TComponentBase* c) const;
    // The lock set of a control for deletion and copying: its own and its
    // direct children's.
    TFormDesignerLockMode DeepLockMode(TControl* control) const;
    // The nearest control at or above control that takes child controls (the
    // root when none below it does).
    TControl* ContainerOf(TControl* control) const;

    std::function<void()> OnModified;
    std::function<void(const QString& name, bool& accept)> OnValidateName;
    std::function<void(const QString& baseName, QString& name)> OnGetUniqueName;
    std::function<void(const TClassInfo*& controlClass)> OnControlInserting;
    std::function<void(TControl* control)> OnControlInserted;
    std::function<void(TComponentBase* component, TOperation operation)> OnNotification;
    std::function<void()> OnChangeSelection;
    std::function<void(TControl* control, QString& hint)> OnControlHint;
    std::function<void(TCloseAction& action)> OnDesignFormClose;
    std::function<void(const QPoint& pos, bool& handled)> OnContextPopup;
    std::function<void(int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
    std::function<void(QString& text)> OnKeyPress;
    std::function<void(int& key, Qt::KeyboardModifiers shift)> OnKeyUp;
    std::function<void()> OnDblClick;

    void Notification(TComponentBase* component, TOperation operation) override;

private:
    friend class TDEng;
    void CheckActive() const;
    void CheckInactive() const;
    void Activate();
    void Deactivate();
    void Watch(TComponentBase* old, TComponentBase* now);

    std::unique_ptr<TDEng> FEng;
    bool FSnapToGrid = true;
    bool FActive = false;
    bool FActivating = false;
    TFormDesignerGrid* FGrid;
    std::unique_ptr<TFormDesignerSelectedControls> FSelectedControls;
    TCustomFormDesignPanel* FDesignPanel = nullptr;
    TControl* FDesignControl = nullptr;
    TFormDesignerHintTypes FShowingHints{htControl, htSize, htMove, htInsert};
    QPointer<QMenu> FPopupMenu;
    QString FClipboardFormat;
    // The clipboard seam keeps private formats by name; registering is
    // remembering the name in use.
    bool FClipbrdFormatRegistered = false;
    // Where a root that is not a form goes back to.
    QPointer<QWidget> FOldRootParent;
    QPoint FOldRootPos;
};

// The designer with its settings published.
class TFormDesigner : public TCustomFormDesigner {
    Q_OBJECT
    Q_PROPERTY(TFormDesignerGrid* Grid READ Grid WRITE SetGrid)
    Q_PROPERTY(bool SnapToGrid READ SnapToGrid WRITE SetSnapToGrid)
    Q_PROPERTY(QString ClipboardFormat READ ClipboardFormat WRITE SetClipboardFormat)
public:
    Q_INVOKABLE explicit TFormDesigner(QObject* owner = nullptr) : TCustomFormDesigner(owner) {}
};

// The clipboard format a designer uses when the application names none.
inline const char* const DefaultDesignerClipboardFormat = "WKDesignerControls";

#pragma GCC visibility pop
