#pragma once
// The form designer's main window: the menus "Файл" and "Правка", the
// toolbar and the commands, the design surface edMain over the edit window's
// pnlMain, and the file commands.
//
// Window arrangement: where the window system lets a program place its
// windows (X11, the offscreen platform) the main window is a strip along the
// top of the screen, as high as its menu and toolbar, and the edit window
// (TfmDesigned) is a window of its own just below it, across the whole
// screen. On Wayland, where a program cannot place windows, the edit window
// is the lower part of the one main window.
#include <QMainWindow>
#include <memory>

#pragma GCC visibility push(default)

class QAction;
class QMenu;
class QToolBar;
class TControl;
class TFormDesigner;
class TfmDesigned;
struct TClassInfo;

class TfmDesignMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmDesignMain(QWidget* parent = nullptr);
    ~TfmDesignMain() override;

    QMenu* mmFile;
    QMenu* mmEdit;
    QToolBar* tbMain;
    QAction* actNew;
    QAction* actFileOpen;
    QAction* actFileSaveAs;
    QAction* actAdd;
    QAction* actDelete;
    QAction* actSetup;
    QAction* actExit;
    TFormDesigner* edMain;
    TfmDesigned* fmDesigned;

    // New data controls are time-indexed (true) or depth-indexed.
    bool FIsDateTime = true;
    // The class the next press on the surface inserts; null: presses select.
    const TClassInfo* ControlClass = nullptr;

    // Whether the edit window is a window of its own (see the file comment).
    static bool SeparateEditWindow();

    // The commands; a failure shows its message and the designer goes on.
    void NewForm();
    void AddComponent();
    void DeleteComponents();
    void SetupComponent();
    void OpenFormFile();
    void SaveFormFile();
    // Opens a file: nothing on the surface changes unless the whole file is
    // good; raises with the file and the reason otherwise. Settings the file
    // holds that cannot be read (a bad value, an unknown property or class)
    // are skipped and the user is told which, with their lines.
    void OpenFile(const QString& fileName);
    // Writes the surface as a user form file; raises when it cannot. A file
    // that was opened with skipped settings is written over only when the
    // user confirms it.
    void SaveFile(const QString& fileName);
    // Enables the commands by what is selected.
    void UpdateActions();

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void CreateActions();
    void CreateMenusAndToolbar();
    void CreateDesigner();
    // Activates the designer on pnlMain when it is not active and puts the
    // edit window below the strip.
    void FormShow();
    void PlaceWindows();
    int StripHeight() const;
    TControl* SelectedSetupControl() const;
    template <typename F>
    void Guarded(const char* where, F&& f);

    std::unique_ptr<TfmDesigned> FDesignedWindow;  // the separate edit window; null when embedded
    bool FPlacing = false;
    QString FIncompleteFile;  // the open file lost settings on reading
};

#pragma GCC visibility pop
