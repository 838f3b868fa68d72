#pragma once
// The print document: the root item of a layout. It owns the item tree, lays
// it out on the endless strip cut into pages, keeps the selection, the done
// and undone editing actions and the views that show it, and saves, loads,
// prints and exports itself. Loading (from a file or text) notifies nobody;
// every edit ends with Changed, which lays out again and tells the views.
#include "ComponentText.h"
#include "Controls.h"
#include "Formatting.h"
#include "PrintDevices.h"
#include "PrintItems.h"
#include "TreeView.h"

#include <QPointer>
#include <QSize>
#include <functional>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

namespace Plotmere {

class TPrintAction;
class TPrintDocument;

enum TDocChangeEventType { dcOrder, dcDisposition, dcContents, dcProperty, dcHScroll, dcUpdate, dcMode, dcData };
enum TPrintAlignStyle { asLeft, asHorCenter, asRight, asHorScrCenter, asTop, asVertCenter, asBottom, asVertScrCenter };
enum TEditMode { emNormal, emPlaceComponent, emPasteComponents };

// The control that shows a document; the document talks to views through
// this base (the layout view is TSketchView).
class TPrintView : public TControl {
    Q_OBJECT
public:
    explicit TPrintView(QObject* owner = nullptr);
    ~TPrintView() override;

    TScreenDevice& Device() const { return *FDevice; }
    TPrintDocument* Document() const { return FDocument; }
    bool MainView() const { return FMainView; }

    virtual void SetDocument(TPrintDocument* value);
    virtual void SetMainView(bool value) { FMainView = value; }
    virtual void DocChanged(TDocChangeEventType type) = 0;
    virtual void DocChanged(TDocChangeEventType type, TPrintView* view) = 0;
    virtual TPrintItem* GetItemAt(const QPoint& point) = 0;
    // The area the document is drawn in (without scroll bars).
    virtual QRect ClientArea() const { return rect(); }
    // The device's frame list changed: the frames are painted again.
    virtual void FramesChanged() { update(); }
    void HideFrames();
    // The mouse press being handled is the second of a double click.
    bool InDoubleClick() const { return FInDoubleClick; }

protected:
    std::unique_ptr<TScreenDevice> FDevice;
    bool FInDoubleClick = false;
    TPrintDocument* FDocument = nullptr;
    bool FMainView = false;
};

// The scroll position a view had on a document.
struct TViewCacheEntry {
    QPointer<TPrintView> View;
    QSize ScrollPos;
};

class TPrintDocument : public TPrintItem {
    Q_OBJECT
    Q_CLASSINFO("AlwaysStored", "Version")
    Q_PROPERTY(bool AsSheet READ AsSheet WRITE SetAsSheet)
    Q_PROPERTY(QString Comment READ Comment WRITE SetComment)
    Q_PROPERTY(double DocScale READ DocScale WRITE SetDocScale)
    Q_PROPERTY(QString FormDesigner READ FormDesigner WRITE SetFormDesigner)
    Q_PROPERTY(QString FormFile READ FormFile WRITE SetFormFile)
    Q_PROPERTY(QString FormName READ FormName WRITE SetFormName)
    Q_PROPERTY(int GridStep READ GridStep WRITE SetGridStep)
    Q_PROPERTY(bool IsDesigner READ IsDesigner WRITE SetIsDesigner)
    Q_PROPERTY(int StartPage READ StartPage WRITE SetStartPage)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)
    Q_PROPERTY(QString StrPageSize READ StrPageSize WRITE SetStrPageSize)
    Q_PROPERTY(bool IsFixedPageSize READ IsFixedPageSize WRITE SetIsFixedPageSize)
    Q_PROPERTY(TMethod AfterPlaceItem READ AfterPlaceItem WRITE SetAfterPlaceItem)
    Q_PROPERTY(TMethod OnChangeDocScale READ OnChangeDocScale WRITE SetOnChangeDocScale)
    Q_PROPERTY(TMethod OnPlaceItem READ OnPlaceItem WRITE SetOnPlaceItem)
public:
    Q_INVOKABLE explicit TPrintDocument(QObject* owner = nullptr);
    // Reads the document file (strictly: any error raises), deselects
    // everything and remembers the file as FormFile.
    TPrintDocument(QObject* owner, const QString& fileName);
    ~TPrintDocument() override;

    // Published properties.
    bool AsSheet() const { return FAsSheet; }
    void SetAsSheet(bool value);
    QString Comment() const { return FComment; }
    void SetComment(const QString& value) { FComment = value; }
    double DocScale() const { return FDocScale; }
    void SetDocScale(double value);
    QString FormDesigner() const { return FFormDesigner; }
    void SetFormDesigner(const QString& value) { FFormDesigner = value; }
    QString FormFile() const { return FFormFile; }
    void SetFormFile(const QString& value) { FFormFile = value; }
    QString FormName() const { return FFormName; }
    void SetFormName(const QString& value) { FFormName = value; }
    int GridStep() const { return FGridStep; }
    void SetGridStep(int value) { FGridStep = value; }
    bool IsDesigner() const { return FIsDesigner; }
    void SetIsDesigner(bool value);
    int StartPage() const { return FStartPage; }
    void SetStartPage(int value) { FStartPage = value; }
    // The engine's identification; the stored value is ignored when read.
    QString Version() const;
    void SetVersion(const QString&) {}
    QString StrPageSize() const { return FStrPageSize; }
    // Stores the text and its size; text that does not parse gives 210 x 297 mm.
    void SetStrPageSize(const QString& text);
    bool IsFixedPageSize() const { return FIsFixedPageSize; }
    void SetIsFixedPageSize(bool value) { FIsFixedPageSize = value; }
    QSize FixedPageSize() const { return FFixedPageSize; }
    TMethod AfterPlaceItem() const { return FAfterPlaceItem; }
    void SetAfterPlaceItem(const TMethod& value) { FAfterPlaceItem = value; }
    TMethod OnChangeDocScale() const { return FOnChangeDocScale; }
    void SetOnChangeDocScale(const TMethod& value) { FOnChangeDocScale = value; }
    // The handler creates the item to place: QObject* (QObject* parent, Plotmere::TFloatPoint).
    TMethod OnPlaceItem() const { return FOnPlaceItem; }
    void SetOnPlaceItem(const TMethod& value) { FOnPlaceItem = value; }

    int PageCount() const { return FPageCount; }
    int DocumentBottom() const { return FDocumentBottom; }
    int CurrentPage() const { return FCurrentPage; }
    const QList<TPrintItem*>& Selection() const { return FSelection; }
    TEditMode EditMode() const { return FEditMode; }
    TPrintAction* CurAction() const { return FCurAction; }
    TRenderDevice* MainDevice() const { return FMainDevice; }
    const QList<TPrintView*>& Views() const { return FViews; }
    TTreeView* Tree() const { return FTree; }

    // The clock of GetSysVar (today's date and the time); Now by default.
    void SetClock(std::function<TDateTime()> clock) { FClock = std::move(clock); }
    TDateTime ClockNow() const { return FClock(); }

    virtual QString GetSysVar(int index) const;
    virtual void PrepareDocument();
    virtual void PostRender(TRenderDevice& device) { Q_UNUSED(device); }
    virtual void Save(const QString& fileName);
    void Save() { Save(FFormFile); }
    bool GetChanged() const;

    // Frees all items and gives the properties their cleared values
    // (StartPage 1, GridStep 0).
    void Clear() override;
    void Empty();
    bool AcceptItem(TPrintItem* item) const override;
    void BuildTree(TTreeView& tree, QTreeWidgetItem* node) override;

    void AddView(TPrintView* view);
    void RemoveView(TPrintView* view);
    void NotifyViews(TDocChangeEventType type);
    void NotifyViews(TDocChangeEventType type, TPrintView* view);
    void Changed(TDocChangeEventType type);
    void Lock() { FLocked = true; }
    void Unlock() { FLocked = false; }
    bool Locked() const { return FLocked; }
    void Update();
    void UpdateViews(bool needPrepare);
    TRenderDevice* FindMainDevice() const;
    TPrintItem* GetItemAt(const TFloatPoint& point);
    void DeselectAll();
    void AddToSelection(TPrintItem* item);
    void RemoveFromSelection(TPrintItem* item);
    // Every selected item, children before parents.
    void UpdateSelection();

    // The page layout uses: the main device's, else the fixed size or the printer's.
    QSizeF PageSizeMM() const;

    // Editing: each makes an action (PrintActions.h) and finishes it at once.
    void DeleteItem(TPrintItem* item);
    void DeleteSelection();
    void AlignSelection(TPrintAlignStyle style);
    void BringSelectionToFront();
    void SendSelectionToBack();
    void PasteFromClipboard();
    void PlaceItem(TPrintItem* item);
    // Asks OnPlaceItem for an item at a point and places it.
    void PlaceItem(const TFloatPoint& position);
    void Undo();
    void Redo();
    // A new action cancels the current one; the edit mode returns to normal.
    void SetCurAction(TPrintAction* action);
    void SetEditMode(TEditMode mode);
    // Runs an item's setup dialog; a change is an undoable action.
    void SetupItem(TPrintItem* item);
    void SetupSelectedItem();
    int DoneCount() const { return int(FDoneActions.size()); }
    int UndoneCount() const { return int(FUndoneActions.size()); }
    TPrintAction* LastDone() const { return FDoneActions.empty() ? nullptr : FDoneActions.back().get(); }
    TPrintAction* LastUndone() const { return FUndoneActions.empty() ? nullptr : FUndoneActions.back().get(); }

    // Renders the device's current page.
    void RenderCurrentPage(TRenderDevice& device);
    // Prints through the current printer (the fixed page size becomes its
    // paper); with showDialog the user chooses pages first. A document
    // without anything to print raises, as RenderBMP does.
    void Print(const QString& title, bool showDialog);
    // Every page one below the other into a 24-bit bitmap of dpi dots per
    // inch, which records that resolution. A bitmap too large for one image
    // raises before anything is painted; bitmap is left as it was.
    void RenderBMP(QImage& bitmap, int dpi);
    void CopySelectionToClipboard();
    void SetupPrinter();

    // The outline.
    void SetTree(TTreeView* tree);
    void UpdateTree();
    void SelectTreeItem(TPrintItem* item);
    TPrintItem* TreeSelectedItem() const;

    // Reads a document's text into this document: its published properties
    // first get a new document's values. Nothing changes when the text fails.
    void ReadFromText(const QString& text);
    TViewCacheEntry* FindViewCache(const TPrintView* view);
    TViewCacheEntry& AddViewCache(TPrintView* view);

protected:
    friend class TPrintAction;
    // Lays the tree out on device with the document's page and counts the
    // pages and the bottom.
    void LayOut(TRenderDevice& device);
    // Lays the document out for its view; raises when nothing is on it.
    void PrepareForOutput();
    // The print job of Print; the tree stays laid out for the printer.
    void PrintPages(const QString& title, bool showDialog);
    // The export's pages on a new bitmap; the tree stays laid out for it.
    QImage RenderPages(int dpi);
    void ReadTree(const TStreamObject& tree);

    bool FChanged = false;
    int FCurrentPage = 0;
    TPrintAction* FCurAction = nullptr;
    std::vector<std::unique_ptr<TPrintAction>> FDoneActions, FUndoneActions;
    TEditMode FEditMode = emNormal;
    TRenderDevice* FMainDevice = nullptr;
    std::unique_ptr<TBitmapDevice> FLayoutDevice;  // lays out while no view is the main view
    int FPageCount = 1;
    int FDocumentBottom = 0;
    QList<TPrintItem*> FSelection;
    quint64 FSavedAction = 0;  // serial of the done action on top at the last save

private:
    TMethod FAfterPlaceItem, FOnChangeDocScale, FOnPlaceItem;
    int FStartPage = 0;
    bool FAsSheet = false;
    QString FComment;
    QString FFormDesigner, FFormFile, FFormName;
    int FGridStep = 10;
    bool FIsDesigner = false;
    bool FLocked = false;
    double FDocScale = 1;
    QPointer<TTreeView> FTree;
    QList<TPrintView*> FViews;
    std::vector<std::unique_ptr<TViewCacheEntry>> FViewCache;
    QSize FFixedPageSize{210, 297};
    bool FIsFixedPageSize = false;
    QString FStrPageSize;
    std::function<TDateTime()> FClock;
};

// The page size of a text written as "%s, %dmm x %dmm" (the form name may be
// left out); raises "Размер страницы не задан" for blank text and "Размер
// страницы задан неверно" for any other text it cannot read.
QSize StrPageSizeToPageSize(const QString& text);

// The small pictures of the outline's nodes (0 the document).
const TPictureList& LayoutNodeImages();

}  // namespace Plotmere

#pragma GCC visibility pop
