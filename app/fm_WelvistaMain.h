#pragma once
// The main window of the workstation: the toolbar and menus of its commands,
// the monitoring forms as pages of pcDock (docked mode) or as free windows
// (multi-window mode), the active form the form commands act on, the well
// choice of a form, desktops and form files, the window state in
// "Software\Korva\Welvista", and the start (FormShow) and close (FormClose)
// of the service groups.
#include "DesktopFiles.h"
#include "FormsHost.h"
#include "fm_BaseMDIForm.h"
#include "WKServices.h"

#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <memory>

#pragma GCC visibility push(default)

class QAction;
class QComboBox;
class QMenu;
class QTabWidget;
class QToolBar;
class TBaseMDIForm;
class TCustomImageList;
class TdmWells;
class TMainWindowMenuHost;

class TfmMain : public QMainWindow, public IWKNotification, public IWKFormsHost {
    Q_OBJECT
public:
    explicit TfmMain(QWidget* parent = nullptr);
    ~TfmMain() override;

    // Components (plug-ins find the toolbar by its name).
    QToolBar* tbMain;
    QComboBox* cbDesktops;
    QTabWidget* pcDock;
    QMenu* mmFile;
    QMenu* mmView;
    QMenu* mmSetup;
    QMenu* mmHelp;
    QMenu* pmDock;
    // The commands' pictures and their disabled look (owned by the window).
    TCustomImageList* ilMain = nullptr;
    TCustomImageList* ilMainDisabled = nullptr;

    QAction* actFileNew;
    QAction* actFormOpen;
    QAction* actLoadData;
    QAction* actSelectWell;
    QAction* actSaveForm;
    QAction* actSaveDesktop;
    QAction* actSaveDesktopFile;
    QAction* actDeleteDesktop;
    QAction* actFileChangeFormCaption;
    QAction* actFileClose;
    QAction* actFileExit;
    QAction* actViewNormalBorder;
    QAction* actViewNoBorder;
    QAction* actViewSmallBorder;
    QAction* actViewShowScales;
    QAction* actMDI;
    QAction* actAbout;
    QAction* actConnectWells = nullptr;

    TBaseMDIForm* ActiveForm() const { return FActiveForm; }
    bool MultiWindow() const;
    bool LoadingDesktop() const { return FLoadingDesktop; }
    // Enables and ticks the commands by their rules (the old idle update).
    void UpdateActions();

    // The start of the program's work and its end, in the documented order.
    void FormShow();
    void FormClose();

    // Hosting modes: pcDock shown exactly in docked mode.
    void SetMultiWindow(bool multiWindow, bool initial);
    // The multi-window command: moves the open forms, then switches.
    void ToggleMultiWindow();
    void DockForm(TBaseMDIForm* form);
    // The monitoring forms in the application's order of forms.
    QList<TBaseMDIForm*> MonitoringForms() const;
    // The form of a page (its first control when that is a monitoring form).
    TBaseMDIForm* PageForm(int index) const;

    // Desktops and form files.
    void FillDesktopList(const QString& preferred);
    void LoadDesktopByName(const QString& name);
    void LoadDesktopFile(const QString& fileName);
    // A named desktop goes to the desktops folder under its cleaned name; a
    // file chosen in the file dialog is written as it is.
    void SaveDesktop(const QString& name);
    void SaveDesktopToFile(const QString& fileName);
    void DeleteDesktop(const QString& name);
    void SaveFormAs(const QString& fileName);
    void OpenFile(const QString& fileName) override;

    // Commands that ask the user.
    void NewForm();
    void OpenFormCommand();
    void SaveFormCommand();
    void SaveDesktopCommand();
    void SaveDesktopFileCommand();
    void DeleteDesktopCommand();
    void ChangeCaptionCommand();
    void SelectWell();
    void SetActiveFormBorder(int borderStyle);
    void About();

    // Opens the well database when the program has none or its database
    // no longer answers (at start, and as the command after it was
    // unavailable or lost); a failure is told as a hint.
    void OpenWellDatabase();

    // Collects the wells of the open forms and activates them; services
    // are told to request wells again when that changed the active set.
    void ActivateFormWells();

    // IWKNotification: re-activates the wells of the forms on seWellsChanged.
    void Notify(TServiceEvent Event, void* Sender) override;

    // IWKFormsHost
    QRect HostBounds() const override { return frameGeometry(); }
    QWidget* HostWindow() override { return this; }
    bool ChooseComplexFormFile(QString& fileName) override;
    void ApplyActiveFormRule() override;

    // The window state section of the settings.
    void ReadWindowState();
    void WriteWindowState();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void CreateActions();
    void CreateMenusAndToolbar();
    void CreateImages();
    void FormCreate();
    void FreeMonitoringForms();
    void RemoveEmptyPages();
    void FloatForm(TBaseMDIForm* form, const QRect& rect);
    TDesktopContent CurrentDesktop() const;
    void FormActivated(QWidget* now);
    void AddWellDatabaseCommand();
    // Keeps a desktop that lost forms or controls on loading and tells the
    // user once what was lost and where the original is.
    void ReportDesktopLosses(const QString& fileName, const QStringList& losses);
    // Writes the current desktop to file, keeping a damaged original aside first.
    void WriteDesktop(const QString& file);

    QPointer<TBaseMDIForm> FActiveForm;
    bool FLoadingDesktop = false;
    // Desktop files that did not load whole and could not be copied aside:
    // they are not saved over.
    QSet<QString> FUncopiedDesktops;
    bool FShown = false;
    bool FClosed = false;
    std::unique_ptr<TMainWindowMenuHost> FMenuHost;
    std::unique_ptr<TdmWells> FWells;
    std::unique_ptr<TCustomImageList> FImages;
    std::unique_ptr<TCustomImageList> FDisabledImages;
};

// The settings key of the main window and its section.
inline const QString WelvistaRegistryKey = QStringLiteral("Software\\Korva\\Welvista");
inline const QString MainFormSection = QStringLiteral("MainForm");

#pragma GCC visibility pop
