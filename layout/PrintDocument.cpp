#include "PrintDocument.h"

#include "ClassRegistry.h"
#include "ClipboardFormats.h"
#include "ComponentStreaming.h"
#include "PrintActions.h"
#include "Printers.h"
#include "UIServices.h"

#include <QFileInfo>
#include <QMetaProperty>
#include <QPainter>
#include <QSignalBlocker>
#include <cmath>
#include <limits>

namespace Plotmere {

namespace {
const QString PageSizeMissing = QStringLiteral("Размер страницы не задан");
const QString PageSizeWrong = QStringLiteral("Размер страницы задан неверно");
const QString CopySeparator = QStringLiteral("яя");
const QString EmptyDocument = QStringLiteral("Документ пуст: печатать нечего");

// Ends rendering on a device however the pages went.
class TRenderGuard {
public:
    TRenderGuard(TRenderDevice& device, QPainter* canvas) : FDevice(device), FCanvas(canvas) {
        FDevice.BeginRender(FCanvas);
    }
    ~TRenderGuard() { FDevice.EndRender(FCanvas); }
    TRenderGuard(const TRenderGuard&) = delete;
    TRenderGuard& operator=(const TRenderGuard&) = delete;

private:
    TRenderDevice& FDevice;
    QPainter* FCanvas;
};

// The largest export: a 24-bit image of at most 2 GiB, as one image can
// hold and a painter can address.
constexpr qint64 MaxExportBytes = std::numeric_limits<int>::max();

// A 24-bit image of width x height pixels, refused before anything is
// allocated or painted when it cannot be one image.
QImage NewExportImage(double width, double height) {
    const double bytesPerLine = std::ceil(width * 3 / 4) * 4;
    QImage image;
    if (bytesPerLine * height <= double(MaxExportBytes)) image = QImage(int(width), int(height), QImage::Format_RGB888);
    if (image.isNull())
        throw Exception(QStringLiteral("Изображение %1 x %2 точек слишком велико для экспорта")
                            .arg(width, 0, 'f', 0)
                            .arg(height, 0, 'f', 0));
    return image;
}

// The last millimetre an item covers: a layout ending exactly on a page
// edge does not start another page.
int LastMillimetre(const QRect& bounds) {
    const int bottom = bounds.top() + bounds.height();
    return bounds.height() > 0 ? bottom - 1 : bottom;
}
}  // namespace

// --- view base ------------------------------------------------------------------------

TPrintView::TPrintView(QObject* owner) : TControl(owner), FDevice(std::make_unique<TScreenDevice>()) {}

TPrintView::~TPrintView() {
    if (FDocument) FDocument->RemoveView(this);
}

void TPrintView::SetDocument(TPrintDocument* value) {
    if (value == FDocument) return;
    // Cleared first, so that the old document does not ask this view back.
    TPrintDocument* old = FDocument;
    FDocument = nullptr;
    if (old) old->RemoveView(this);
    FDocument = value;
    if (FDocument) FDocument->AddView(this);
}

void TPrintView::HideFrames() {
    if (FDevice->Frames().isEmpty() && FDevice->Segments().isEmpty()) return;
    FDevice->ClearFrames();
    FramesChanged();
}

// --- document -------------------------------------------------------------------------

TPrintDocument::TPrintDocument(QObject* owner) : TPrintItem(owner), FClock([] { return Now(); }) {}

TPrintDocument::TPrintDocument(QObject* owner, const QString& fileName) : TPrintDocument(owner) {
    ReadTree(ReadComponentFileTree(fileName));
    DeselectAll();
    FFormFile = fileName;
}

TPrintDocument::~TPrintDocument() {
    const QList<TPrintView*> views = FViews;
    for (TPrintView* view : views) view->SetDocument(nullptr);
    delete FCurAction;
    FCurAction = nullptr;
    FSelection.clear();
    // The items go while this is still a document, so that they can leave it.
    DestroyComponents();
    FSelection.clear();
}

void TPrintDocument::SetAsSheet(bool value) {
    FAsSheet = value;
    if (!IsLoading()) NotifyViews(dcProperty);
}

void TPrintDocument::SetDocScale(double value) {
    FDocScale = value;
    if (IsLoading()) return;
    PrepareDocument();
    NotifyViews(dcProperty);
    FOnChangeDocScale.Invoke(static_cast<QObject*>(this));
}

void TPrintDocument::SetIsDesigner(bool value) {
    if (FIsDesigner == value) return;
    FIsDesigner = value;
    if (IsLoading()) return;
    DeselectAll();
    PrepareDocument();
    UpdateTree();
    NotifyViews(dcMode);
}

QString TPrintDocument::Version() const { return QStringLiteral("Plotmere 2 layout engine"); }

void TPrintDocument::SetStrPageSize(const QString& text) {
    FStrPageSize = text;
    try {
        FFixedPageSize = StrPageSizeToPageSize(text);
    } catch (const Exception&) {
        FFixedPageSize = QSize(210, 297);
    }
}

QString TPrintDocument::GetSysVar(int index) const {
    switch (index) {
    case 0: return QString::number(FPageCount);
    case 1: return DateToStr(FClock());
    case 2: return TimeToStr(FClock());
    case 3: return Printers().PrinterName();
    case 4: return FFormDesigner;
    case 5: return FFormName;
    case 6: return QFileInfo(FFormFile).completeBaseName();
    case -1: return QString::number(FCurrentPage + FStartPage);
    default: return {};
    }
}

void TPrintDocument::LayOut(TRenderDevice& device) {
    if (FIsFixedPageSize) {
        device.PageWidth = FFixedPageSize.width();
        device.PageHeight = FFixedPageSize.height();
    } else {
        device.SetCurrentPrinter();
    }
    Prepare(device);
    FPageCount = 1;
    FDocumentBottom = 0;
    Enum([&](TPrintItem* item) {
        const QRect b = item->Bounds();
        FPageCount = std::max(FPageCount, device.PageOf(LastMillimetre(b)));
        FDocumentBottom = std::max(FDocumentBottom, b.top() + b.height());
    });
}

void TPrintDocument::PrepareDocument() {
    FMainDevice = FindMainDevice();
    if (FMainDevice) {
        FMainDevice->SetScale(FDocScale);
        LayOut(*FMainDevice);
        return;
    }
    // Without a view the layout still follows every change, so that hit
    // tests and editing actions never work on stale bounds.
    if (!FLayoutDevice) FLayoutDevice = std::make_unique<TBitmapDevice>();
    LayOut(*FLayoutDevice);
}

QSizeF TPrintDocument::PageSizeMM() const {
    if (FMainDevice) return QSizeF(FMainDevice->PageWidth, FMainDevice->PageHeight);
    if (FIsFixedPageSize) return QSizeF(FFixedPageSize);
    TBitmapDevice device;  // takes the printer's page
    return QSizeF(device.PageWidth, device.PageHeight);
}

void TPrintDocument::Save(const QString& fileName) {
    if (HasState(psEditing)) EndInplaceEdit();
    WriteComponentFile(this, fileName, true);
    FFormFile = fileName;
    FChanged = false;
    FSavedAction = FDoneActions.empty() ? 0 : FDoneActions.back()->Serial();
}

bool TPrintDocument::GetChanged() const {
    const quint64 top = FDoneActions.empty() ? 0 : FDoneActions.back()->Serial();
    return FChanged && top != FSavedAction;
}

void TPrintDocument::Clear() {
    DeselectAll();
    TPrintItem::Clear();
    FAsSheet = false;
    FComment.clear();
    FDocScale = 1;
    FFormDesigner.clear();
    FFormFile.clear();
    FFormName.clear();
    FGridStep = 0;
    FIsDesigner = false;
    FStartPage = 1;
}

void TPrintDocument::Empty() {
    Clear();
    FFormDesigner.clear();
    FFormFile.clear();
    FFormName.clear();
    Changed(dcContents);
}

bool TPrintDocument::AcceptItem(TPrintItem*) const { return true; }

void TPrintDocument::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    QTreeWidgetItem* root = tree.AddChild(node, QStringLiteral("Документ"), 0, this);
    TPrintItem::BuildTree(tree, root);
}

void TPrintDocument::AddView(TPrintView* view) {
    if (!FViews.contains(view)) FViews << view;
    if (view->Document() != this) view->SetDocument(this);
}

void TPrintDocument::RemoveView(TPrintView* view) {
    if (!FViews.contains(view)) return;
    OnDetachView(view);
    FViews.removeAll(view);
    if (FMainDevice == &view->Device()) FMainDevice = nullptr;
    if (view->Document() == this) view->SetDocument(nullptr);
}

void TPrintDocument::NotifyViews(TDocChangeEventType type) {
    const QList<TPrintView*> views = FViews;
    for (TPrintView* view : views) view->DocChanged(type);
}

void TPrintDocument::NotifyViews(TDocChangeEventType type, TPrintView* view) {
    const QList<TPrintView*> views = FViews;
    for (TPrintView* other : views)
        if (other != view) other->DocChanged(type, view);
}

void TPrintDocument::Changed(TDocChangeEventType type) {
    if (FLocked) return;
    PrepareDocument();
    if (type == dcOrder || type == dcContents) UpdateTree();
    UpdateSelection();
    FChanged = true;
    NotifyViews(type);
}

void TPrintDocument::Update() {
    NotifyViews(dcUpdate);
    Validate();
}

void TPrintDocument::UpdateViews(bool needPrepare) {
    if (needPrepare) PrepareDocument();
    NotifyViews(dcProperty);
}

TRenderDevice* TPrintDocument::FindMainDevice() const {
    for (TPrintView* view : FViews)
        if (view->MainView()) return &view->Device();
    return nullptr;
}

TPrintItem* TPrintDocument::GetItemAt(const TFloatPoint& point) {
    TPrintItem* hit = nullptr;
    const QList<TPrintItem*> children = Items();
    if (!HasState(psNoChildEdit))
        for (auto it = children.rbegin(); it != children.rend() && !hit; ++it) hit = (*it)->HitTest(point);
    return hit ? hit : this;
}

void TPrintDocument::DeselectAll() {
    const QList<TPrintItem*> selected = FSelection;
    for (TPrintItem* item : selected) item->Select(false);
    Enum([](TPrintItem* item) { item->SetStateFlag(psSelected, false); });
    FSelection.clear();
}

void TPrintDocument::AddToSelection(TPrintItem* item) {
    if (item != this && !FSelection.contains(item)) FSelection << item;
}

void TPrintDocument::RemoveFromSelection(TPrintItem* item) { FSelection.removeAll(item); }

void TPrintDocument::UpdateSelection() {
    FSelection.clear();
    Enum([this](TPrintItem* item) {
        if (item != this && item->Selected()) FSelection << item;
    });
    if (!FSelection.isEmpty()) SelectTreeItem(FSelection.first());
}

void TPrintDocument::RenderCurrentPage(TRenderDevice& device) {
    FCurrentPage = device.PageNo();
    device.BeginPage();
    try {
        Render(device);
    } catch (...) {
        device.EndPage();
        throw;
    }
    device.EndPage();
}

void TPrintDocument::PrepareForOutput() {
    // Laid out for the view first, as a view's first paint would: a freshly
    // read document finishes loading there.
    PrepareDocument();
    if (FDocumentBottom <= 0) throw Exception(EmptyDocument);
}

void TPrintDocument::Print(const QString& title, bool showDialog) {
    PrepareForOutput();
    // The items keep the bounds of the view afterwards, not those of the
    // printer, also when printing fails or is cancelled.
    try {
        PrintPages(title, showDialog);
    } catch (...) {
        PrepareDocument();
        throw;
    }
    PrepareDocument();
}

void TPrintDocument::PrintPages(const QString& title, bool showDialog) {
    TPrinterDevice device;
    if (FIsFixedPageSize) Printers().SetPaperSizeMM(QSizeF(FFixedPageSize));
    LayOut(device);
    int first = 1, last = FPageCount;
    if (showDialog) {
        TPrintDialogOptions options;
        options.Options = poPrintToFile | poPageNums | poWarning;
        options.MinPage = options.FromPage = FStartPage + 1;
        options.MaxPage = options.ToPage = FPageCount + FStartPage;
        if (!Printers().PrintDialog(options)) return;
        switch (options.PrintRange) {
        case prAllPages: break;
        case prPageNums:
            first = options.FromPage - FStartPage;
            last = options.ToPage - FStartPage;
            break;
        case prSelection: return;
        }
    }
    if (last < first) return;
    device.Title = title;
    device.StartPage = first;
    device.StopPage = last;
    TRenderGuard rendering(device, nullptr);
    LayOut(device);
    device.SetPageNo(first);
    for (int page = first; page <= last; ++page) RenderCurrentPage(device);
}

void TPrintDocument::RenderBMP(QImage& bitmap, int dpi) {
    PrepareForOutput();
    // The items keep the bounds of the view afterwards, not those of the
    // export's resolution, also when the export fails.
    try {
        bitmap = RenderPages(dpi);
    } catch (...) {
        PrepareDocument();
        throw;
    }
    PrepareDocument();
}

QImage TPrintDocument::RenderPages(int dpi) {
    TBitmapHiResDevice device(dpi);
    LayOut(device);
    const double x = device.XRes() * device.Scale(), y = device.YRes() * device.Scale();
    QImage image = NewExportImage(std::max(1.0, double(Round(device.PageWidth * x))), std::max(1.0, std::ceil(FDocumentBottom * y)));
    image.fill(Qt::white);
    {
        QPainter canvas(&image);
        TRenderGuard rendering(device, &canvas);
        for (int page = 1; page <= FPageCount; ++page) {
            device.SetPageNo(page);
            RenderCurrentPage(device);
        }
    }
    // The resolution asked for, so that the picture prints at its size. Set
    // only now: the device draws on a canvas of 96 dots per inch, scaled.
    const int dotsPerMeter = int(Round(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

void TPrintDocument::CopySelectionToClipboard() {
    QString text;
    if (!FSelection.isEmpty()) {
        for (TPrintItem* item : FSelection) text += item->GetAsText() + CopySeparator;
    } else if (TPrintItem* item = TreeSelectedItem(); item && item->HasState(psCanCopy)) {
        text = item->GetAsText() + CopySeparator;
    }
    UIServices().Clipboard().SetAsText(text);
}

void TPrintDocument::SetupPrinter() {
    if (!Printers().PrinterSetupDialog()) return;
    PrepareDocument();
    NotifyViews(dcProperty);
}

void TPrintDocument::SetTree(TTreeView* tree) {
    FTree = tree;
    if (FTree) FTree->SetImages(&LayoutNodeImages());
    UpdateTree();
}

void TPrintDocument::UpdateTree() {
    if (!FTree) return;
    FTree->BeginUpdate();
    const TPrintItem* selected = TreeSelectedItem();
    const QUuid selectedID = selected ? selected->ID() : QUuid();
    {
        const QSignalBlocker detached(FTree.data());
        FTree->clear();
        BuildTree(*FTree, nullptr);
        FTree->FullExpand();
    }
    if (!selectedID.isNull())
        if (TPrintItem* item = FindItem(selectedID)) SelectTreeItem(item);
    FTree->EndUpdate();
}

void TPrintDocument::SelectTreeItem(TPrintItem* item) {
    if (!FTree) return;
    const QSignalBlocker detached(FTree.data());
    FTree->SetSelected(FTree->FindNode(item));
}

TPrintItem* TPrintDocument::TreeSelectedItem() const {
    return FTree ? qobject_cast<TPrintItem*>(TTreeView::NodeData(FTree->Selected())) : nullptr;
}

void TPrintDocument::ReadTree(const TStreamObject& tree) {
    const QStringList unknown = ResolveHeadingClasses(tree);
    if (!unknown.isEmpty()) throw EClassNotFound(QStringLiteral("Class %1 not found").arg(unknown.first()));
    // A trial read into a scratch document finds every fault before this
    // document is touched.
    const TClassInfo* cls = FindClassByMeta(metaObject());
    std::unique_ptr<QObject> scratch(cls && cls->Create ? cls->Create(nullptr) : new TPrintDocument());
    ReadComponentTree(tree, AsComponent(scratch.get()));
    scratch.reset();

    const bool wasLocked = FLocked;
    Lock();
    try {
        Clear();
        // Properties the text omits are at their defaults: a new document's.
        const std::unique_ptr<QObject> fresh(cls && cls->Create ? cls->Create(nullptr) : new TPrintDocument());
        const QMetaObject* meta = metaObject();
        SetState(TComponentStateItem::csLoading, true);
        for (int i = TPrintDocument::staticMetaObject.propertyOffset(); i < meta->propertyCount(); ++i) {
            const QMetaProperty p = meta->property(i);
            if (p.isWritable()) p.write(this, p.read(fresh.get()));
        }
        SetState(TComponentStateItem::csLoading, false);
        ReadComponentTree(tree, this);
    } catch (...) {
        SetState(TComponentStateItem::csLoading, false);
        FLocked = wasLocked;
        throw;
    }
    FLocked = wasLocked;
}

void TPrintDocument::ReadFromText(const QString& text) { ReadTree(ParseComponentText(text)); }

TViewCacheEntry* TPrintDocument::FindViewCache(const TPrintView* view) {
    for (const auto& entry : FViewCache)
        if (entry->View == view) return entry.get();
    return nullptr;
}

TViewCacheEntry& TPrintDocument::AddViewCache(TPrintView* view) {
    if (TViewCacheEntry* entry = FindViewCache(view)) return *entry;
    FViewCache.push_back(std::make_unique<TViewCacheEntry>());
    FViewCache.back()->View = view;
    return *FViewCache.back();
}

QSize StrPageSizeToPageSize(const QString& text) {
    if (text.trimmed().isEmpty()) throw Exception(PageSizeMissing);
    QString s = text;
    // Form names may hold commas: the size follows the last one.
    const qsizetype comma = s.lastIndexOf(QStringLiteral(", "));
    if (comma >= 0) s = s.mid(comma + 2);
    qsizetype i = 0;
    auto digits = [&] {
        const qsizetype start = i;
        while (i < s.size() && s.at(i).isDigit() && s.at(i).unicode() < 128) ++i;
        bool ok = false;
        const int value = s.mid(start, i - start).toInt(&ok);
        if (!ok) throw Exception(PageSizeWrong);
        return value;
    };
    const int width = digits();
    ++i;
    while (i < s.size() && !(s.at(i).isDigit() && s.at(i).unicode() < 128)) ++i;
    const int height = digits();
    if (width < 1 || height < 1) throw Exception(PageSizeWrong);
    return QSize(width, height);
}

const TPictureList& LayoutNodeImages() {
    static const TPictureList images = TPictureList::FromFiles(QStringLiteral(":/Plotmere/node"));
    return images;
}

WK_REGISTER_CLASS(TPrintDocument)

}  // namespace Plotmere
