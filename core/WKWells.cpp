#include "WKWells.h"

#include <algorithm>

#include "Exceptions.h"
#include "WKConsts.h"

namespace {
const QString KeyWell = QStringLiteral("WELL");
const QString KeyField = QStringLiteral("FIELD");
const QString KeyPad = QStringLiteral("PAD");
const QString KeyOilfield = QStringLiteral("OILFIELD");
const QString KeyShortID = QStringLiteral("SHORTID");
const QString KeyWellID = QStringLiteral("WELLID");

// Read with commas as the only separators, so a blank inside an unquoted
// value does not split it; written as the comma text of the well functions,
// which quotes an item with a blank, a comma or a quote.
TStringList NewValues() {
    TStringList list;
    list.StrictDelimiter = true;
    return list;
}
}  // namespace

// ---- TWellDescr

TWellDescr::TWellDescr() : FValues(NewValues()) {}

TWellDescr::TWellDescr(const QString& commaText) : FValues(NewValues()) { FValues.SetDelimitedText(commaText); }

QString TWellDescr::CommaText() const {
    TCriticalSectionGuard guard(Lock());
    return FValues.CommaText();
}

void TWellDescr::SetCommaText(const QString& text) {
    TCriticalSectionGuard guard(Lock());
    FValues.SetDelimitedText(text);
}

QString TWellDescr::GetProperty(const QString& key) const {
    TCriticalSectionGuard guard(Lock());
    return FValues.Values(key);
}

void TWellDescr::SetProperty(const QString& key, const QString& value) {
    TCriticalSectionGuard guard(Lock());
    FValues.SetValue(key, value);
}

bool TWellDescr::Active() const {
    TCriticalSectionGuard guard(Lock());
    return FActive;
}

void TWellDescr::SetActive(bool value) {
    TCriticalSectionGuard guard(Lock());
    FActive = value;
}

// ---- TWells

TWells::TWells() = default;

TWells::TWells(const TWells& source) {
    TCriticalSectionGuard guard(source.FCSWells);
    for (const auto& w : source.FItems) {
        auto copy = std::make_unique<TWellDescr>(w->FValues.DelimitedText());
        copy->FOwnerLock = &FCSWells;
        FItems.push_back(std::move(copy));
    }
}

TWells::~TWells() {
    TCriticalSectionGuard guard(FCSWells);
    FItems.clear();
}

TWellDescr* TWells::FindBy(const QString& key, const QString& value) const {
    for (const auto& w : FItems)
        if (w->FValues.Values(key) == value) return w.get();
    return nullptr;
}

bool TWells::AddWell(const QString& wellInfo) {
    auto well = std::make_unique<TWellDescr>(wellInfo);
    TCriticalSectionGuard guard(FCSWells);
    if (TWellDescr* existing = FindBy(KeyWellID, well->FValues.Values(KeyWellID))) {
        existing->FValues.SetItems(well->FValues.Items());
        return false;
    }
    well->FOwnerLock = &FCSWells;
    FItems.push_back(std::move(well));
    return true;
}

bool TWells::ActivateWell(const QString& wellID) {
    TCriticalSectionGuard guard(FCSWells);
    TWellDescr* w = FindBy(KeyWellID, wellID);
    if (!w || w->FActive) return false;
    w->FActive = true;
    return true;
}

bool TWells::ActivateWells(const QStringList& wellIDs) {
    TCriticalSectionGuard guard(FCSWells);
    DebugLog(QStringLiteral("TWells.ActivateWells ") + TStringList(wellIDs).Text());
    for (const auto& w : FItems) w->FActive = wellIDs.contains(w->FValues.Values(KeyWellID));
    return !FItems.empty();
}

bool TWells::FindWell(const TWellDescr& well) const {
    return !GetIDByDescr(well).isNull();
}

QString TWells::GetIDByDescr(const TWellDescr& well) const {
    // Read the argument first: it may belong to this very list (same lock, re-entrant).
    const QString name = well.GetWell();
    const QString field = well.GetField();
    TCriticalSectionGuard guard(FCSWells);
    for (const auto& w : FItems)
        if (w->FValues.Values(KeyWell) == name && w->FValues.Values(KeyField) == field) {
            const QString id = w->FValues.Values(KeyWellID);
            return id.isNull() ? QStringLiteral("") : id;  // found, even without an ID
        }
    return {};
}

void TWells::GetActiveWellIDs(TWellItems& list) const {
    TCriticalSectionGuard guard(FCSWells);
    for (const auto& w : FItems)
        if (w->FActive) list.append({w->FValues.Values(KeyWellID), w.get()});
}

TWellDescr* TWells::GetWellByID(const QString& wellID) const {
    TCriticalSectionGuard guard(FCSWells);
    return FindBy(KeyWellID, wellID);
}

TWellDescr* TWells::GetWellByShortID(const QString& shortID) const {
    TCriticalSectionGuard guard(FCSWells);
    return FindBy(KeyShortID, shortID);
}

QString TWells::WellIDToShortID(const QString& wellID) const {
    TCriticalSectionGuard guard(FCSWells);
    const TWellDescr* w = FindBy(KeyWellID, wellID);
    return w ? w->FValues.Values(KeyShortID) : QString();
}

QString TWells::WellShortIDToID(const QString& shortID) const {
    TCriticalSectionGuard guard(FCSWells);
    const TWellDescr* w = FindBy(KeyShortID, shortID);
    return w ? w->FValues.Values(KeyWellID) : QString();
}

int TWells::GetWellCount() const {
    TCriticalSectionGuard guard(FCSWells);
    return static_cast<int>(FItems.size());
}

int TWells::GetWellIndex(const TWellDescr* well) const {
    TCriticalSectionGuard guard(FCSWells);
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == well) return static_cast<int>(i);
    return -1;
}

void TWells::DeleteWell(TWellDescr* well) {
    TCriticalSectionGuard guard(FCSWells);
    for (auto it = FItems.begin(); it != FItems.end(); ++it)
        if (it->get() == well) {
            FItems.erase(it);
            return;
        }
}

int TWells::KeepOnly(const QStringList& wellIDs) {
    TCriticalSectionGuard guard(FCSWells);
    const auto gone = std::remove_if(FItems.begin(), FItems.end(),
                                     [&](const auto& w) { return !wellIDs.contains(w->GetWellID()); });
    const int removed = int(FItems.end() - gone);
    FItems.erase(gone, FItems.end());
    return removed;
}

QString TWells::AsString() const {
    TCriticalSectionGuard guard(FCSWells);
    TStringList lines;
    for (const auto& w : FItems) lines.Add(w->FValues.DelimitedText());
    return lines.Text();
}

void TWells::ToStrings(TWellItems& list, const QString& itemFormat) const {
    TCriticalSectionGuard guard(FCSWells);
    list.clear();
    for (const auto& w : FItems) {
        const TStringList& v = w->FValues;
        list.append({FormatText(itemFormat, {v.Values(KeyWell), v.Values(KeyPad), v.Values(KeyField),
                                             v.Values(KeyOilfield)}),
                     w.get()});
    }
}

TWells& Wells() {
    static TWells wells;
    return wells;
}

// ---- FormatText

QString FormatText(const QString& format, const QStringList& args) {
    const auto invalid = [&format]() {
        return EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
    };
    QString out;
    int next = 0;
    const int n = format.size();
    for (int i = 0; i < n; ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (++i >= n) throw invalid();
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        const auto number = [&]() {
            int v = -1;
            while (i < n && format[i].isDigit()) v = (v < 0 ? 0 : v * 10) + format[i++].digitValue();
            return v;
        };
        int value = number();
        if (i < n && format[i] == ':') {
            if (value < 0) value = 0;
            next = value;
            ++i;
            value = -1;
        }
        bool left = false;
        if (value < 0 && i < n && format[i] == '-') {
            left = true;
            ++i;
        }
        const int width = value >= 0 ? value : number();
        int precision = -1;
        if (i < n && format[i] == '.') {
            ++i;
            precision = number();
        }
        if (i >= n || format[i].toLower() != 's' || next >= args.size()) throw invalid();
        QString text = args[next++];
        if (precision >= 0) text.truncate(precision);
        if (width > text.size()) text = left ? text.leftJustified(width) : text.rightJustified(width);
        out += text;
    }
    return out;
}
