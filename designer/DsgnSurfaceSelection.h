#pragma once
// The selection of a design surface and its sizing handles.
//
// Each selected control has eight 5 x 5 handle widgets in its parent's
// window. With one control selected it is sizeable and shows all eight; with
// several only the four corners show; the root shows none. The default
// control is the most recently selected one (the last item).
#include "Controls.h"
#include "Sets.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

#pragma GCC visibility push(default)

class TCustomFormDesigner;

enum TFormDesignerLockModeItem {
    lmNoMove, lmNoResize, lmNoDelete, lmNoInsertIn, lmNoCopy,
    lmCustom1, lmCustom2, lmCustom3, lmCustom4, lmCustom5, lmCustom6, lmCustom7, lmCustom8,
};
using TFormDesignerLockMode = TSet<TFormDesignerLockModeItem>;
// The lock set kept in the low word of a component's DesignInfo.
TFormDesignerLockMode LockModeOf(const TComponentBase* c);

enum TFormDesignerAlignType { atNoChanges, atLeftTop, atRightBottom, atSpaceEqually, atCenter, atCenterInWindow };
enum TDSelCtrlItemMode { imNone, imSizeable, imMultySelect };
enum TDSelCtrlItemPointPos { ppTopLeft, ppTop, ppTopRight, ppRight, ppBottomRight, ppBottom, ppBottomLeft, ppLeft };

class TDSelCtrlItem;

// One handle: a small window filled with its colour inside a border.
class TDSelCtrlItemPoint : public QWidget {
    Q_OBJECT
public:
    TDSelCtrlItemPoint(TDSelCtrlItem* item, TDSelCtrlItemPointPos pos, QWidget* parent);
    TDSelCtrlItem* Item() const { return FItem; }
    TDSelCtrlItemPointPos Pos() const { return FPos; }
    TColor Fill() const { return FFill; }
    TColor Border() const { return FBorder; }
    void SetColors(TColor fill, TColor border);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TDSelCtrlItem* FItem;
    TDSelCtrlItemPointPos FPos;
    TColor FFill = TColor(0);
    TColor FBorder = TColor(0);
};

class TDSelCtrlItem {
public:
    explicit TDSelCtrlItem(TControl* control) : FControl(control) {}
    ~TDSelCtrlItem();
    TDSelCtrlItem(const TDSelCtrlItem&) = delete;
    TDSelCtrlItem& operator=(const TDSelCtrlItem&) = delete;

    TControl* Control() const { return FControl; }
    TDSelCtrlItemMode Mode() const { return FMode; }
    TDSelCtrlItemPointPos ActivePos() const { return FActivePos; }
    void SetActivePos(TDSelCtrlItemPointPos pos) { FActivePos = pos; }
    // The handle at pos (null before the handles were first shown).
    TDSelCtrlItemPoint* Point(TDSelCtrlItemPointPos pos) const { return FPoints[pos]; }
    // Places, colours and shows or hides the handles for mode.
    void Update(TDSelCtrlItemMode mode, const TCustomFormDesigner& designer, bool active);

private:
    void FreePoints();

    QPointer<TControl> FControl;
    TDSelCtrlItemMode FMode = imNone;
    TDSelCtrlItemPointPos FActivePos = ppTopLeft;
    // Children of the control's parent; that parent may free them first.
    std::array<QPointer<TDSelCtrlItemPoint>, 8> FPoints;
};

class TFormDesignerSelectedControls {
public:
    explicit TFormDesignerSelectedControls(TCustomFormDesigner* designer) : FDesigner(designer) {}
    ~TFormDesignerSelectedControls();

    void Add(TControl* control);
    void Remove(TControl* control);
    void Delete(int index);
    int IndexOf(const TControl* control) const;
    void Clear();
    // Everything but control goes; control is selected when it was not (null
    // clears all).
    void ClearExcept(TControl* control);
    // Keeps only controls whose parent is parent.
    void ClearNotChildrensOf(QWidget* parent);
    void SelectControls(const QList<TControl*>& list);
    // The root and every designable control below it.
    void SelectAll();
    void GetCotnrols(QList<TControl*>& list) const;
    QList<TControl*> Controls() const;
    int Count() const { return int(FItems.size()); }
    TDSelCtrlItem* Items(int index) const { return FItems.at(index).get(); }
    TControl* DefaultControl() const;

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    // Recomputes the handle modes, updates the handles and announces the change.
    void Update();
    // Only refreshes the handles (positions after a move, colours after a lock).
    void UpdateHandles();

    void Lock(TFormDesignerLockMode lockMode);
    void AlignToGrid();
    void Align(TFormDesignerAlignType horizontal, TFormDesignerAlignType vertical);
    void BringToFront();
    void SendToBack();

    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    bool Active() const { return FActive; }
    void SetActive(bool v);
    TControl* RootWinControl() const { return FRootWinControl; }
    void SetRootWinControl(TControl* root) { FRootWinControl = root; }
    void SetDestroying() { FDestroying = true; }

private:
    void Changed();
    void CheckActive() const;
    void Align(TFormDesignerAlignType type, bool horizontal, const QList<TControl*>& controls);

    TCustomFormDesigner* FDesigner;
    std::vector<std::unique_ptr<TDSelCtrlItem>> FItems;
    bool FVisible = false;
    bool FActive = false;
    QPointer<TControl> FRootWinControl;
    int FUpdateCount = 0;
    bool FChanged = false;
    bool FDestroying = false;
};

#pragma GCC visibility pop
