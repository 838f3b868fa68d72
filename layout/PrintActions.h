#pragma once
// Editing actions: every change a user makes to a layout document is an
// action object. Mouse-driven ones receive the view's mouse events while they
// are the document's current action; the others are finished at once. A
// finished action sits on the document's done list and can be undone and
// redone any number of times. Actions hold items only by GUID and text form,
// so that undo and redo find or re-create exactly the same items.
#include "PrintDocument.h"

#pragma GCC visibility push(default)

namespace Plotmere {

class TPrintAction {
public:
    TPrintAction(TPrintEditActions actions, TPrintDocument* document);
    TPrintAction(const TPrintAction&) = delete;
    TPrintAction& operator=(const TPrintAction&) = delete;
    virtual ~TPrintAction();

    // The action's caption.
    virtual QString GetName() const = 0;
    // Clears the document's current action and frees this action.
    virtual void Cancel();
    // Onto the done list; the undone list is freed; the document is changed.
    virtual void Finish();
    virtual void MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseMove(TPrintView* view, Qt::KeyboardModifiers shift, int x, int y);
    // The left button finishes the action.
    virtual void MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void Redo();
    virtual void Undo();

    TPrintDocument* Document() const { return FDocument; }
    TPrintEditActions Actions() const { return FActions; }
    // A number unique in the run, for the document's save point.
    quint64 Serial() const { return FSerial; }

protected:
    TPrintDocument* FDocument;
    TPrintEditActions FActions;

private:
    quint64 FSerial;
};

using TPrintActionClass = TPrintAction* (*)(TPrintEditActions actions, TPrintDocument* document);

// Records kept by actions.
struct TItemIDPos {
    QUuid ID, ParentID;
    QPoint Position, NewPos;  // absolute millimetres
};
struct TItemIDSize {
    QUuid ID;
    QRect Bounds, NewBounds;  // absolute millimetres
};
struct TIDObjectText {
    QUuid ID, ParentID;
    int Index = 0;  // place among the parent's children
    QString Text;
};
struct TIDObjectTextPos {
    QUuid ID;
    QString Text;
    QRect Bounds;  // pixels relative to the first pasted item
};
struct TIDOrder {
    QUuid ID;
    int OldOrder = 0;
};
struct TIDObjectTexts {
    QUuid ID;
    QString OldText, NewText;
};

// An action dragged with the left button: frames follow the pointer; the
// offset counts pixels from the pointer back to the press point.
class TPrintDragAction : public TPrintAction {
public:
    using TPrintAction::TPrintAction;
    // Another button cancels; the left one starts the drag.
    void MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseMove(TPrintView* view, Qt::KeyboardModifiers shift, int x, int y) override;
    // Released on the spot: cancelled, nothing changed.
    void MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

protected:
    // Shows the frames, or hides them when they are shown.
    virtual void ToggleFrames() = 0;
    virtual bool CanStart() const { return true; }

    QPoint FOffset, FPrevPos;
    TPrintView* FView = nullptr;
};

// Moves the selection: dragged in a view (offset in pixels) or by the keys
// (offset in millimetres, finished at once).
class TPrintMoveAction : public TPrintDragAction {
public:
    TPrintMoveAction(TPrintEditActions actions, TPrintDocument* document);
    TPrintMoveAction(int dx, int dy, TRenderDevice* device, TPrintDocument* document);
    QString GetName() const override { return QStringLiteral("Переместить объекты"); }
    void Finish() override;
    void Redo() override;
    void Undo() override;
    const std::vector<TItemIDPos>& Entries() const { return FEntries; }

protected:
    void ToggleFrames() override;

private:
    // The item's frame in view pixels after the offset.
    QRect MovedRect(const TPrintItem* item) const;
    void MoveAll(bool toNew);

    QList<QUuid> FItems;  // the selection, while the mouse moves
    std::vector<TItemIDPos> FEntries;
    bool FPixOfs = true;
    TRenderDevice* FDevice = nullptr;
};

// Drags edges of the first selected item.
class TPrintSizeAction : public TPrintDragAction {
public:
    TPrintSizeAction(TPrintEditActions actions, TPrintDocument* document);
    QString GetName() const override { return QStringLiteral("Изменить размер объекта"); }
    void Finish() override;
    void Redo() override;
    void Undo() override;
    // The dragged rectangle in view pixels.
    QRect NewScreenBounds() const;

protected:
    void ToggleFrames() override;
    bool CanStart() const override { return !FItem.isNull(); }

private:
    void Apply(const QRect& bounds);

    QUuid FItem;
    TItemIDSize FEntry;
};

// Deletes one item or the selection; finished at once.
class TPrintDeleteAction : public TPrintAction {
public:
    // The selection (item null) or one item.
    TPrintDeleteAction(TPrintDocument* document, TPrintItem* item = nullptr);
    QString GetName() const override { return QStringLiteral("Удалить объекты"); }
    void Finish() override;
    void Redo() override;
    void Undo() override;

private:
    void FreeAll();
    std::vector<TIDObjectText> FEntries;
};

// An item newly placed into its parent; finished at once.
class TPrintPlaceItemAction : public TPrintAction {
public:
    TPrintPlaceItemAction(TPrintDocument* document, TPrintItem* item);
    QString GetName() const override { return QStringLiteral("Добавить объект"); }
    void Finish() override;
    void Redo() override;
    void Undo() override;

private:
    QUuid FID, FParentID;
    QString FText;
};

// An item (or the document) changed by its setup dialog.
class TPrintSetupAction : public TPrintAction {
public:
    TPrintSetupAction(TPrintDocument* document, TPrintItem* item, const QString& oldText);
    QString GetName() const override { return QStringLiteral("Настроить объект"); }
    void Redo() override;
    void Undo() override;

protected:
    // The item's text form now, for an action that changes it after creation.
    void RecordNewText(TPrintItem* item) { FEntry.NewText = item->GetAsText(); }

private:
    void Apply(const QString& text);
    TIDObjectTexts FEntry;
};

class TPrintAlignAction : public TPrintAction {
public:
    TPrintAlignAction(TPrintDocument* document, TPrintAlignStyle style);
    QString GetName() const override { return QStringLiteral("Выровнять объекты"); }
    void Finish() override;
    void Redo() override;
    void Undo() override;

private:
    void MoveAll(bool toNew);
    std::vector<TItemIDPos> FEntries;
};

class TPrintOrderAction : public TPrintAction {
public:
    TPrintOrderAction(TPrintDocument* document, bool toFront);
    QString GetName() const override { return QStringLiteral("Изменить порядок объектов"); }
    void Finish() override;
    void Redo() override;
    void Undo() override;

private:
    void Reorder();
    bool FToFront;
    QList<QUuid> FItems;
    std::vector<TIDOrder> FEntries;
};

// Pastes the clipboard's items; finished at once.
class TPrintPasteAction : public TPrintAction {
public:
    explicit TPrintPasteAction(TPrintDocument* document);
    QString GetName() const override { return QStringLiteral("Вставить объекты"); }
    void Finish() override;
    void Redo() override;
    void Undo() override;
    virtual TPrintItem* GetPasteParent();
    virtual void PasteItem(int index, TPrintItem* item, TPrintItem* parent);
    const std::vector<TIDObjectTextPos>& Entries() const { return FEntries; }
    const QStringList& Pasted() const { return FPasted; }

protected:
    void DoPaste();
    std::vector<TIDObjectTextPos> FEntries;
    QStringList FPasted;  // GUID texts of the pasted items
};

// Pastes at the point the user clicks; the current action of the paste mode.
class TPrintPasteAtAction : public TPrintPasteAction {
public:
    explicit TPrintPasteAtAction(TPrintDocument* document);
    void Finish() override;
    void MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseMove(TPrintView* view, Qt::KeyboardModifiers shift, int x, int y) override;
    TPrintItem* GetPasteParent() override;
    void PasteItem(int index, TPrintItem* item, TPrintItem* parent) override;

private:
    void ToggleFrames();
    QPointer<TPrintItem> FUnderPointer;
    QPoint FTarget;
    TPrintView* FView = nullptr;
    bool FDragging = false;
    bool FPlaced = false;
};

// Splits clipboard text into the text forms it holds ("\r\nяя" after each).
QStringList SplitClipboardItems(const QString& text);

}  // namespace Plotmere

#pragma GCC visibility pop
