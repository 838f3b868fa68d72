// TLogsheaf: the header sections and their values.
#include "Logsheaf10.h"

#include "Exceptions.h"
#include "Formatting.h"

namespace {

struct TWellItemDef {
    const char* Mnem;
    const char* Descr;
};
// In the order of TLogsheaf::TWellItem.
constexpr TWellItemDef WellItems[TLogsheaf::wiCount] = {
    {"COMP", "Company"}, {"CTRY", "Country"},  {"CNTY", "County"},          {"DATE", "Date"},
    {"FLD", "Field"},    {"LOC", "Location"},  {"PROV", "Province"},        {"SRVC", "Service company"},
    {"STAT", "State"},   {"WELL", "Well"},     {"UWI", "Unique well identifier"},
};

}  // namespace

int TLogsheaf::FindSectionIndex(const TAnsiStringList& lines, int headerCount, TLASSections sect) {
    const int end = sect == lsData ? lines.Count() : std::min(headerCount, lines.Count());
    for (int i = 0; i < end; ++i)
        if (IsSectionLine(lines.Strings(i), sect)) return i;
    return -1;
}

void TLogsheaf::FindSectionIndexAndSize(const TAnsiStringList& lines, int headerCount, TLASSections sect,
                                        int& index, int& size) {
    index = FindSectionIndex(lines, headerCount, sect);
    size = 0;
    if (index < 0) return;
    const int end = sect == lsData ? lines.Count() : std::min(headerCount, lines.Count());
    for (int i = index + 1; i < end && !IsAnySectionLine(lines.Strings(i)); ++i) ++size;
}

bool TLogsheaf::ReadLineParts(const QByteArray& line, TLASLineParts& parts) const {
    try {
        parts = SplitString(line);
        return true;
    } catch (const Exception&) {
        if (FIgnoreInvMnem) return false;
        throw;
    }
}

int TLogsheaf::FindPropertyIndex(TLASSections sect, const QByteArray& prop) const {
    if (sect == lsData || !FRecords) return -1;
    int index = 0, size = 0;
    FindSectionIndexAndSize(*FRecords, FHeaderCount, sect, index, size);
    for (int i = index + 1; i <= index + size; ++i) {
        TLASLineParts p;
        if (ReadLineParts(FRecords->Strings(i), p) && !p.ID.isEmpty() && p.ID.compare(prop, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TLogsheaf::GetSection(TLASSections sect) const {
    if (!FRecords) return {};
    int index = 0, size = 0;
    FindSectionIndexAndSize(*FRecords, FHeaderCount, sect, index, size);
    QByteArray text;
    for (int i = index + 1; i <= index + size; ++i) text += FRecords->Strings(i) + "\r\n";
    return TextToString(text);
}

QString TLogsheaf::GetProperty(TLASSections sect, const QString& prop) const {
    const int i = FindPropertyIndex(sect, StringToText(prop));
    return i < 0 ? QString() : TextToString(FRecords->Strings(i));
}

QByteArray TLogsheaf::GetAnsiValue(TLASSections sect, const QByteArray& prop) const {
    const int i = FindPropertyIndex(sect, prop);
    if (i < 0) return {};
    QByteArray value = ExtractValue(FRecords->Strings(i), sect);
    if (FCodepage != cpUTF8 && IsOEMString(value)) {
        // The line is stored converted; reading alone does not make the table modified.
        FRecords->BeginUpdate();
        FRecords->SetStrings(i, OemToAnsi(FRecords->Strings(i)));
        FRecords->EndUpdate();
        value = ExtractValue(FRecords->Strings(i), sect);
    }
    return value;
}

QString TLogsheaf::GetValue(TLASSections sect, const QString& prop) { return TextToString(GetAnsiValue(sect, StringToText(prop))); }

int TLogsheaf::CreateSection(TLASSections sect) {
    int index = FindSectionIndex(*FRecords, FHeaderCount, sect);
    if (index >= 0) return index;
    index = 0;
    for (int s = sect + 1; s <= lsData; ++s) {
        const int next = FindSectionIndex(*FRecords, FHeaderCount, TLASSections(s));
        if (next >= 0) {
            index = next;
            break;
        }
    }
    FRecords->Insert(index, SectionNames[sect]);
    ++FHeaderCount;
    return index;
}

void TLogsheaf::InternalSetProperty(TLASSections sect, const QByteArray& prop, const QByteArray& value,
                                    const QByteArray& ext, const QByteArray& comment) {
    if (!FRecords) return;
    if (sect == lsData) DatabaseError(SSectionLocked, this);
    const QByteArray line = CombineString(prop, ext, value, comment);
    const int i = FindPropertyIndex(sect, prop);
    if (i >= 0) {
        FRecords->SetStrings(i, line);
        return;
    }
    int at = CreateSection(sect) + 1;
    while (at < FHeaderCount && Trim(FRecords->Strings(at)).startsWith('#')) ++at;
    FRecords->Insert(at, line);
    ++FHeaderCount;
}

void TLogsheaf::SetValue(TLASSections sect, const QString& prop, const QString& value) {
    if (sect == lsData) DatabaseError(SSectionLocked, this);
    if (!FRecords) return;
    const QByteArray p = StringToText(prop);
    const int i = FindPropertyIndex(sect, p);
    if (i >= 0) {
        const TLASLineParts parts = SplitString(FRecords->Strings(i));
        FRecords->SetStrings(i, CombineString(p, parts.Ext, StringToText(value), parts.Comment));
    } else {
        InternalSetProperty(sect, p, StringToText(value), {}, {});
    }
}

void TLogsheaf::SetProperty(TLASSections sect, const QString& prop, const QString& value, const QString& ext,
                            const QString& comment) {
    if (sect == lsVersion && prop == QLatin1String("VERS")) {
        SetVersion(int(Trunc(StrToFloatPt(value) * 10 + 1e-9)));
        return;
    }
    if (sect == lsVersion && prop == QLatin1String("WRAP")) {
        SetWrapped(value.toUpper() == QLatin1String("YES"));
        return;
    }
    InternalSetProperty(sect, StringToText(prop), StringToText(value), StringToText(ext), StringToText(comment));
}

void TLogsheaf::DeleteProperty(TLASSections sect, const QString& prop) {
    static const QStringList reservedVersion = {QStringLiteral("VERS"), QStringLiteral("WRAP")};
    static const QStringList reservedWell = {QStringLiteral("STRT"), QStringLiteral("STOP"), QStringLiteral("STEP"),
                                             QStringLiteral("DATE"), QStringLiteral("NULL")};
    if ((sect == lsVersion && reservedVersion.contains(prop)) || (sect == lsWell && reservedWell.contains(prop)))
        DatabaseError(SReservedProperty, this);
    if (sect == lsWell)
        for (int w = 0; w < wiCount; ++w)
            if (prop == QLatin1String(WellItems[w].Mnem)) FWell[size_t(w)].clear();
    const int i = FindPropertyIndex(sect, StringToText(prop));
    if (i < 0) return;
    FRecords->Delete(i);
    --FHeaderCount;
    MarkModified();
}

void TLogsheaf::ExchangeWellValueComment(TAnsiStringList& lines, int headerCount) const {
    int index = 0, size = 0;
    FindSectionIndexAndSize(lines, headerCount, lsWell, index, size);
    if (index <= 0 || size == 0) return;
    for (int i = index + 1; i <= index + size; ++i) {
        TLASLineParts p;
        if (!ReadLineParts(lines.Strings(i), p)) continue;
        if (p.ID.isEmpty() || p.ID == "STRT" || p.ID == "STOP" || p.ID == "STEP" || p.ID == "NULL") continue;
        lines.SetStrings(i, CombineString(p.ID, p.Ext, p.Comment, p.Value));
    }
}

void TLogsheaf::DetectCodepage() {
    int ansi = 0, oem = 0;
    for (int i = 0; i < FHeaderCount; ++i)
        for (const char ch : FRecords->Strings(i)) {
            const quint8 c = quint8(ch);
            if (c == 0xB8 || c >= 0xC0) ++ansi;
            if ((c >= 0x80 && c <= 0xAF) || (c >= 0xE0 && c <= 0xF1)) ++oem;
        }
    FCodepage = oem > ansi ? cpOEM : cpANSI;
}

void TLogsheaf::ConvertTo(TLASCodepage page) {
    for (int i = 0; i < FHeaderCount; ++i) {
        const QByteArray& s = FRecords->Strings(i);
        if (s.isEmpty()) continue;
        if (page == cpOEM) FRecords->SetStrings(i, AnsiToOem(s));
        else if (IsOEMString(s)) FRecords->SetStrings(i, OemToAnsi(s));
    }
}

QStringList TLogsheaf::Comment() const {
    if (FRecords) {
        FComment = GetSection(lsComments).split(QStringLiteral("\r\n"));
        FComment.removeLast();
    }
    return FComment;
}

void TLogsheaf::SetComment(const QStringList& lines) {
    if (lines == Comment()) return;
    FComment = lines;
    if (FRecords) RewriteComments();
}

void TLogsheaf::RewriteComments() {
    int index = 0, size = 0;
    FindSectionIndexAndSize(*FRecords, FHeaderCount, lsComments, index, size);
    for (int n = 0; n < size; ++n) {
        FRecords->Delete(index + 1);
        --FHeaderCount;
    }
    int at = CreateSection(lsComments) + 1;
    for (const QString& line : FComment) {
        FRecords->Insert(at++, StringToText(line));
        ++FHeaderCount;
    }
}

int TLogsheaf::ParametersCount() const {
    if (!FRecords) return 0;
    int index = 0, size = 0;
    FindSectionIndexAndSize(*FRecords, FHeaderCount, lsConstants, index, size);
    return size;
}

// ---- properties ----

QString TLogsheaf::WellString(TWellItem item) const {
    if (FRecords) FWell[size_t(item)] = GetAnsiValue(lsWell, WellItems[item].Mnem);
    return TextToString(FWell[size_t(item)]);
}

void TLogsheaf::SetWellString(TWellItem item, const QString& value) {
    const QByteArray v = StringToText(value);
    if (v == StringToText(WellString(item))) return;
    FWell[size_t(item)] = v;
    InternalSetProperty(lsWell, WellItems[item].Mnem, v, {}, WellItems[item].Descr);
}

double TLogsheaf::HeaderNumber(const QByteArray& prop, double def) const {
    double v = def;
    const QByteArray text = GetAnsiValue(lsWell, prop);
    if (!TryStrToFloatPt(std::string_view(text.constData(), size_t(text.size())), v)) return def;
    return v;
}

double TLogsheaf::Start() const { return FRecords ? HeaderNumber("STRT", -1.0) : FStart; }
double TLogsheaf::Stop() const { return FRecords ? HeaderNumber("STOP", -1.0) : FStop; }
double TLogsheaf::Step() const { return FRecords ? HeaderNumber("STEP", 0.0) : FStep; }

void TLogsheaf::SetStart(double value) {
    if (value == Start()) return;
    FStart = value;
    SetValue(lsWell, QStringLiteral("STRT"), QString::fromLatin1(FormatPt(LASDepthFmt, value)));
}

void TLogsheaf::SetStop(double value) {
    if (value == Stop()) return;
    FStop = value;
    SetValue(lsWell, QStringLiteral("STOP"), QString::fromLatin1(FormatPt(LASDepthFmt, value)));
}

void TLogsheaf::SetStep(double value) {
    if (value == Step()) return;
    FStep = value;
    SetValue(lsWell, QStringLiteral("STEP"), QString::fromLatin1(FormatPt(LASDepthFmt, value)));
}

double TLogsheaf::NullValue() const { return FRecords ? HeaderNumber("NULL", LASDefNull) : FNullValue; }

void TLogsheaf::SetNullValue(double value) {
    CheckInactive();
    FNullValue = value;
    FNullAssigned = true;
}

int TLogsheaf::Version() const {
    if (!FRecords) return FVersion;
    double v = 0;
    const QByteArray text = GetAnsiValue(lsVersion, "VERS");
    if (!TryStrToFloatPt(std::string_view(text.constData(), size_t(text.size())), v) || v * 10 > 1e9 || v * 10 < -1e9)
        return 12;
    return int(Trunc(v * 10 + 1e-9));
}

void TLogsheaf::SetVersion(int value) {
    FVersionAssigned = true;
    if (value == Version()) return;
    InternalSetProperty(lsVersion, "VERS", FormatPt(QStringLiteral("0.0"), value / 10.0), {}, "CWLS LAS Version");
    FVersion = value;
}

bool TLogsheaf::Wrapped() const {
    if (!FRecords) return FWrapped;
    return GetAnsiValue(lsVersion, "WRAP").toUpper() == "YES";
}

void TLogsheaf::SetWrapped(bool value) {
    if (value == Wrapped()) return;
    FWrapped = value;
    InternalSetProperty(lsVersion, "WRAP", value ? "YES" : "NO", {}, "Wrap mode");
}

void TLogsheaf::SetCodepage(TLASCodepage value) {
    if (value == FCodepage) return;
    FCodepage = value;
    MarkModified();
}

void TLogsheaf::SetForce20Mode(bool value) {
    if (value == FForce20) return;
    FForce20 = value;
    MarkModified();
}

// ---- a new file ----

void TLogsheaf::CreateTable() {
    CheckInactive();
    TLASFieldDefs* defs = LASFieldDefs();
    if (defs->Count() == 0) DatabaseError(SStructureNotDefined, this);
    const int version = FVersionAssigned ? FVersion : 20;
    const double nullValue = FNullAssigned ? FNullValue : LASDefNull;
    TAnsiStringList lines;
    auto add = [&](const QByteArray& id, const QByteArray& ext, const QByteArray& value, const QByteArray& descr) {
        lines.Add(CombineString(id, ext, value, descr));
    };
    lines.Add(SectionNames[lsVersion]);
    lines.Add(LASBanner);
    add("VERS", {}, FormatPt(QStringLiteral("0.0"), version / 10.0), "CWLS LAS Version");
    add("WRAP", {}, FWrapped ? "YES" : "NO", "Wrap mode");
    lines.Add(SectionNames[lsWell]);
    add("STRT", LASDefStartUnits, FStart == -1.0 ? QByteArray() : FormatPt(LASDepthFmt, FStart), "Started at");
    add("STOP", LASDefStartUnits, FStop == -1.0 ? QByteArray() : FormatPt(LASDepthFmt, FStop), "Stopped at");
    add("STEP", LASDefStartUnits, FormatPt(LASDepthFmt, FStep), "Step");
    add("NULL", {}, FormatPt(LASDepthFmt, nullValue), "Null value");
    for (const TWellItem w : {wiCompany, wiWell, wiField, wiLocation, wiProvince, wiCounty, wiWellState, wiCountry,
                              wiServiceCompany})
        if (!FWell[w].isEmpty()) add(WellItems[w].Mnem, {}, FWell[w], WellItems[w].Descr);
    add("DATE", {}, FWell[wiDate].isEmpty() ? FormatDateTime(DateFormat, ::Date()).toLatin1() : FWell[wiDate], "Date");
    if (!FWell[wiWellID].isEmpty()) add("UWI", {}, FWell[wiWellID], WellItems[wiWellID].Descr);
    lines.Add(SectionNames[lsCurves]);
    for (int i = 0; i < defs->Count(); ++i) {
        const TLASFieldDef& def = *defs->Items(i);
        bool mapped = false;
        for (const QString& entry : FMappings) {
            const TLASMapping m = ExtractMnem(entry);
            if (m.Name == def.Name()) {
                add(StringToText(m.Mnem), StringToText(m.Units), {}, StringToText(m.Descr));
                mapped = true;
                break;
            }
        }
        if (!mapped) add(StringToText(def.Name()), StringToText(def.Units()), {}, StringToText(def.Comment()));
    }
    lines.Add(SectionNames[lsComments]);
    for (const QString& line : FComment) lines.Add(StringToText(line));
    lines.Add(SectionNames[lsData]);
    if (FCodepage == cpOEM)
        for (int i = 0; i < lines.Count(); ++i) lines.SetStrings(i, AnsiToOem(lines.Strings(i)));
    if (version < 20 && !FForce20) ExchangeWellValueComment(lines, lines.Count());
    lines.SaveToFile(FFileName);
}
