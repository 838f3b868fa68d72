#pragma once
// The form of the old platform: a control that is either a top-level window
// (floating) or a child docked into a host widget (a page), with its caption,
// border style, position, the close protocol (close query, close action) and
// the show and activation hooks. Every form is in the application's list of
// forms (Forms(), in creation order) while it exists.
//
// Stored events: OnCreate, OnShow, OnActivate, OnClose(QObject* sender,
// int* action) and OnCloseQuery(QObject* sender, bool* canClose), handlers of
// the root that reads the form. Subclasses override the virtual hooks instead.
#include "Controls.h"

#include <QList>
#include <QRect>

#pragma GCC visibility push(default)

class TForm : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(TPosition Position READ Position WRITE SetPosition)
    Q_PROPERTY(bool KeyPreview READ KeyPreview WRITE SetKeyPreview)
    Q_PROPERTY(TDragKind DragKind READ DragKind WRITE SetDragKind)
    Q_PROPERTY(TWindowState WindowState READ WindowState WRITE SetWindowState)
    Q_PROPERTY(int ClientWidth READ FormClientWidth WRITE SetClientWidth STORED false)
    Q_PROPERTY(int ClientHeight READ FormClientHeight WRITE SetClientHeight STORED false)
    // Kept as read and written back; they mean nothing to the layout here.
    Q_PROPERTY(bool OldCreateOrder READ OldCreateOrder WRITE SetOldCreateOrder)
    Q_PROPERTY(int PixelsPerInch READ PixelsPerInch WRITE SetPixelsPerInch)
    Q_PROPERTY(int TextHeight READ TextHeight WRITE SetTextHeight)
    Q_PROPERTY(bool Scaled READ Scaled WRITE SetScaled)
    Q_PROPERTY(TMethod OnCreate READ OnCreate WRITE SetOnCreate)
    Q_PROPERTY(TMethod OnShow READ OnShow WRITE SetOnShow)
    Q_PROPERTY(TMethod OnActivate READ OnActivate WRITE SetOnActivate)
    Q_PROPERTY(TMethod OnClose READ OnClose WRITE SetOnClose)
    Q_PROPERTY(TMethod OnCloseQuery READ OnCloseQuery WRITE SetOnCloseQuery)
public:
    enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
    Q_ENUM(TFormBorderStyle)
    enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                     poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
    Q_ENUM(TPosition)
    enum TDragKind { dkDrag, dkDock };
    Q_ENUM(TDragKind)
    enum TWindowState { wsNormal, wsMinimized, wsMaximized };
    Q_ENUM(TWindowState)
    enum TCloseAction { caNone, caHide, caFree, caMinimize };
    Q_ENUM(TCloseAction)

    Q_INVOKABLE explicit TForm(QObject* owner = nullptr);
    ~TForm() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    // Stored; forms here get keys through their controls' own handlers.
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool v) { FKeyPreview = v; }
    TDragKind DragKind() const { return FDragKind; }
    void SetDragKind(TDragKind v) { FDragKind = v; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState v);
    int FormClientWidth() const { return ClientWidth(); }
    void SetClientWidth(int v) { SetWidth(v); }
    int FormClientHeight() const { return ClientHeight(); }
    void SetClientHeight(int v) { SetHeight(v); }
    bool OldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool v) { FOldCreateOrder = v; }
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
    int TextHeight() const { return FTextHeight; }
    void SetTextHeight(int v) { FTextHeight = v; }
    bool Scaled() const { return FScaled; }
    void SetScaled(bool v) { FScaled = v; }

    TMethod OnCreate() const { return FOnCreate; }
    void SetOnCreate(const TMethod& v) { FOnCreate = v; }
    TMethod OnShow() const { return FOnShow; }
    void SetOnShow(const TMethod& v) { FOnShow = v; }
    TMethod OnActivate() const { return FOnActivate; }
    void SetOnActivate(const TMethod& v) { FOnActivate = v; }
    TMethod OnClose() const { return FOnClose; }
    void SetOnClose(const TMethod& v) { FOnClose = v; }
    TMethod OnCloseQuery() const { return FOnCloseQuery; }
    void SetOnCloseQuery(const TMethod& v) { FOnCloseQuery = v; }

    // Shows the form (the hooks of a form becoming visible run first) and
    // brings it forward; Hide hides it.
    void ShowForm();
    void HideForm();
    // The close protocol: close query, then the close action (caHide by
    // default; caFree frees the form once control returns to the event loop).
    // Returns true when the form closed (hidden or going).
    bool Close();
    // The form became the active one (a docked form when its page is chosen).
    void Activate();

    // Docking: into a host widget (no alignment) or out as a top-level window
    // with the given frame rectangle.
    void ManualDock(QWidget* host);
    void ManualFloat(const QRect& rect);
    bool Floating() const { return isWindow(); }
    // The normal (restored) rectangle: a floating form's placement when not
    // minimized or maximized, a docked form's bounds.
    QRect NormalBounds() const;
    void SetNormalBounds(const QRect& r);

protected:
    // Hooks for subclasses, in the order they run.
    virtual void FormShowing() {}      // hidden now, about to become visible
    virtual void FormShow() {}         // after it became visible
    virtual void FormActivate() {}
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose(TCloseAction& action) { Q_UNUSED(action); }
    // The close action a form starts with.
    virtual TCloseAction DefaultCloseAction() const { return caHide; }

    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void ApplyWindowFlags();
    // Runs the query and the close action; the action taken.
    TCloseAction RunClose();

    QString FCaption;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TPosition FPosition = poDefaultPosOnly;
    bool FKeyPreview = false;
    TDragKind FDragKind = dkDrag;
    TWindowState FStoredState = wsNormal;
    bool FOldCreateOrder = false;
    int FPixelsPerInch = 96;
    int FTextHeight = 13;
    bool FScaled = true;
    bool FClosing = false;
    TMethod FOnCreate, FOnShow, FOnActivate, FOnClose, FOnCloseQuery;
};

// The application's forms in creation order.
QList<TForm*> Forms();

#pragma GCC visibility pop
