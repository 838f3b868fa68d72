#pragma once
// The sensor value grid: one item per displayed parameter, in rows
// (vertical layout: name in column 0, values to the right) or in columns
// (horizontal: name in row 0, values below); the newest value, or with
// IsExpanding every record of the stream oldest first.
#include "Grids.h"
#include "WKControlDesign.h"
#include "WKSensorItems.h"
#include "WKServices.h"

#include <functional>

#pragma GCC visibility push(default)

class TComponent;

// The popup menu a new grid gets (the value grids' shared menu); the chart
// menus module installs the lookup when it starts. Without one, or when it
// answers null, a new grid has no popup menu.
using TSensGridMenuLookup = std::function<TComponent*()>;
// Installs the lookup; returns the previous one.
TSensGridMenuLookup SetSensGridValuesMenu(TSensGridMenuLookup lookup);

class TSensGrid : public TCustomGrid,
                  public IControlDesign,
                  public IControlDesignEx,
                  public IWKParameterContext,
                  public IWKNotification {
    Q_OBJECT
    Q_INTERFACES(IControlDesign IControlDesignEx IWKParameterContext)
    Q_PROPERTY(bool IsDateTime READ IsDateTime WRITE SetIsDateTime)
    Q_PROPERTY(TCollection* Sensors READ Sensors WRITE SetSensors)
    Q_PROPERTY(bool IsVertical READ IsVertical WRITE SetVertical)
    Q_PROPERTY(bool IsExpanding READ IsExpanding WRITE SetExpanding)
    Q_PROPERTY(bool ColoredHeader READ ColoredHeader WRITE SetColoredHeader)
    Q_PROPERTY(bool ColoredValues READ ColoredValues WRITE SetColoredValues)
    Q_CLASSINFO("AlwaysStored", "IsDateTime,Sensors,IsVertical,IsExpanding,ColoredHeader,ColoredValues")
public:
    Q_INVOKABLE explicit TSensGrid(QObject* owner = nullptr);
    ~TSensGrid() override;

    bool IsDateTime() const { return FIsDateTime; }
    void SetIsDateTime(bool IsDateTime) override { FIsDateTime = IsDateTime; }
    TSensorList* SensorList() const { return FSensorList; }
    TCollection* Sensors() const { return FSensorList; }
    // Copies the items of the given list.
    void SetSensors(TCollection* list);
    bool IsVertical() const { return FVertical; }
    void SetVertical(bool v);
    bool IsExpanding() const { return FExpanding; }
    void SetExpanding(bool v);
    bool ColoredHeader() const { return FColoredHeader; }
    void SetColoredHeader(bool v) { FColoredHeader = v; update(); }
    bool ColoredValues() const { return FColoredValues; }
    void SetColoredValues(bool v) { FColoredValues = v; update(); }
    const QString& StreamSuffix() const { return FStreamSuffix; }

    // The text and colour of a cell by item and position (0: the name).
    // False when nothing is drawn there.
    bool CellText(int item, int position, QString& text, TColor& color);

    void AdjustCount();
    void AdjustFixed(bool on);
    void AdjustHeight();
    void AdjustColWidths();

    // Picks parameters and inserts them at position (appends when < 0).
    void AddToPosition(int position);
    // The same at the item under a screen point (the popup menu's point).
    void AddItems(const QPoint& screenPos);
    void Delete(int index);
    void DeleteFromPoint(const QPoint& screenPos);
    // The item index under a screen point: its row (vertical) or column; -1
    // outside the cells.
    int IndexFromPoint(const QPoint& screenPos) const;
    TSensorItem* GetSelectedItem() const;
    // The item dialog for the item under a screen point; nothing outside the list.
    void SetupItemFromPoint(const QPoint& screenPos);
    // The grid dialog without alignment, border and time choice (also on a
    // double click).
    void ChangeGridProperties();
    // The selected plain item's description; false for no item and for a
    // formula item, which has no sensor of its own.
    bool GetSensorDescriptor(TSensDescr& Descr) override;
    void BindData();
    void Notify(TServiceEvent Event, void* Sender) override;
    void Setup() override;
    void Loaded() override;

protected:
    void DrawCell(QPainter& p, int col, int row, const QRect& rect) override;
    void RowMoved(int from, int to) override;
    void ColumnMoved(int from, int to) override;
    bool WKMessage(TWKMessage& msg) override;
    void FontChanged() override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    // The value column of a vertical table follows the width of the grid.
    void resizeEvent(QResizeEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void MoveItem(int from, int to);
    // The grid dialog; full adds alignment, border and the time choice.
    void RunSetup(bool full);
    TSensorList* FSensorList;
    bool FIsDateTime = false;
    bool FVertical = false;
    bool FExpanding = false;
    bool FColoredHeader = false;
    bool FColoredValues = false;
    QString FStreamSuffix;
    bool FRegistered = false;
};

#pragma GCC visibility pop
