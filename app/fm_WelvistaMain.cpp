#include "fm_WelvistaMain.h"

#include "DebugOutput.h"
#include "DesktopFiles.h"
#include "ExeInfo.h"
#include "FormFiles.h"
#include "ImgList.h"
#include "MainIcons.h"
#include "MainWindowHost.h"
#include "Messages.h"
#include "ModalDialogs.h"
#include "RegIniFile.h"
#include "SketchDLLMan.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKHints.h"
#include "WKSpecialImages.h"
#include "WKFormText.h"
#include "WKWells.h"
#include "dlg_InputString.h"
#include "fm_About.h"
#include "dlg_SelectWell.h"
#include "dm_Wells.h"
#include "fm_BaseMDIForm.h"
#include "fm_SaveDesktop.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
// The border each of the three border commands sets, as its tag.
constexpr int TagNoBorder = TForm::bsNone;
constexpr int TagSizeable = TForm::bsSizeable;
constexpr int TagSizeToolWin = TForm::bsSizeToolWin;

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QKeySequence& key = {}) {
    auto* a = new QAction(caption, owner);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
}

TBaseMDIForm* MonitoringFormOf(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (auto* f = qobject_cast<TBaseMDIForm*>(w)) return f;
    return nullptr;
}

// The setup entries of the data-source systems that offer one, under "Настройка".
void AddSketchSetupMenu(QMenu& menu) {
    const Welvista::TPluginManager& plugins = Welvista::PluginManager();
    const auto list = plugins.GetSysSetupList();
    for (int i = 0; i < list.size(); ++i) {
        QAction* a = menu.addAction(QStringLiteral("Настройка источника данных ") + list[i].first + QStringLiteral("..."));
        a->setData(i);
        Welvista::TSystemLibrary* system = list[i].second;
        QObject::connect(a, &QAction::triggered, a, [system] {
            try {
                system->Setup();
            } catch (const std::exception& e) {
                DebugLog(QStringLiteral("TfmMain.SketchSetupClick: ") + ExceptionMessage(e));
                MessageDlg(ExceptionMessage(e), mtError, mbOK);
            }
        });
    }
}

// Runs a command so that a failure shows its message and the window goes on.
template <typename F>
void Guarded(const char* where, F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TfmMain.%1: %2").arg(QLatin1String(where), ExceptionMessage(e)));
        MessageDlg(ExceptionMessage(e), mtError, mbOK);
    }
}
// A reading error of a desktop's form section for the user: the line numbers
// count within the section, not the file, and would only mislead.
QString SectionErrorText(const QString& message) {
    static const QRegularExpression line(QStringLiteral("^Line \\d+: "));
    return FormErrorText(QString(message).remove(line));
}
}  // namespace

TfmMain::TfmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(QStringLiteral("Welvista"));
    CreateActions();
    CreateMenusAndToolbar();
    resize(800, 600);
    SetMainWindow(this);
    FMenuHost = std::make_unique<TMainWindowMenuHost>(this);
    SetMainWindowHost(FMenuHost.get());
    OutputDebugString(QStringLiteral("Welvista: loaded"));
    ReadWindowState();
    OutputDebugString(QStringLiteral("Welvista: main loaded"));
    FormCreate();
    AddWellDatabaseCommand();
}

void TfmMain::AddWellDatabaseCommand() {
    actConnectWells = MakeAction(this, "actConnectWells", QStringLiteral("Подключить базу данных скважин"));
    mmFile->insertAction(actSelectWell, actConnectWells);
    connect(actConnectWells, &QAction::triggered, this, &TfmMain::OpenWellDatabase);
    SetWellDatabaseRetry([self = QPointer<TfmMain>(this)] {
        if (self) self->OpenWellDatabase();
    });
}

void TfmMain::OpenWellDatabase() {
    // A database that still answers is kept; one lost under its connection is opened again.
    if (FClosed || (FWells && FWells->Answers())) return;
    // Modules that use the database take it up when it opens (and leave the old one first).
    FWells.reset();
    try {
        FWells = CreateWellsModule();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TfmMain.OpenWellDatabase: ") + ExceptionMessage(e));
        FWells.reset();
    }
}

TfmMain::~TfmMain() {
    if (!FClosed) FormClose();
    SetWellDatabaseRetry({});
    if (MainWindowHost() == FMenuHost.get()) SetMainWindowHost(nullptr);
    if (MainWindow() == this) SetMainWindow(nullptr);
}

void TfmMain::CreateActions() {
    actFileNew = MakeAction(this, "actFileNew", QStringLiteral("Новая форма..."), QKeySequence(QStringLiteral("Ctrl+N")));
    actFormOpen = MakeAction(this, "actFormOpen", QStringLiteral("&Открыть форму или набор форм..."),
                             QKeySequence(QStringLiteral("Ctrl+O")));
    actLoadData = MakeAction(this, "actLoadData", QStringLiteral("Открыть набор данных..."), QKeySequence(QStringLiteral("Ctrl+L")));
    actSelectWell = MakeAction(this, "actSelectWell", QStringLiteral("Выбор скважины..."), QKeySequence(QStringLiteral("Ctrl+W")));
    actSaveForm = MakeAction(this, "actSaveForm", QStringLiteral("Сохранить форму..."), QKeySequence(QStringLiteral("Ctrl+S")));
    actSaveDesktop = MakeAction(this, "actSaveDesktop", QStringLiteral("Сохранить набор форм..."),
                                QKeySequence(QStringLiteral("Ctrl+Alt+S")));
    actSaveDesktopFile = MakeAction(this, "actSaveDesktopFile", QStringLiteral("Сохранить набор форм в файл..."),
                                    QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    actDeleteDesktop = MakeAction(this, "actDeleteDesktop", QStringLiteral("Удалить набор форм..."));
    actFileChangeFormCaption = MakeAction(this, "actFileChangeFormCaption", QStringLiteral("Изменить заголовок формы..."),
                                          QKeySequence(QStringLiteral("Ctrl+R")));
    actFileClose = MakeAction(this, "actFileClose", QStringLiteral("Закрыть"));
    actFileExit = MakeAction(this, "actFileExit", QStringLiteral("Выход"));
    actViewNormalBorder = MakeAction(this, "actViewNormalBorder", QStringLiteral("Обычная рамка"), QKeySequence(QStringLiteral("Ctrl+2")));
    actViewNoBorder = MakeAction(this, "actViewNoBorder", QStringLiteral("Без рамки"), QKeySequence(QStringLiteral("Ctrl+1")));
    actViewSmallBorder = MakeAction(this, "actViewSmallBorder", QStringLiteral("Маленькая рамка"), QKeySequence(QStringLiteral("Ctrl+3")));
    actViewShowScales = MakeAction(this, "actViewShowScales", QStringLiteral("Скрыть/Показать шкалы"), QKeySequence(QStringLiteral("Ctrl+H")));
    actMDI = MakeAction(this, "actMDI", QStringLiteral("Многооконный интерфейс"));
    actAbout = MakeAction(this, "actAbout", QStringLiteral("О программе..."));

    actViewNormalBorder->setData(TagSizeable);
    actViewNoBorder->setData(TagNoBorder);
    actViewSmallBorder->setData(TagSizeToolWin);
    for (QAction* a : {actViewNormalBorder, actViewNoBorder, actViewSmallBorder}) a->setCheckable(true);
    actMDI->setCheckable(true);

    connect(actFileNew, &QAction::triggered, this, [this] { Guarded("actFileNewExecute", [this] { NewForm(); }); });
    connect(actFormOpen, &QAction::triggered, this, [this] { Guarded("actFormOpenExecute", [this] { OpenFormCommand(); }); });
    connect(actLoadData, &QAction::triggered, this, [this] {
        Guarded("actLoadDataExecute", [this] {
            if (FActiveForm && FormKindHooks().LoadData) FormKindHooks().LoadData(FActiveForm);
        });
    });
    connect(actSelectWell, &QAction::triggered, this, [this] { Guarded("actSelectWellExecute", [this] { SelectWell(); }); });
    connect(actSaveForm, &QAction::triggered, this, [this] { Guarded("actSaveFormExecute", [this] { SaveFormCommand(); }); });
    connect(actSaveDesktop, &QAction::triggered, this, [this] { Guarded("actSaveDesktopExecute", [this] { SaveDesktopCommand(); }); });
    connect(actSaveDesktopFile, &QAction::triggered, this,
            [this] { Guarded("actSaveDesktopFileExecute", [this] { SaveDesktopFileCommand(); }); });
    connect(actDeleteDesktop, &QAction::triggered, this,
            [this] { Guarded("actDeleteDesktopExecute", [this] { DeleteDesktopCommand(); }); });
    connect(actFileChangeFormCaption, &QAction::triggered, this,
            [this] { Guarded("actFileChangeFormCaptionExecute", [this] { ChangeCaptionCommand(); }); });
    connect(actFileClose, &QAction::triggered, this, [this] {
        if (FActiveForm) FActiveForm->Close();
        UpdateActions();
    });
    connect(actFileExit, &QAction::triggered, this, &QWidget::close);
    for (QAction* a : {actViewNormalBorder, actViewNoBorder, actViewSmallBorder})
        connect(a, &QAction::triggered, this, [this, a] { SetActiveFormBorder(a->data().toInt()); });
    connect(actViewShowScales, &QAction::triggered, this, [this] {
        Guarded("actViewShowScalesExecute", [this] {
            if (FActiveForm && FormKindHooks().ToggleScales) FormKindHooks().ToggleScales(FActiveForm);
        });
    });
    connect(actMDI, &QAction::triggered, this, [this] { Guarded("actMDIExecute", [this] { ToggleMultiWindow(); }); });
    connect(actAbout, &QAction::triggered, this, &TfmMain::About);
}

void TfmMain::CreateMenusAndToolbar() {
    tbMain = addToolBar(QStringLiteral("tbMain"));
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setMovable(false);
    for (QAction* a : {actFileNew, actSelectWell, actFormOpen, actSaveForm, actSaveDesktop}) tbMain->addAction(a);
    tbMain->addSeparator();
    tbMain->addAction(actLoadData);
    tbMain->addSeparator();
    cbDesktops = new QComboBox(tbMain);
    cbDesktops->setObjectName(QStringLiteral("cbDesktops"));
    cbDesktops->setFixedWidth(160);
    tbMain->addWidget(cbDesktops);
    connect(cbDesktops, &QComboBox::activated, this, [this](int index) {
        Guarded("cbDesktopsChange", [this, index] { LoadDesktopByName(cbDesktops->itemText(index)); });
    });

    mmFile = menuBar()->addMenu(QStringLiteral("Файл"));
    mmFile->addActions({actFileNew, actFormOpen, actLoadData, actSelectWell});
    mmFile->addSeparator();
    mmFile->addActions({actSaveForm, actSaveDesktop, actSaveDesktopFile, actDeleteDesktop, actFileChangeFormCaption,
                        actFileClose});
    mmFile->addSeparator();
    mmFile->addAction(actFileExit);
    mmView = menuBar()->addMenu(QStringLiteral("Вид"));
    mmView->addActions({actViewNormalBorder, actViewNoBorder, actViewSmallBorder});
    mmView->addSeparator();
    mmView->addActions({actViewShowScales, actMDI});
    mmSetup = menuBar()->addMenu(QStringLiteral("Настройка"));
    mmHelp = menuBar()->addMenu(QStringLiteral("Помощь"));
    mmHelp->addAction(actAbout);
    for (QMenu* m : {mmFile, mmView, mmSetup, mmHelp})
        connect(m, &QMenu::aboutToShow, this, &TfmMain::UpdateActions);
    // Enabled once a plug-in or service put an entry under it.
    connect(mmSetup, &QMenu::aboutToShow, this, [this] { mmSetup->setEnabled(!mmSetup->isEmpty()); });

    pcDock = new QTabWidget(this);
    pcDock->setObjectName(QStringLiteral("pcDock"));
    pcDock->setMovable(true);  // pages are reordered by dragging their tabs
    pcDock->setVisible(false);
    setCentralWidget(pcDock);
    pmDock = new QMenu(this);
    pmDock->addActions({actFileChangeFormCaption, actSelectWell});
    pmDock->addSeparator();
    pmDock->addAction(actFileClose);
    pcDock->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pcDock, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { pmDock->popup(pcDock->mapToGlobal(p)); });
    connect(pcDock, &QTabWidget::currentChanged, this, [this] {
        ApplyActiveFormRule();
        if (FActiveForm) FActiveForm->Activate();
        UpdateActions();
    });
}

void TfmMain::FormCreate() {
    DebugLog(QStringLiteral("Welvista: FormCreate enter"));
    // The program's folder and its plug-ins beside the search path of the
    // libraries that plug-ins load.
    const QString path = qEnvironmentVariable("PATH");
    qputenv("PATH", (path + QLatin1Char(':') + WKAppPath() + QLatin1Char(':') + WKAppPath() + QStringLiteral("Plugins/"))
                        .toLocal8Bit());
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FormActivated(now); });
    DebugLog(QStringLiteral("Welvista: activate plugins"));
    Welvista::ActivatePlugins();
    CreateImages();
    AddSketchSetupMenu(*mmSetup);
    DebugLog(QStringLiteral("Welvista: FormCreate exit"));
}

void TfmMain::CreateImages() {
    FImages = std::make_unique<TCustomImageList>();
    FImages->SetWidth(16);
    FImages->SetHeight(16);
    FImages->SetColorDepth(TCustomImageList::cd32Bit);
    for (const QImage& image : MainCommandIcons()) FImages->Add(image);
    FDisabledImages.reset(CreateSpecialImageList(FImages.get(), 0.0f, 0.1f, 1.0f, 0.5f));
    ilMain = FImages.get();
    ilMainDisabled = FDisabledImages.get();
    const std::pair<QAction*, TMainIcon> commands[] = {
        {actFileNew, miNewForm},     {actSelectWell, miSelectWell},   {actFormOpen, miOpenForm},
        {actSaveForm, miSaveForm},   {actSaveDesktop, miSaveDesktop}, {actLoadData, miLoadData}};
    for (const auto& [action, index] : commands) {
        QIcon icon(QPixmap::fromImage(ilMain->Image(index)));
        if (ilMainDisabled) icon.addPixmap(QPixmap::fromImage(ilMainDisabled->Image(index)), QIcon::Disabled);
        action->setIcon(icon);
    }
    // Pictures only, the captions as tips: the desktop list fits at 800 pixels.
    tbMain->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbMain->setIconSize(QSize(16, 16));
}

void TfmMain::FormActivated(QWidget* now) {
    // Only a monitoring form becomes the active one; other windows leave it.
    if (TBaseMDIForm* form = MonitoringFormOf(now); form && form->Floating()) {
        FActiveForm = form;
        UpdateActions();
    }
}

// --- window state -----------------------------------------------------------------

void TfmMain::ReadWindowState() {
    TRegIniFile reg(WelvistaRegistryKey);
    const bool multi = reg.ReadBool(MainFormSection, QStringLiteral("MDI"), false);
    actMDI->setChecked(multi);
    SetMultiWindow(multi, true);
    if (!reg.SectionExists(MainFormSection)) return;
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
    int left = reg.ReadInteger(MainFormSection, QStringLiteral("Left"), 0);
    if (left < 0 || left >= screen.width()) left = 0;
    int top = reg.ReadInteger(MainFormSection, QStringLiteral("Top"), 0);
    if (top < 0 || top >= screen.height()) top = 0;
    int width = reg.ReadInteger(MainFormSection, QStringLiteral("Width"), 100);
    if (width <= 100) width = 100;
    setGeometry(left, top, width, height());
    const int state = reg.ReadInteger(MainFormSection, QStringLiteral("State"), 0);
    if (state == 2) setWindowState(Qt::WindowMaximized);
    else if (state == 0) setWindowState(Qt::WindowNoState);
}

void TfmMain::WriteWindowState() {
    TRegIniFile reg(WelvistaRegistryKey);
    reg.Update([&] {
        reg.WriteBool(MainFormSection, QStringLiteral("MDI"), actMDI->isChecked());
        const int state = isMaximized() ? 2 : isMinimized() ? 1 : 0;
        reg.WriteInteger(MainFormSection, QStringLiteral("State"), state);
        const QRect normal = state == 0 ? geometry() : normalGeometry();
        reg.WriteInteger(MainFormSection, QStringLiteral("Left"), normal.left());
        reg.WriteInteger(MainFormSection, QStringLiteral("Top"), normal.top());
        reg.WriteInteger(MainFormSection, QStringLiteral("Width"), normal.width());
    });
}

// --- start and close -----------------------------------------------------------------

void TfmMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (FShown) return;
    FShown = true;
    FormShow();
}

void TfmMain::FormShow() {
    DebugLog(QStringLiteral("Welvista: FormShow enter"));
    DebugLog(QStringLiteral("Welvista: Create primary services"));
    PrimaryServices = std::make_unique<TPrimarySerivces>(QStringLiteral("Welvista"));
    DebugLog(QStringLiteral("Welvista: Create secondary services"));
    SecondaryServices = std::make_unique<TSecondaryServices>(QStringLiteral("Welvista"));
    SecondaryServices->AddNotification(this);
    DebugLog(QStringLiteral("Welvista: open database"));
    if (QDir(WKAppPath() + QStringLiteral("Plugins")).exists()) OpenWellDatabase();
    DebugLog(QStringLiteral("Welvista: start logging"));
    NotifyServices(seStartLogging, nullptr);
    TExeInfo info;
    AddHint(hcInformation, QStringLiteral("О программе"), QStringLiteral("Welvista v") + info.FileVersion());
    DebugLog(QStringLiteral("Welvista: load desktops"));
    FillDesktopList(QString());
    Guarded("FormShow", [this] { LoadDesktopByName(DefaultDesktopName); });
    UpdateActions();
    DebugLog(QStringLiteral("Welvista: FormShow exit"));
}

void TfmMain::closeEvent(QCloseEvent* e) {
    FormClose();
    QMainWindow::closeEvent(e);
}

void TfmMain::FormClose() {
    if (FClosed) return;
    FClosed = true;
    Guarded("FormClose", [this] { WriteWindowState(); });
    // A failed save is told and the close goes on: forms and services are
    // freed whatever became of the desktop.
    Guarded("FormClose", [this] { SaveDesktop(DefaultDesktopName); });
    FActiveForm = nullptr;
    const QList<TForm*> forms = Forms();
    for (int i = forms.size() - 1; i >= 0; --i) delete forms[i];
    RemoveEmptyPages();
    if (SecondaryServices) SecondaryServices->RemoveNotification(this);
    SecondaryServices.reset();
    PrimaryServices.reset();
    FWells.reset();
}

// --- hosting modes -----------------------------------------------------------------

bool TfmMain::MultiWindow() const { return actMDI->isChecked(); }

void TfmMain::SetMultiWindow(bool multiWindow, bool initial) {
    pcDock->setVisible(!multiWindow);
    if (multiWindow) {
        setMinimumWidth(340);
        const int h = menuBar()->sizeHint().height() + tbMain->sizeHint().height();
        setMinimumHeight(h);
        setMaximumHeight(h);
        resize(width(), h);
    } else {
        setMinimumSize(0, 0);
        setMaximumHeight(QWIDGETSIZE_MAX);
        if (!initial) {
            if (height() < 400) resize(800, 600);
            if (isMaximized()) {
                showNormal();
                showMaximized();
            }
        }
    }
}

QList<TBaseMDIForm*> TfmMain::MonitoringForms() const {
    QList<TBaseMDIForm*> list;
    for (TForm* f : Forms())
        if (auto* m = qobject_cast<TBaseMDIForm*>(f)) list << m;
    return list;
}

TBaseMDIForm* TfmMain::PageForm(int index) const {
    QWidget* page = pcDock->widget(index);
    if (!page) return nullptr;
    for (QObject* child : page->children())
        if (auto* w = qobject_cast<QWidget*>(child)) return qobject_cast<TBaseMDIForm*>(w);
    return nullptr;
}

void TfmMain::FloatForm(TBaseMDIForm* form, const QRect& rect) {
    form->SetAlign(TControl::alNone);
    form->SetBorderStyle(TForm::bsSizeable);
    form->SetDragKind(TForm::dkDrag);
    form->ManualFloat(rect);
}

void TfmMain::ToggleMultiWindow() {
    const bool multi = actMDI->isChecked();
    // Pages going away must not take the active form with them: floated, it
    // stays the one the commands act on.
    const QPointer<TBaseMDIForm> active = FActiveForm;
    QRect rect(100, 100, 300, 300);
    for (TBaseMDIForm* form : MonitoringForms()) {
        if (multi) {
            FloatForm(form, rect);
            rect.translate(50, 50);
        } else {
            DockForm(form);
        }
    }
    RemoveEmptyPages();
    SetMultiWindow(multi, false);
    if (multi) FActiveForm = active;
    else ApplyActiveFormRule();
    UpdateActions();
}

void TfmMain::DockForm(TBaseMDIForm* form) {
    auto* page = new QWidget();
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    form->ManualDock(page);
    // A docked form fills its page, and its stored text says so: a form file
    // saved now opens as a free window of its own in multi-window mode.
    form->SetAlign(TControl::alClient);
    layout->addWidget(form);
    const int index = pcDock->addTab(page, form->Caption());
    connect(form, &QWidget::windowTitleChanged, page, [this, page](const QString& title) {
        const int i = pcDock->indexOf(page);
        if (i >= 0) pcDock->setTabText(i, title);
    });
    // A freed form leaves no empty page behind.
    connect(form, &QObject::destroyed, page, [page] { page->deleteLater(); });
    pcDock->setCurrentIndex(index);
    pcDock->tabBar()->setVisible(true);
}

void TfmMain::RemoveEmptyPages() {
    for (int i = pcDock->count() - 1; i >= 0; --i)
        if (!PageForm(i)) delete pcDock->widget(i);
}

void TfmMain::ApplyActiveFormRule() {
    if (!pcDock->isVisible() && !pcDock->isVisibleTo(this)) return;
    FActiveForm = pcDock->currentIndex() >= 0 ? PageForm(pcDock->currentIndex()) : nullptr;
}

bool TfmMain::event(QEvent* e) {
    if (TWKMessage::IsWKMessage(e)) {
        auto* msg = static_cast<TWKMessage*>(e);
        // Only the sent messages carry a form that surely still exists; a
        // posted 1046 may arrive after its form was freed and is not looked at.
        if (msg->Msg() != WM_FORMCLOSING && msg->Msg() != WM_FORMSHOWING) return true;
        auto* form = qobject_cast<TBaseMDIForm*>(msg->LParam().value<QObject*>());
        if (msg->Msg() == WM_FORMCLOSING) {
            if (form && form == FActiveForm) FActiveForm = nullptr;
            msg->Handled = true;
            return true;
        }
        if (msg->Msg() == WM_FORMSHOWING) {
            if (form && !FLoadingDesktop && !MultiWindow() && form->Floating()) DockForm(form);
            msg->Handled = true;
        }
        return true;
    }
    return QMainWindow::event(e);
}

// --- commands -----------------------------------------------------------------

void TfmMain::UpdateActions() {
    TBaseMDIForm* form = FActiveForm;
    const auto& hooks = FormKindHooks();
    const bool review = form && hooks.IsReviewForm && hooks.IsReviewForm(form);
    actLoadData->setEnabled(review);
    actSelectWell->setEnabled(form && !review);
    actSaveForm->setEnabled(form);
    actSaveDesktop->setEnabled(!MonitoringForms().isEmpty());
    actDeleteDesktop->setEnabled(cbDesktops->count() > 1);
    actFileChangeFormCaption->setEnabled(form);
    actFileClose->setEnabled(form);
    for (QAction* a : {actViewNormalBorder, actViewNoBorder, actViewSmallBorder}) {
        a->setEnabled(MultiWindow() && form);
        a->setChecked(form && int(form->BorderStyle()) == a->data().toInt());
    }
    actViewShowScales->setEnabled(form && hooks.HasChart && hooks.HasChart(form));
}

void TfmMain::SetActiveFormBorder(int borderStyle) {
    if (FActiveForm) FActiveForm->SetBorderStyle(TForm::TFormBorderStyle(borderStyle));
    UpdateActions();
}

void TfmMain::NewForm() {
    if (FormKindHooks().NewForm) FormKindHooks().NewForm(*this);
    ApplyActiveFormRule();
    UpdateActions();
}

void TfmMain::OpenFormCommand() {
    TFileDialogOptions o;
    o.DefaultExt = QStringLiteral(".sf2");
    o.Filter = QStringLiteral("Формы Welvista|*.sf2;*.wkf;*.sd2");
    o.MustExist = true;
    if (UIServices().OpenFileDialog(o)) OpenFile(o.FileName);
}

bool TfmMain::ChooseComplexFormFile(QString& fileName) {
    TFileDialogOptions o;
    o.DefaultExt = QStringLiteral("wkf");
    o.Filter = QStringLiteral("Формы Boremont (*.wkf)|*.wkf");
    o.MustExist = true;
    if (!UIServices().OpenFileDialog(o)) return false;
    fileName = o.FileName;
    return true;
}

void TfmMain::SaveFormCommand() {
    if (!FActiveForm) return;
    TFileDialogOptions o;
    o.Title = QStringLiteral("Сохранить форму");
    o.DefaultExt = QStringLiteral(".sf2");
    o.Filter = QStringLiteral("Формы Welvista (*.sf2)|*.sf2");
    o.OverwritePrompt = true;
    if (UIServices().SaveFileDialog(o)) SaveFormAs(o.FileName);
}

void TfmMain::SaveFormAs(const QString& fileName) {
    if (FActiveForm) SaveFormFile(FActiveForm, fileName);
}

void TfmMain::SaveDesktopCommand() {
    TfmSaveDesktop dialog(this);
    QStringList names;
    for (int i = 0; i < cbDesktops->count(); ++i) names << cbDesktops->itemText(i);
    dialog.SetNames(names);
    if (ShowModal(dialog) != mrOk) return;
    SaveDesktop(dialog.DesktopName());
    // Listed under the name it was saved as.
    FillDesktopList(CleanDesktopName(dialog.DesktopName()));
    UpdateActions();
}

void TfmMain::SaveDesktopFileCommand() {
    TFileDialogOptions o;
    o.DefaultExt = QStringLiteral("sd2");
    o.Filter = QStringLiteral("Файлы наборов форм  (*.sd2)|*.sd2");
    o.OverwritePrompt = true;
    if (UIServices().SaveFileDialog(o)) SaveDesktopToFile(o.FileName);
}

void TfmMain::DeleteDesktopCommand() {
    TfmSaveDesktop dialog(this);
    QStringList names;
    for (int i = 0; i < cbDesktops->count(); ++i) names << cbDesktops->itemText(i);
    dialog.PrepareForDeletion(names, cbDesktops->currentIndex());
    if (ShowModal(dialog) != mrOk) return;
    DeleteDesktop(dialog.DesktopName());
    FillDesktopList(QString());
    UpdateActions();
}

void TfmMain::ChangeCaptionCommand() {
    if (!FActiveForm) return;
    QString caption;
    if (TdlgInputString::Input(QStringLiteral("Изменение заголовка формы"), QStringLiteral("Заголовок формы"),
                               FActiveForm->ShortCaption(), caption))
        FActiveForm->SetShortCaption(caption);
}

void TfmMain::SelectWell() {
    TBaseMDIForm* form = FActiveForm;
    if (!form) return;
    TdlgSelectWell dialog(Wells(), form->WellID(), this);
    if (ShowModal(dialog) != mrOk) return;
    const TWellChoice choice = WellChoiceOf(dialog.SelectedWell());
    form->SetWellName(choice.WellName);
    form->SetWellID(choice.WellID);
    ActivateFormWells();
    NotifyServices(seBindStreams, nullptr);
}

void TfmMain::ActivateFormWells() {
    QStringList ids;
    for (TBaseMDIForm* form : MonitoringForms())
        if (!form->WellID().isEmpty()) ids << form->WellID();
    if (Wells().ActivateWells(ids)) NotifyServices(seRequestWells, nullptr);
}

void TfmMain::Notify(TServiceEvent Event, void*) {
    if (Event == seWellsChanged) ActivateFormWells();
}

void TfmMain::About() {
    TExeInfo info;
    TfmAbout about(info, this);
    ShowModal(about);
}

// --- desktops and files -----------------------------------------------------------

void TfmMain::FillDesktopList(const QString& preferred) {
    const QString wanted = preferred.isEmpty() ? cbDesktops->currentText() : preferred;
    cbDesktops->clear();
    cbDesktops->addItems(DesktopNames(DesktopsFolder()));
    const int index = cbDesktops->findText(wanted);
    if (index >= 0) cbDesktops->setCurrentIndex(index);
}

void TfmMain::LoadDesktopByName(const QString& name) {
    LoadDesktopFile(DesktopsFolder() + name + DesktopExt);
    const int index = cbDesktops->findText(name);
    if (index >= 0) cbDesktops->setCurrentIndex(index);
}

void TfmMain::FreeMonitoringForms() {
    FActiveForm = nullptr;
    const QList<TBaseMDIForm*> forms = MonitoringForms();
    for (int i = forms.size() - 1; i >= 0; --i) delete forms[i];
    RemoveEmptyPages();
    FActiveForm = nullptr;
}

void TfmMain::LoadDesktopFile(const QString& fileName) {
    FreeMonitoringForms();
    const TDesktopContent content = ReadDesktopFile(fileName);
    FLoadingDesktop = true;
    QStringList losses;
    try {
        const bool multi = content.ActivePage == MultiWindowActivePage;
        if (multi != MultiWindow()) {
            actMDI->setChecked(multi);
            ToggleMultiWindow();
        }
        for (int i = content.Forms.size() - 1; i >= 0; --i) {
            try {
                QStringList problems;
                TBaseMDIForm* form = ReadMonitoringForm(content.Forms[i].join(QStringLiteral("\r\n")), &problems);
                for (const QString& problem : problems)
                    losses << QStringLiteral("форма «%1», %2").arg(form->ShortCaption(), SectionErrorText(problem));
                if (multi) form->ShowForm();
                else DockForm(form);
            } catch (const std::exception& e) {
                // One bad section costs only its own form.
                DebugLog(QStringLiteral("TfmMain.LoadDesktopFile: [%1] %2").arg(i).arg(ExceptionMessage(e)));
                losses << QStringLiteral("форма [%1] %2: %3")
                              .arg(i)
                              .arg(content.Forms[i].value(0), SectionErrorText(ExceptionMessage(e)));
            }
        }
        if (!multi && pcDock->count() > 0)
            pcDock->setCurrentIndex(content.ActivePage >= 0 && content.ActivePage < pcDock->count() ? content.ActivePage : 0);
        ActivateFormWells();
    } catch (...) {
        FLoadingDesktop = false;
        ApplyActiveFormRule();
        throw;
    }
    FLoadingDesktop = false;
    ApplyActiveFormRule();
    UpdateActions();
    ReportDesktopLosses(fileName, losses);
}

void TfmMain::ReportDesktopLosses(const QString& fileName, const QStringList& losses) {
    const QString file = QFileInfo(fileName).absoluteFilePath();
    if (losses.isEmpty()) {
        FUncopiedDesktops.remove(file);
        return;
    }
    QString kept;
    try {
        kept = QStringLiteral("Исходный файл сохранён как %1.").arg(KeepDesktopCopy(fileName));
    } catch (const std::exception& e) {
        FUncopiedDesktops.insert(file);
        kept = QStringLiteral("Копию исходного файла сделать не удалось (%1); файл не будет перезаписан.")
                   .arg(ExceptionMessage(e));
    }
    MessageDlg(QStringLiteral("Набор форм %1 прочитан не полностью:\n%2\n%3")
                   .arg(fileName, losses.join(QLatin1Char('\n')), kept),
               mtWarning, mbOK);
}

void TfmMain::SaveDesktop(const QString& name) { WriteDesktop(DesktopFileName(name)); }

void TfmMain::SaveDesktopToFile(const QString& fileName) { WriteDesktop(fileName); }

void TfmMain::WriteDesktop(const QString& file) {
    const TDesktopContent content = CurrentDesktop();
    const QString absolute = QFileInfo(file).absoluteFilePath();
    if (FUncopiedDesktops.contains(absolute)) {
        // The original goes aside first, or nothing is written over it.
        try {
            KeepDesktopCopy(file);
        } catch (const std::exception& e) {
            throw Exception(QStringLiteral("Набор форм %1 не сохранён: он был прочитан не полностью, а копию "
                                           "исходного файла сделать не удалось (%2).")
                                .arg(file, ExceptionMessage(e)));
        }
        FUncopiedDesktops.remove(absolute);
    }
    WriteDesktopFile(file, content);
}

TDesktopContent TfmMain::CurrentDesktop() const {
    TDesktopContent content;
    QList<TBaseMDIForm*> forms;
    if (MultiWindow()) {
        content.ActivePage = MultiWindowActivePage;
        forms = MonitoringForms();
    } else {
        content.ActivePage = pcDock->isVisible() || pcDock->isVisibleTo(this) ? pcDock->currentIndex() : -1;
        for (int i = pcDock->count() - 1; i >= 0; --i)
            if (TBaseMDIForm* f = PageForm(i)) forms << f;
    }
    for (TBaseMDIForm* form : forms)
        content.Forms << MonitoringFormText(form).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    return content;
}

void TfmMain::DeleteDesktop(const QString& name) { QFile::remove(DesktopsFolder() + name + DesktopExt); }

void TfmMain::OpenFile(const QString& fileName) {
    const QString ext = QFileInfo(fileName).suffix().toUpper();
    if (ext == QStringLiteral("SD2")) {
        LoadDesktopFile(fileName);
    } else if (ext == QStringLiteral("WKF")) {
        if (!FormKindHooks().CreateComplexForm)
            throw Exception(QStringLiteral("Составные формы здесь не открываются: %1").arg(fileName));
        TBaseMDIForm* form = nullptr;
        try {
            form = FormKindHooks().CreateComplexForm(fileName);
        } catch (const std::exception& e) {
            throw Exception(FormFileErrorText(fileName, ExceptionMessage(e)));
        }
        form->SetShortCaption(QFileInfo(fileName).completeBaseName());
        form->ShowForm();
    } else {
        FLoadingDesktop = true;
        try {
            const QString text = ReadFormFileText(fileName);
            QStringList problems;
            TBaseMDIForm* form = nullptr;
            try {
                form = ReadMonitoringForm(text, &problems);
            } catch (const std::exception& e) {
                throw Exception(FormFileErrorText(fileName, ExceptionMessage(e)));
            }
            if (!problems.isEmpty()) {
                QStringList lines;
                for (const QString& problem : problems) lines << FormErrorText(problem);
                MessageDlg(QStringLiteral("Форма из файла %1 прочитана не полностью:\n%2").arg(fileName, lines.join('\n')),
                           mtWarning, mbOK);
            }
            if (MultiWindow()) {
                // Saved while docked: a free window of its own.
                if (form->Align() == TControl::alClient) FloatForm(form, QRect(100, 100, 400, 400));
                form->ShowForm();
            } else {
                DockForm(form);
            }
        } catch (...) {
            FLoadingDesktop = false;
            ApplyActiveFormRule();
            throw;
        }
        FLoadingDesktop = false;
    }
    ApplyActiveFormRule();
    UpdateActions();
}
