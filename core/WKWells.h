#pragma once
// The in-memory list of wells that the acquisition servers report, with the
// set of wells whose streams are wanted. Split from WKDataStructures.
//
// Locking: every operation of a TWells holds the list's own lock (re-entrant),
// and the getters and setters of a TWellDescr held by a list hold that same
// lock. None of them takes Ring0: the acquisition client's thread adds wells
// while the poll thread may hold Ring0 and read a well, so the wells lock must
// never wait for Ring0 (see the lock order in WKDataStructures.h).
#include "CriticalSection.h"
#include "StringLists.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

// One well: name=value lines read from and written as comma text. Keys WELL,
// FIELD, PAD, OILFIELD, SHORTID and WELLID.
class TWellDescr {
public:
    TWellDescr();
    explicit TWellDescr(const QString& commaText);
    TWellDescr(const TWellDescr&) = delete;
    TWellDescr& operator=(const TWellDescr&) = delete;

    QString CommaText() const;
    void SetCommaText(const QString& text);

    QString GetProperty(const QString& key) const;
    void SetProperty(const QString& key, const QString& value);

    QString GetWell() const { return GetProperty(QStringLiteral("WELL")); }
    QString GetField() const { return GetProperty(QStringLiteral("FIELD")); }
    QString GetPad() const { return GetProperty(QStringLiteral("PAD")); }
    QString GetOilfield() const { return GetProperty(QStringLiteral("OILFIELD")); }
    QString GetShortID() const { return GetProperty(QStringLiteral("SHORTID")); }
    QString GetWellID() const { return GetProperty(QStringLiteral("WELLID")); }
    void SetShortID(const QString& value) { SetProperty(QStringLiteral("SHORTID"), value); }

    bool Active() const;
    void SetActive(bool value);

private:
    friend class TWells;
    TCriticalSection& Lock() const { return FOwnerLock ? *FOwnerLock : FOwnLock; }

    TStringList FValues;
    bool FActive = false;
    mutable TCriticalSection FOwnLock;
    // The lock of the list that holds this well; null while the well stands alone.
    TCriticalSection* FOwnerLock = nullptr;
};

// A text with the well it belongs to, as the list fills string lists.
struct TWellItem {
    QString Text;
    TWellDescr* Well = nullptr;
};
using TWellItems = QList<TWellItem>;

class TWells {
public:
    TWells();
    // A copy of source: new wells from each source well's comma text; the
    // active flags are not copied.
    explicit TWells(const TWells& source);
    TWells& operator=(const TWells&) = delete;
    ~TWells();

    // Adds the well of the comma text. When a well with its WELLID is already
    // listed, that well takes over the new keys (keeping its active flag) and
    // the result is false.
    bool AddWell(const QString& wellInfo);
    // False when there is no such well or it is active already.
    bool ActivateWell(const QString& wellID);
    // Makes exactly the listed wells active; true when the list holds any well.
    bool ActivateWells(const QStringList& wellIDs);
    // True when a well has the same WELL and FIELD as well.
    bool FindWell(const TWellDescr& well) const;
    // Appends the WELLID of each active well.
    void GetActiveWellIDs(TWellItems& list) const;
    TWellDescr* GetWellByID(const QString& wellID) const;
    TWellDescr* GetWellByShortID(const QString& shortID) const;
    QString WellIDToShortID(const QString& wellID) const;
    QString WellShortIDToID(const QString& shortID) const;
    // The WELLID of the listed well with the same WELL and FIELD; empty when none.
    QString GetIDByDescr(const TWellDescr& well) const;
    int GetWellCount() const;
    int GetWellIndex(const TWellDescr* well) const;
    // Removes and frees the well; nothing when it is not listed.
    void DeleteWell(TWellDescr* well);
    // Removes and frees every well whose WELLID is not in wellIDs; the count removed.
    int KeepOnly(const QStringList& wellIDs);
    // The comma texts of all wells, one per line.
    QString AsString() const;
    // Clears list and adds per well itemFormat formatted with WELL, PAD, FIELD
    // and OILFIELD, in this order.
    void ToStrings(TWellItems& list, const QString& itemFormat) const;

private:
    TWellDescr* FindBy(const QString& key, const QString& value) const;
    mutable TCriticalSection FCSWells;
    std::vector<std::unique_ptr<TWellDescr>> FItems;
};

// The wells of the running program.
TWells& Wells();

// The old runtime's Format for text arguments: %s with an optional index
// ("%1:s"), left alignment ("-"), width and precision; "%%" is a percent sign.
// Raises EConvertError for any other conversion or a missing argument.
QString FormatText(const QString& format, const QStringList& args);

#pragma GCC visibility pop
