#pragma once
// A list of large icons in named groups (the list view's group mode): each
// group shows its caption on a line of its own, then its entries in rows of
// fixed cells, wrapped to the width. One entry at most is selected; a
// double click on an entry reports it. Empty groups are not shown. The arrow
// keys walk the entries, Home and End go to the first and the last; in a
// scroll area the entry chosen by key is scrolled into view.
#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

#pragma GCC visibility push(default)

class TGroupedIconList : public QWidget {
    Q_OBJECT
public:
    struct TEntry {
        QString Caption;
        int Group = 0;
        int ImageIndex = -1;
        int Data = 0;
    };

    explicit TGroupedIconList(QWidget* parent = nullptr);

    // Groups by index; entries name their group by that index.
    void SetGroups(const QStringList& captions);
    QStringList Groups() const { return FGroups; }
    void SetImages(const QList<QImage>& images) {
        FImages = images;
        Relayout();
    }
    // The spacing of the icon cells (the list view's icon spacing).
    void SetSpacing(int horizontal, int vertical);

    int AddEntry(const TEntry& entry);
    int Count() const { return FEntries.size(); }
    const TEntry& Entry(int index) const { return FEntries.at(index); }
    int FindCaption(const QString& caption) const;

    // The selected entry; -1 none.
    int Selected() const { return FSelected; }
    void SetSelected(int index);

    // Where an entry is drawn, and the entry at a point (-1 none).
    QRect EntryRect(int index) const;
    // Scrolls the scroll area that holds the list so that the entry shows.
    void EnsureVisible(int index);
    int EntryAt(const QPoint& p) const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void SelectionChanged(int index);
    void EntryDoubleClicked(int index);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct TLayout {
        QList<QRect> Cells;                      // by entry
        QList<std::pair<int, QRect>> Headers;    // group, header rectangle
        int Height = 0;
    };
    TLayout Layout(int width) const;
    void Relayout();

    QStringList FGroups;
    QList<TEntry> FEntries;
    QList<QImage> FImages;
    int FSpacingX = 100;
    int FSpacingY = 80;
    int FSelected = -1;
    TLayout FLayout;
};

#pragma GCC visibility pop
