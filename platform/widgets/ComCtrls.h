#pragma once
// The page control and its tab sheets: one sheet shown at a time under a
// strip of tabs. Sheets are kept in page order, which is also the order they
// are written in.
#include "Controls.h"

#pragma GCC visibility push(default)

class TPageControl;

class TTabSheet : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    Q_INVOKABLE explicit TTabSheet(QObject* owner = nullptr);
    // Which sheet shows is the page control's business, not stored.
    Q_INVOKABLE bool IsVisibleStored() const { return false; }
    ~TTabSheet() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    TPageControl* PageControl() const { return FPageControl; }
    // Puts the sheet last into pageControl (null: takes it out).
    void SetPageControl(TPageControl* pageControl);
    int PageIndex() const;
    void SetParentComponent(TComponentBase* parent) override;

private:
    QString FCaption;
    TPageControl* FPageControl = nullptr;
};

class TPageControl : public TControl {
    Q_OBJECT
    Q_PROPERTY(TTabSheet* ActivePage READ ActivePage WRITE SetActivePage)
    Q_PROPERTY(TTabPosition TabPosition READ TabPosition WRITE SetTabPosition)
public:
    enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
    Q_ENUM(TTabPosition)

    Q_INVOKABLE explicit TPageControl(QObject* owner = nullptr);

    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition v);
    int PageCount() const { return int(FPages.size()); }
    TTabSheet* Pages(int index) const { return FPages.value(index); }
    // -1 when there is no page.
    int ActivePageIndex() const { return FActive; }
    void SetActivePageIndex(int index);
    TTabSheet* ActivePage() const { return Pages(FActive); }
    // Shows the page when it is one of this control's (null or another's: nothing).
    void SetActivePage(TTabSheet* page) { SetActivePageIndex(int(FPages.indexOf(page))); }
    void MovePage(TTabSheet* page, int index);
    // The rectangle of a tab in the control.
    QRect TabRect(int index) const;

    void GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) override;

protected:
    void AdjustClientRect(QRect& rect) const override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void ShowActive();
    int TabExtent() const;

    QList<TTabSheet*> FPages;
    int FActive = -1;
    TTabPosition FTabPosition = tpTop;
};

#pragma GCC visibility pop
