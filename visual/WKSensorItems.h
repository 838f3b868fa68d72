#pragma once
// One displayed parameter of a data control (a grid item or a label's
// sensor) and the grid's list of them.
#include "Components.h"
#include "Graphics.h"
#include "WKSensDescr.h"

#pragma GCC visibility push(default)

class TSensorDataArray;
class TSensorDataStream;
class TUDFDataArray;
class TWKStreamList;

// Formula arrays live in the time stream ("Time1s...", else the first of data
// class "Time") or the first "Depth" stream, and are shared by every grid
// item and chart series with the same formula text.
TSensorDataStream* FormulaStream(bool IsDateTime);
TUDFDataArray* FindFormulaArray(TSensorDataStream* Stream, const QString& FormulaText);

class TSensorItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(double A READ A WRITE SetA)
    Q_PROPERTY(double B READ B WRITE SetB)
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int GID READ GID WRITE SetGID)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Precision READ Precision WRITE SetPrecision)
    Q_PROPERTY(QString StreamID READ StreamID WRITE SetStreamID)
    Q_PROPERTY(QString Units READ Units WRITE SetUnits)
    Q_PROPERTY(QString FormulaText READ FormulaText WRITE SetFormulaText)
public:
    Q_INVOKABLE explicit TSensorItem(TCollection* collection = nullptr);

    double A() const { return FA; }
    void SetA(double v) { FA = v; }
    double B() const { return FB; }
    void SetB(double v) { FB = v; }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    int GID() const { return FGID; }
    void SetGID(int v) { FGID = v; }
    QString Name() const { return FName; }
    void SetName(const QString& v) { FName = v; }
    int Precision() const { return FPrecision; }
    // Decimals shown: 0 to 15.
    void SetPrecision(int v);
    QString StreamID() const { return FStreamID; }
    void SetStreamID(const QString& v) { FStreamID = v; }
    QString Units() const { return FUnits; }
    void SetUnits(const QString& v) { FUnits = v; }
    QString FormulaText() const { return FFormulaText; }
    // A different text is stored and, in a grid's list, the item is bound
    // again with the grid's IsDateTime.
    void SetFormulaText(const QString& v);

    // Copies the published fields of another item.
    void Assign(const TPersistent* source) override;
    // Name, factors, GID, precision, units, stream ID and colour of a description.
    void TakeDescription(const TSensDescr& descr);
    // The item as a description (what TakeDescription takes), for setup dialogs.
    TSensDescr Description() const;

    // The computed array of the formula in the secondary streams: the first
    // one with the same text in the time (or depth) stream, else a new one
    // there. Null without secondary services or a fitting stream.
    TUDFDataArray* GetFormulaDataArray(bool IsDateTime) const;
    // Looks the item's array up in list (formulas only when withFormula).
    void Bind(const TWKStreamList* list, bool IsDateTime, const QString& suffix, bool withFormula);
    // The newest sample as a label shows it: the formatted value when it is
    // usable (it becomes the last shown text), else the last shown text in
    // brackets, else "?".
    QString NewestText();

    QString FOldValue;
    TSensorDataArray* FYData = nullptr;

private:
    double FA = 1;
    double FB = 0;
    TColor FColor = clBlack;
    int FGID = 0;
    QString FName;
    int FPrecision = 2;
    QString FStreamID;
    QString FUnits;
    QString FFormulaText;
};

class TSensorList : public TCollection {
    Q_OBJECT
public:
    explicit TSensorList(QObject* owner = nullptr) : TCollection(&TSensorItem::staticMetaObject, owner) {}
    TSensorItem* Items(int index) const { return ItemAs<TSensorItem>(index); }
    TSensorItem* Add() { return static_cast<TSensorItem*>(TCollection::Add()); }
};

#pragma GCC visibility pop
