#pragma once
// The main program's tab strip: overlapping slanted tabs drawn anti-aliased,
// a close glyph on each tab, a new-tab button after the last one, hot
// tracking, reordering by dragging, a hint for cut captions and a default
// popup menu listing the tabs. The strip keeps only the captions (and
// optional objects, not owned) and reports through its events:
//   OnTabChange(QObject* sender), OnAddClick(QObject* sender),
//   OnCloseTab(QObject* sender, int index, bool* close) - *close starts true,
//   OnGetImageIndex(QObject* sender, int tab, int* index).
// With no tabs ActiveTab is -1 (none).
#include "Controls.h"

#include <QImage>
#include <QPointer>
#include <QPolygon>

#pragma GCC visibility push(default)

class QMenu;

class TqxAeroTabs : public TControl {
    Q_OBJECT
    Q_PROPERTY(bool AllowTabDrag READ AllowTabDrag WRITE SetAllowTabDrag)
    Q_PROPERTY(Colors::TColor ColorBackground READ ColorBackground WRITE SetColorBackground)
    Q_PROPERTY(TComponent* Images READ Images WRITE SetImages)
    Q_PROPERTY(bool ShowButton READ ShowButton WRITE SetShowButton)
    Q_PROPERTY(bool ShowClose READ ShowClose WRITE SetShowClose)
    Q_PROPERTY(bool ShowImages READ ShowImages WRITE SetShowImages)
    Q_PROPERTY(int TabOffset READ TabOffset WRITE SetTabOffset)
    Q_PROPERTY(int TabOffsetTop READ TabOffsetTop WRITE SetTabOffsetTop)
    Q_PROPERTY(QStringList Tabs READ Tabs WRITE SetTabs)
    Q_PROPERTY(int ActiveTab READ ActiveTab WRITE SetActiveTab)
    Q_PROPERTY(TMethod OnAddClick READ OnAddClick WRITE SetOnAddClick)
    Q_PROPERTY(TMethod OnCloseTab READ OnCloseTab WRITE SetOnCloseTab)
    Q_PROPERTY(TMethod OnGetImageIndex READ OnGetImageIndex WRITE SetOnGetImageIndex)
    Q_PROPERTY(TMethod OnTabChange READ OnTabChange WRITE SetOnTabChange)
public:
    static constexpr int TabOverlap = 17;
    static constexpr int DragDistance = 20;
    static constexpr int MaxTabWidth = 192;
    static constexpr int MinTabWidth = 12;

    Q_INVOKABLE explicit TqxAeroTabs(QObject* owner = nullptr);
    ~TqxAeroTabs() override;

    void AddTab(const QString& s) { AddObject(s, nullptr); }
    void AddObject(const QString& s, QObject* obj);
    void InsertTab(int index, const QString& s) { InsertObj(index, s, nullptr); }
    void InsertObj(int index, const QString& s, QObject* obj);
    void DeleteTab(int index);
    int TabCount() const { return FTabs.size(); }
    QObject* TabObject(int index) const;
    void SetTabObject(int index, QObject* obj);
    void SetTabCaption(int index, const QString& caption);

    int ActiveTab() const { return FActiveTab; }
    // The first tab is the one a strip with tabs starts with: not written.
    Q_INVOKABLE bool IsActiveTabStored() const { return FActiveTab != 0; }
    void SetActiveTab(int v);
    QStringList Tabs() const { return FTabs; }
    void SetTabs(const QStringList& v);
    int GetTabAtXY(int x, int y) const;

    bool AllowTabDrag() const { return FAllowTabDrag; }
    void SetAllowTabDrag(bool v) { FAllowTabDrag = v; }
    TColor ColorBackground() const { return FColorBackground; }
    void SetColorBackground(TColor v);
    TComponent* Images() const { return FImages; }
    void SetImages(TComponent* v);
    bool ShowButton() const { return FShowButton; }
    void SetShowButton(bool v);
    bool ShowClose() const { return FShowClose; }
    void SetShowClose(bool v);
    bool ShowImages() const { return FShowImages; }
    void SetShowImages(bool v);
    int TabOffset() const { return FTabOffset; }
    void SetTabOffset(int v);
    int TabOffsetTop() const { return FTabOffsetTop; }
    void SetTabOffsetTop(int v);

    TMethod OnAddClick() const { return FOnAddClick; }
    void SetOnAddClick(const TMethod& v) { FOnAddClick = v; }
    TMethod OnCloseTab() const { return FOnCloseTab; }
    void SetOnCloseTab(const TMethod& v) { FOnCloseTab = v; }
    TMethod OnGetImageIndex() const { return FOnGetImageIndex; }
    void SetOnGetImageIndex(const TMethod& v) { FOnGetImageIndex = v; }
    TMethod OnTabChange() const { return FOnTabChange; }
    void SetOnTabChange(const TMethod& v) { FOnTabChange = v; }

    // Geometry, public for the hit tests and for tests.
    int TabWidth() const { return FTabWidth; }
    void UpdateTabWidth();
    QPolygon TabPolygon(int index) const;
    QRect CloseGlyphRect(int index) const;
    QPolygon ButtonPolygon(int top) const;
    int CloseGlyphAt(const QPoint& p) const;
    bool IsOverButton(const QPoint& p) const;
    // The hint text and area for a point; empty when the caption fits.
    QString TabHintAt(const QPoint& p, QRect* area) const;

    // The default popup menu, built as it is when it opens.
    QMenu* DefaultPopup();
    void BuildDefaultPopup();
    // Renders the strip as it is painted.
    QImage Render();

    void Notification(TComponentBase* component, TOperation operation) override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    bool event(QEvent* e) override;
    void ColorChanged() override { update(); }
    void FontChanged() override { update(); }

private:
    void TabChange();
    void DrawTabContent(class QPainter& p, int index) const;
    void DrawTab(QPainter& p, int index, bool active) const;
    void DrawButton(QPainter& p) const;
    int ImageIndexOf(int tab) const;
    int TabLeft(int index) const { return FTabOffset + (FTabWidth - TabOverlap) * index; }
    int TabsHeight() const { return Height() - 1 - FTabOffsetTop; }

    int FActiveTab = -1;
    bool FAllowTabDrag = false;
    bool FButtonDown = false;
    bool FCanDrag = false;
    bool FCloseDown = false;
    TColor FColorBackground = clBtnFace;
    QPointer<QMenu> FDefPopup;  // owned through the Qt parent
    bool FDragging = false;
    QPoint FDragPoint{-1, -1};
    int FDragTab = -1;
    bool FHotButton = false;
    bool FHotClose = false;
    int FHotIdx = -1;
    TComponent* FImages = nullptr;
    bool FShowButton = true;
    bool FShowClose = true;
    bool FShowImages = false;
    int FTabOffset = 0;
    int FTabOffsetTop = 0;
    int FTabX = -1;
    QStringList FTabs;
    QList<QPointer<QObject>> FObjects;
    int FTabWidth = MaxTabWidth + TabOverlap;
    TMethod FOnAddClick, FOnCloseTab, FOnGetImageIndex, FOnTabChange;
};

#pragma GCC visibility pop
