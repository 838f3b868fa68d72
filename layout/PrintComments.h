#pragma once
// Items of a well-log document anchored to the index axis rather than to
// millimetres: comments in a track, layers (index bands), correlation lines
// across tracks and pictures pinned to an index value. Their positions are
// index values that the track converts, so they follow every change of the
// document's range or scale.
#include "PrintActions.h"
#include "PrintFields.h"
#include "PrintInplaceEditor.h"
#include "PrintPictures.h"

#pragma GCC visibility push(default)

namespace Plotmere {

class TPrintComment;

// A position text of a time document: a date and time, or a time of day
// alone (taken on today's date).
bool ReadCommentTime(const QString& text, TDateTime today, TDateTime& value);

// The container of a track's comments.
class TPrintCommentsRoot : public TPrintItem {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPrintCommentsRoot(QObject* owner = nullptr);
    QList<TPrintComment*> Comments() const;

    bool AcceptItem(TPrintItem* item) const override;
    bool AcceptParent(TPrintItem* item) const override;
    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    // A pasted root merges its comments into the track's own root.
    void Paste(TPrintItem* rootItem, QStringList& pasted) override;
    bool Setup(TRenderDevice* device) override;
    // Lines "position<Tab>text" become comments; other lines are skipped.
    void TryConvertTextToObjects(const QString& text, QList<TPrintItem*>& objects) override;
};

class TPrintComment : public TPrintItem {
    Q_OBJECT
    Q_PROPERTY(QString Comment READ Comment WRITE SetComment)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(bool Clip READ Clip WRITE SetClip)
    Q_PROPERTY(int TextAngle READ TextAngle WRITE SetTextAngle)
    Q_PROPERTY(TTextAlign TextAlign READ TextAlign WRITE SetTextAlign)
    Q_PROPERTY(double XOffset READ XOffset WRITE SetXOffset)
    Q_PROPERTY(double YOffset READ YOffset WRITE SetYOffset)
public:
    enum TTextAlign { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TTextAlign)

    Q_INVOKABLE explicit TPrintComment(QObject* owner = nullptr);
    // At a point in millimetres of the owner root's track.
    TPrintComment(QObject* owner, const TFloatPoint& position);
    ~TPrintComment() override;
    TPrintInplaceTextEditor* Editor() const { return FEditor; }
    void BeginInplaceEdit(TPrintView* view) override;
    // An emptied text deletes the comment, undoably.
    void EndInplaceEdit() override;
    void OnDetachView(TPrintView* view) override;

    QString Comment() const { return FComment; }
    void SetComment(const QString& v) { FComment = v; }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* v) { FFont->Assign(v); }
    bool Clip() const { return FClip; }
    void SetClip(bool v) { FClip = v; }
    int TextAngle() const { return FTextAngle; }
    void SetTextAngle(int v) { FTextAngle = v; }
    TTextAlign TextAlign() const { return FTextAlign; }
    void SetTextAlign(TTextAlign v) { FTextAlign = v; }
    double XOffset() const { return FXOffset; }
    void SetXOffset(double v) { FXOffset = v; }
    double YOffset() const { return FYOffset; }
    void SetYOffset(double v) { FYOffset = v; }

    // The track the comment belongs to (its root's parent).
    TPrintField* Field() const;
    // The anchor in millimetres: the track's left + XOffset, the index YOffset.
    TFloatPoint GetAbsFPos() const;
    // The text block's size in millimetres.
    QSizeF GetSizeMM(const TRenderDevice& device) const;
    QRect GetAbsMMBounds(const TRenderDevice& device) const;
    // The text block on the screen, in window pixels.
    QRect GetAbsBounds(const TScreenDevice& device) const;

    bool DoUserAction(TPrintView* view, TPrintEditActions actions, int x, int y, Qt::KeyboardModifiers shift) override;
    TPrintEditActions GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) override;
    bool IsPointInItem(const TFloatPoint& point) const override;
    void Prepare(TRenderDevice& device) override;
    void Render(TRenderDevice& device) override;
    bool Setup(TRenderDevice* device) override;

private:
    QStringList Lines() const;

    QString FComment;
    TFont* FFont;
    bool FClip = true;
    int FTextAngle = 0;
    TTextAlign FTextAlign = taLeftJustify;
    double FXOffset = 0, FYOffset = 0;
    QPointer<TPrintInplaceTextEditor> FEditor;
    QPointer<TPrintView> FEditView;
};

// A layer: an index band of a track, tinting what lies below it.
class TPrintCollector : public TPrintItem {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(double Start READ Start WRITE SetStart)
    Q_PROPERTY(double Stop READ Stop WRITE SetStop)
public:
    Q_INVOKABLE explicit TPrintCollector(QObject* owner = nullptr) : TPrintItem(owner) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    double Start() const { return FStart; }
    void SetStart(double v) { FStart = v; }
    double Stop() const { return FStop; }
    void SetStop(double v) { FStop = v; }
    // The colour the layer shows on white paper: Color xor $FFFFFF, the one
    // its dialog offers.
    TColor ShownColor() const { return TColor(int(FColor) ^ 0xFFFFFF); }
    void SetShownColor(TColor v) { FColor = TColor(int(v) ^ 0xFFFFFF); }

    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    bool DoUserAction(TPrintView* view, TPrintEditActions actions, int x, int y, Qt::KeyboardModifiers shift) override;
    TPrintEditActions GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) override;
    void Prepare(TRenderDevice&) override {}
    QString PrintClassName() const override { return QStringLiteral("Пласт"); }
    void Render(TRenderDevice& device) override;
    bool Setup(TRenderDevice* device) override;

private:
    TPrintField* Field() const { return qobject_cast<TPrintField*>(GetParent()); }
    TColor FColor = clNavy;
    double FStart = 0, FStop = 0;
};

class TPLPoint : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(double X READ X WRITE SetX)
    Q_PROPERTY(double Y READ Y WRITE SetY)
public:
    Q_INVOKABLE explicit TPLPoint(TCollection* collection = nullptr) : TCollectionItem(collection) {}
    double X() const { return FX; }
    void SetX(double v) { FX = v; }
    double Y() const { return FY; }
    void SetY(double v) { FY = v; }
    void Assign(const TPersistent* source) override;

private:
    double FX = 0, FY = 0;
};

class TPLPointCollection : public TCollection {
    Q_OBJECT
public:
    explicit TPLPointCollection(QObject* owner = nullptr) : TCollection(&TPLPoint::staticMetaObject, owner) {}
    TPLPoint* Point(int index) const { return ItemAs<TPLPoint>(index); }
};

// A line across tracks through points given as (mm from the page's left,
// index value), converted through the document's first track.
class TPrintCorellationLine : public TPrintItem {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int PenWidth READ PenWidth WRITE SetPenWidth)
    Q_PROPERTY(TCollection* Points READ PointCollection)
public:
    Q_INVOKABLE explicit TPrintCorellationLine(QObject* owner = nullptr);
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    int PenWidth() const { return FPenWidth; }
    void SetPenWidth(int v) { FPenWidth = v; }
    TCollection* PointCollection() const { return FPoints; }
    TPLPointCollection& Points() const { return *FPoints; }
    TFloatPoint GetPoint(int index) const;
    void SetPoint(int index, const TFloatPoint& point);
    void AddPoint(double x, double value);
    // The point of a node in millimetres; nullopt without a reference track.
    std::optional<TFloatPoint> NodeMM(int index) const;
    int GetNodeHit(TPrintView* view, const QPoint& point) const;

    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    bool DoUserAction(TPrintView* view, TPrintEditActions actions, int x, int y, Qt::KeyboardModifiers shift) override;
    TPrintEditActions GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) override;
    bool IsPointInItem(const TFloatPoint& point) const override;
    void Prepare(TRenderDevice& device) override;
    void Render(TRenderDevice& device) override;
    bool Setup(TRenderDevice* device) override;

private:
    TColor FColor = clNavy;
    int FPenWidth = 2;
    TPLPointCollection* FPoints;
};

// A picture inside a track whose top is pinned to an index value.
class TPrintFieldImage : public TPrintImage {
    Q_OBJECT
    Q_PROPERTY(double Position READ Position WRITE SetPosition)
public:
    Q_INVOKABLE explicit TPrintFieldImage(QObject* owner = nullptr) : TPrintImage(owner) {}
    double Position() const { return FPosition; }
    void SetPosition(double v) { FPosition = v; }

    bool AcceptParent(TPrintItem* item) const override { return qobject_cast<TPrintField*>(item) != nullptr; }
    // Made by their add action; a picture on the clipboard becomes a plain one.
    int SupportsClipboardFormat(const QList<int>&) const override { return -1; }
    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;
    bool DoUserAction(TPrintView* view, TPrintEditActions actions, int x, int y, Qt::KeyboardModifiers shift) override;
    TPrintEditActions GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) override;
    void Prepare(TRenderDevice& device) override;
    void Render(TRenderDevice& device) override;

private:
    double FPosition = 0;
};

// ---- actions ----

struct TCommentPos {
    QUuid ID;
    TFloatPoint Position, NewPos;
};

// Drags a comment (or a track picture) to a new anchor.
class TPrintMoveCommentAction : public TPrintAction {
public:
    TPrintMoveCommentAction(TPrintDocument* document, TPrintItem* item, TRenderDevice* device);
    QString GetName() const override { return QStringLiteral("Переместить комментарий"); }
    void Finish() override;
    void MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseMove(TPrintView* view, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void Redo() override;
    void Undo() override;
    const TCommentPos& IDPos() const { return FIDPos; }

protected:
    // The item's screen rectangle.
    virtual QRect ItemRect() const;
    virtual TFloatPoint ReadPosition(TPrintItem& item) const;
    virtual void ApplyPosition(TPrintItem& item, const TFloatPoint& position);
    void Apply(const TFloatPoint& position);

    QPointer<TPrintItem> FItem;
    TRenderDevice* FDevice;
    TPrintView* FView = nullptr;
    QPoint FPrevPos, FOffset;
    TCommentPos FIDPos;
    bool FDown = false;
};

class TPrintMoveFieldImageAction : public TPrintMoveCommentAction {
public:
    using TPrintMoveCommentAction::TPrintMoveCommentAction;
    QString GetName() const override { return QStringLiteral("Переместить изображение"); }

protected:
    QRect ItemRect() const override;
    TFloatPoint ReadPosition(TPrintItem& item) const override;
    void ApplyPosition(TPrintItem& item, const TFloatPoint& position) override;
};

// An item added by a mouse action: undone by freeing it, redone from its text.
class TPrintAddItemAction : public TPrintAction {
public:
    explicit TPrintAddItemAction(TPrintDocument* document) : TPrintAction(TPrintEditActions{saAdd}, document) {}
    void Redo() override;
    void Undo() override;

protected:
    // Records the new item and tells the document.
    void Added(TPrintItem* item);
    QUuid FID, FParentID;
    QString FText;
};

// Drags a layer over a track.
class TPrintAddCollectorAction : public TPrintAddItemAction {
public:
    using TPrintAddItemAction::TPrintAddItemAction;
    QString GetName() const override { return QStringLiteral("Добавить пласт"); }
    void MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseMove(TPrintView* view, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

private:
    void ToggleBand();
    TPrintView* FView = nullptr;
    QPointer<TPrintField> FField;
    int FStartY = 0, FLastY = 0;
};

// Draws a correlation line node by node: each left click more than 2 pixels
// from the previous node adds one, a double click finishes (at least two
// nodes) or cancels.
class TPrintAddCorellationLineAction : public TPrintAddItemAction {
public:
    using TPrintAddItemAction::TPrintAddItemAction;
    QString GetName() const override { return QStringLiteral("Добавить линию корелляции"); }
    void Cancel() override;
    void Finish() override;
    void MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseMove(TPrintView* view, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    const QList<QPoint>& Nodes() const { return FNodes; }

private:
    void ToggleSegment();
    void Release();
    TPrintView* FView = nullptr;
    QList<QPoint> FNodes;  // window pixels
    QPoint FCursor;
    bool FSegmentShown = false;
};

// Drags one node of a correlation line; undone through the line's text form.
class TPrintMoveCorellationLineNodeAction : public TPrintSetupAction {
public:
    TPrintMoveCorellationLineNodeAction(TPrintDocument* document, TPrintCorellationLine* line, int node);
    QString GetName() const override { return QStringLiteral("Изменить линию корелляции"); }
    void MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseMove(TPrintView* view, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

private:
    void ToggleSegments();
    QPointer<TPrintCorellationLine> FLine;
    int FNode;
    TPrintView* FView = nullptr;
    QPoint FCursor;
    bool FShown = false;
};

// Places a picture file into the track under a left click.
class TPrintAddFieldImage : public TPrintAddItemAction {
public:
    explicit TPrintAddFieldImage(TPrintDocument* document, const QString& fileName = QString())
        : TPrintAddItemAction(document), FFileName(fileName) {}
    QString GetName() const override { return QStringLiteral("Добавить изображение"); }
    void MouseDown(TPrintView* view, Qt::MouseButton, Qt::KeyboardModifiers, int, int) override;
    // The cross while the action runs.
    void MouseMove(TPrintView* view, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

private:
    QString FFileName;
};

// Selects an index range with the mouse, for the host.
class TPrintAddDataRangeAction : public TPrintAction {
public:
    explicit TPrintAddDataRangeAction(TPrintDocument* document) : TPrintAction(TPrintEditActions{saAdd}, document) {}
    QString GetName() const override { return QStringLiteral("Интервал выбора"); }
    void MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseMove(TPrintView* view, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    double GetStart() const;
    double GetStop() const;
    // "Интервал выбора: " and the range, as shown while dragging.
    QString Hint() const;

private:
    double ValueAt(int y) const;
    void ToggleBand();
    TPrintView* FView = nullptr;
    QPointer<TPrintField> FField;
    int FStartY = 0, FLastY = 0;
};

// The track under a window point of a view (the innermost), or null.
TPrintField* FieldAt(TPrintView* view, const QPoint& point);

}  // namespace Plotmere

#pragma GCC visibility pop
