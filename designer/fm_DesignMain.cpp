#include "fm_DesignMain.h"

#include "ClassRegistry.h"
#include "ComponentStreaming.h"
#include "WKConsts.h"
#include "DesignFormFile.h"
#include "DesignerIcons.h"
#include "DsgnSurface.h"
#include "DsgnSurfacePanel.h"
#include "ModalDialogs.h"
#include "ScrollBox.h"
#include "StdCtrls.h"
#include "WKControlDesign.h"
#include "WKFormText.h"
#include "dlg_SelectComp.h"
#include "dlg_SelectFormType.h"
#include "dm_Service.h"
#include "fm_Designed.h"
#include "EditControls.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <algorithm>

namespace {
QAction* MakeAction(QObject* parent, const char* name, const QString& caption, int image, const QString& hint = {},
                    const QKeySequence& key = {}) {
    auto* a = new QAction(caption, parent);
    a->setObjectName(QLatin1String(name));
    if (image >= 0) a->setIcon(DesignerIcon(image));
    if (!hint.isEmpty()) {
        a->setToolTip(hint);
        a->setStatusTip(hint);
    }
    if (!key.isEmpty()) {
        a->setShortcut(key);
        // The edit window is a window of its own: the keys work there too.
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    return a;
}

// The strip is never higher than this.
constexpr int MaxStripHeight = 100;
}  // namespace

template <typename F>
void TfmDesignMain::Guarded(const char* where, F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TfmDesignMain.%1: %2").arg(QLatin1String(where), ExceptionMessage(e)));
        MessageDlg(ExceptionMessage(e), mtError, mbOK);
    }
    UpdateActions();
}

bool TfmDesignMain::SeparateEditWindow() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

TfmDesignMain::TfmDesignMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("fmDesignMain"));
    setWindowTitle(QStringLiteral("Редактор форм"));
    CreateActions();
    CreateMenusAndToolbar();
    if (SeparateEditWindow()) {
        FDesignedWindow = std::make_unique<TfmDesigned>();
        fmDesigned = FDesignedWindow.get();
    } else {
        fmDesigned = new TfmDesigned(nullptr);
        setCentralWidget(fmDesigned);
        resize(800, 600);
    }
    fmDesigned->OnCloseRequest = [this] { close(); };
    CreateDesigner();
    UpdateActions();
}

TfmDesignMain::~TfmDesignMain() {
    // The surface lets go of pnlMain before the edit window goes.
    edMain->SetActive(false);
    delete edMain;
    FDesignedWindow.reset();
}

void TfmDesignMain::CreateActions() {
    actNew = MakeAction(this, "actNew", QStringLiteral("Новая форма"), 0);
    actFileOpen = MakeAction(this, "actFileOpen", QStringLiteral("&Открыть..."), 3, QStringLiteral("Открыть форму"),
                             QKeySequence(QStringLiteral("Ctrl+O")));
    actFileSaveAs = MakeAction(this, "actFileSaveAs", QStringLiteral("Сохранить..."), 4,
                               QStringLiteral("Сохранить форму"), QKeySequence(QStringLiteral("Ctrl+S")));
    actAdd = MakeAction(this, "actAdd", QStringLiteral("Добавить компонент..."), 1, {},
                        QKeySequence(QStringLiteral("Ctrl+I")));
    actDelete = MakeAction(this, "actDelete", QStringLiteral("Удалить компоненты"), 2);
    actSetup = MakeAction(this, "actSetup", QStringLiteral("Свойства компонента"), 5);
    actExit = MakeAction(this, "actExit", QStringLiteral("Выход"), -1);
    connect(actNew, &QAction::triggered, this, [this] { Guarded("actNewExecute", [this] { NewForm(); }); });
    connect(actFileOpen, &QAction::triggered, this,
            [this] { Guarded("actFileOpenExecute", [this] { OpenFormFile(); }); });
    connect(actFileSaveAs, &QAction::triggered, this,
            [this] { Guarded("actFileSaveAsExecute", [this] { SaveFormFile(); }); });
    connect(actAdd, &QAction::triggered, this, [this] { Guarded("actAddExecute", [this] { AddComponent(); }); });
    connect(actDelete, &QAction::triggered, this,
            [this] { Guarded("actDeleteExecute", [this] { DeleteComponents(); }); });
    connect(actSetup, &QAction::triggered, this, [this] { Guarded("actSetupExecute", [this] { SetupComponent(); }); });
    connect(actExit, &QAction::triggered, this, &QWidget::close);
}

void TfmDesignMain::CreateMenusAndToolbar() {
    mmFile = menuBar()->addMenu(QStringLiteral("Файл"));
    mmFile->setObjectName(QStringLiteral("mmFile"));
    mmFile->addActions({actNew, actFileOpen, actFileSaveAs});
    mmFile->addSeparator();
    mmFile->addAction(actExit);
    mmEdit = menuBar()->addMenu(QStringLiteral("Правка"));
    mmEdit->setObjectName(QStringLiteral("mmEdit"));
    mmEdit->addActions({actAdd, actDelete});
    mmEdit->addSeparator();
    mmEdit->addAction(actSetup);
    tbMain = addToolBar(QStringLiteral("tbMain"));
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setMovable(false);
    tbMain->addActions({actNew, actFileOpen, actFileSaveAs});
    tbMain->addSeparator();
    tbMain->addActions({actAdd, actDelete, actSetup});
}

void TfmDesignMain::CreateDesigner() {
    edMain = new TFormDesigner();
    edMain->SetName(QStringLiteral("edMain"));
    edMain->SetDesignPanel(fmDesigned->FormDesignPanel);
    edMain->SetDesignControl(fmDesigned->pnlMain);
    edMain->SetShowingHints({htSize, htMove, htInsert});
    edMain->SetClipboardFormat(QStringLiteral("Designer Format"));
    edMain->OnControlInserting = [this](const TClassInfo*& cls) { cls = ControlClass; };
    edMain->OnControlInserted = [this](TControl* control) {
        // A self-sizing label takes the size it will have wherever the form
        // is read, not the dragged one.
        if (auto* label = qobject_cast<TCustomLabel*>(control)) label->AdjustBounds();
        if (auto* ex = qobject_cast<IControlDesignEx*>(control)) ex->SetIsDateTime(FIsDateTime);
        ControlClass = nullptr;
        UpdateActions();
    };
    edMain->OnDesignFormClose = [this](TCloseAction& action) {
        action = caNone;
        close();
    };
    edMain->OnDblClick = [this] {
        UpdateActions();
        if (actSetup->isEnabled()) actSetup->trigger();
    };
    edMain->OnChangeSelection = [this] { UpdateActions(); };
    edMain->OnModified = [this] { UpdateActions(); };
}

TControl* TfmDesignMain::SelectedSetupControl() const {
    if (!edMain->Active() || edMain->SelectedControls().Count() != 1) return nullptr;
    TControl* c = edMain->SelectedControls().Items(0)->Control();
    return qobject_cast<IControlDesign*>(c) ? c : nullptr;
}

void TfmDesignMain::UpdateActions() {
    const bool active = edMain->Active();
    TFormDesignerSelectedControls& sel = edMain->SelectedControls();
    actDelete->setEnabled(active && sel.Count() > 0 && sel.Items(0)->Control() != fmDesigned->pnlMain);
    actSetup->setEnabled(SelectedSetupControl() != nullptr);
}

void TfmDesignMain::NewForm() {
    TdlgSelectFormType dlg(this);
    if (ShowModal(dlg) != mrOk) return;
    FIsDateTime = dlg.rgType->ItemIndex() == 0;
    if (edMain->Active()) edMain->SelectedControls().ClearExcept(fmDesigned->pnlMain);
    fmDesigned->pnlMain->DestroyComponents();
    if (edMain->Active()) edMain->Modified();
}

void TfmDesignMain::AddComponent() {
    TdlgSelectComp dlg(this);
    if (ShowModal(dlg) != mrOk || dlg.Result.isEmpty()) return;
    ControlClass = nullptr;
    const TClassInfo* cls = dmService ? dmService->GetMetaClass(dlg.Result) : ResolveClass(dlg.Result);
    if (!cls) throw EClassNotFound(QStringLiteral("Class %1 not found").arg(dlg.Result));
    ControlClass = cls;
}

void TfmDesignMain::DeleteComponents() {
    UpdateActions();
    if (actDelete->isEnabled()) edMain->DeleteSelectedControls();
}

void TfmDesignMain::SetupComponent() {
    TControl* c = SelectedSetupControl();
    if (!c) return;
    qobject_cast<IControlDesign*>(c)->Setup();
    edMain->Modified();
}

void TfmDesignMain::OpenFormFile() {
    TFileDialogOptions o;
    o.DefaultExt = QStringLiteral("wkf");
    o.Filter = QStringLiteral("Формы Boremont и Welvista (*.wkf, *.sf2)|*.wkf;*.sf2");
    if (UIServices().OpenFileDialog(o)) OpenFile(o.FileName);
}

void TfmDesignMain::SaveFormFile() {
    TFileDialogOptions o;
    o.DefaultExt = QStringLiteral("wkf");
    o.Filter = QStringLiteral("Формы Boremont (*.wkf)|*.wkf");
    if (UIServices().SaveFileDialog(o)) SaveFile(o.FileName);
}

void TfmDesignMain::OpenFile(const QString& fileName) {
    // Read and checked whole first: a bad file leaves the surface as it was.
    TStreamObject tree;
    try {
        tree = ReadDesignedFormTree(fileName);
    } catch (const std::exception& e) {
        throw Exception(FormFileErrorText(fileName, ExceptionMessage(e)));
    }
    edMain->SetActive(false);
    QStringList problems;
    try {
        LoadDesignedForm(fmDesigned->pnlMain, tree, &problems);
    } catch (const std::exception& e) {
        FormShow();
        throw Exception(FormFileErrorText(fileName, ExceptionMessage(e)));
    }
    FIncompleteFile = problems.isEmpty() ? QString() : QFileInfo(fileName).absoluteFilePath();
    FormShow();
    if (problems.isEmpty()) return;
    QStringList lines;
    for (const QString& problem : problems) lines << FormErrorText(problem);
    MessageDlg(QStringLiteral("Форма %1 прочитана не полностью, эти настройки пропущены:\n%2\n"
                              "Если сохранить форму в этот же файл, они будут потеряны.")
                   .arg(fileName, lines.join(QLatin1Char('\n'))),
               mtWarning, mbOK);
}

void TfmDesignMain::SaveFile(const QString& fileName) {
    const bool overIncomplete = !FIncompleteFile.isEmpty() && QFileInfo(fileName).absoluteFilePath() == FIncompleteFile;
    if (overIncomplete &&
        MessageDlg(QStringLiteral("Файл %1 был прочитан не полностью: настройки, которые не удалось прочитать, "
                                  "будут потеряны. Записать форму поверх него?")
                       .arg(fileName),
                   mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    SaveForm(fmDesigned->pnlMain, fileName);
    if (overIncomplete) FIncompleteFile.clear();
}

int TfmDesignMain::StripHeight() const {
    const int menu = menuBar()->isVisible() ? menuBar()->sizeHint().height() : 0;
    return std::min(MaxStripHeight, menu + tbMain->sizeHint().height());
}

void TfmDesignMain::PlaceWindows() {
    if (!SeparateEditWindow() || FPlacing) return;
    FPlacing = true;
    const QRect screenRect = screen()->availableGeometry();
    move(screenRect.topLeft());
    resize(screenRect.width() - (frameGeometry().width() - width()), StripHeight());
    // The edit window's frame, not only its client area, goes below the strip
    // and across the screen.
    const int top = frameGeometry().top() + frameGeometry().height();
    const QRect frame = fmDesigned->frameGeometry(), client = fmDesigned->geometry();
    const int ml = client.left() - frame.left(), mt = client.top() - frame.top();
    const int dw = frame.width() - client.width(), dh = frame.height() - client.height();
    fmDesigned->SetBounds(screenRect.left() + ml, top + mt, screenRect.width() - dw,
                          std::max(200, screenRect.bottom() + 1 - top) - dh);
    FPlacing = false;
}

void TfmDesignMain::FormShow() {
    // Shown first: its frame is known once it is a window on the screen.
    if (FDesignedWindow) fmDesigned->show();
    PlaceWindows();
    if (!edMain->Active()) {
        edMain->SetDesignControl(fmDesigned->pnlMain);
        edMain->SetActive(true);
    }
    UpdateActions();
}

void TfmDesignMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    FormShow();
}

void TfmDesignMain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (SeparateEditWindow() && !FPlacing && isVisible() && height() != StripHeight()) PlaceWindows();
}

void TfmDesignMain::closeEvent(QCloseEvent* e) {
    QMainWindow::closeEvent(e);
    // The edit window goes with the strip, so the program ends with it.
    if (e->isAccepted() && FDesignedWindow) fmDesigned->hide();
}
