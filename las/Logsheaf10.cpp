#include "Logsheaf10.h"

#include "ClassRegistry.h"
#include "DebugOutput.h"
#include "Exceptions.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <cmath>
#include <cstring>

WK_REGISTER_CLASS(TLogsheaf)

void TLASFieldDef::Assign(const TPersistent* source) {
    TFieldDef::Assign(source);
    if (auto* def = qobject_cast<const TLASFieldDef*>(source)) {
        FComment = def->FComment;
        FUnits = def->FUnits;
    }
}

TLASFieldDef* TLASFieldDefs::Add(const QString& name, const QString& units, const QString& comment) {
    auto* def = qobject_cast<TLASFieldDef*>(TFieldDefs::Add(name, TFieldType::ftFloat));
    def->SetUnits(units);
    def->SetComment(comment);
    return def;
}

TLogsheaf::TLogsheaf(QObject* owner) : TDataSet(owner) { SetFieldDefs(new TLASFieldDefs(this)); }

TLogsheaf::~TLogsheaf() {
    try {
        Close();
    } catch (const std::exception& e) {
        OutputDebugString(QStringLiteral("TLogsheaf.Destroy: ") + ExceptionMessage(e));
    }
}

std::unique_ptr<TField> TLogsheaf::CreateField(const TFieldDef& def) {
    auto field = std::make_unique<TLASField>(this);
    if (def.Precision() > 0) field->Precision = def.Precision();
    return field;
}

// ---- opening ----

namespace {

// Memory the records of one file may take beyond the file itself: a few
// bytes of text per value make 8 bytes of record, but a line of one value
// under thousands of curves must not make megabytes.
qint64 RecordBudget(qint64 fileSize) { return (qint64(64) << 20) + 16 * fileSize; }

}  // namespace

void TLogsheaf::InternalOpen() {
    FRecords = std::make_unique<TAnsiStringList>();
    try {
        QFile file(FFileName);
        if (FFileName.isEmpty() || !QFileInfo(FFileName).isFile()) DatabaseError(SFileNotExists.arg(FFileName), this);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            DatabaseError(QStringLiteral("Cannot open file %1. %2").arg(FFileName, file.errorString()), this);
        // The file's bytes are read in place through a mapping where the
        // system allows one: records are made straight from them.
        QByteArray whole;
        if (file.size() > 0) {
            if (uchar* mapped = file.map(0, file.size())) whole = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), file.size());
            else whole = file.readAll();
        }
        // A UTF-8 byte-order mark is no part of the first line; it is kept
        // for the save.
        FByteOrderMark = whole.startsWith(Utf8ByteOrderMark);
        const qsizetype skip = FByteOrderMark ? Utf8ByteOrderMark.size() : 0;
        const QByteArray text = QByteArray::fromRawData(whole.constData() + skip, whole.size() - skip);
        FCurRec = -1;
        // Header lines up to the data-section line become text lines; the
        // data lines are read straight from the file's bytes.
        std::vector<std::string_view> data;
        FHeaderCount = 0;
        ForEachLine(text, [&](std::string_view s, int) {
            if (FHeaderCount > 0) {
                data.push_back(s);
                return;
            }
            FRecords->Add(QByteArray(s.data(), qsizetype(s.size())));
            if (IsSectionLine(FRecords->Strings(FRecords->Count() - 1), lsData)) FHeaderCount = FRecords->Count();
        });
        if (FHeaderCount == 0) {
            // A LAS 3.0 file names its data sections otherwise: say what it is.
            FHeaderCount = FRecords->Count();
            CheckVersionSupported();
            DatabaseError(QString::fromLatin1(SectionNames[lsData]) + SSectionNotFound, this);
        }
        ChooseEncoding();
        CheckVersionSupported();
        InternalInitFieldDefs();
        CreateFields();
        LabelFields();
        BindFields(true);
        FNullValue = NullValue();
        FVersion = Version();
        if (FVersion < 20 && !FForce20) ExchangeWellValueComment(*FRecords, FHeaderCount);
        if (FHeaderOnly) {
            FDataTail.clear();
            for (const std::string_view s : data) FDataTail.append(QByteArray(s.data(), qsizetype(s.size())));
        } else {
            if (Wrapped()) {
                const QList<QByteArray> joined = Unwrap(data, FHeaderCount, FCount);
                std::vector<std::string_view> views;
                views.reserve(size_t(joined.size()));
                for (const QByteArray& l : joined) views.emplace_back(l.constData(), size_t(l.size()));
                ReadRecords(views, text.size());
            } else {
                ReadRecords(data, text.size());
            }
            for (int i = 0; i < FRecords->Count(); ++i) FRecords->SetObjects(i, i + 1);
            FLastBookmark = FRecords->Count();
        }
    } catch (const EDatabaseError&) {
        FRecords.reset();
        FRecordArena.clear();
        throw;
    } catch (const Exception& e) {
        FRecords.reset();
        FRecordArena.clear();
        if (e.Message().startsWith(SUnwrapError)) DatabaseError(e.Message(), this);
        throw;
    } catch (...) {
        FRecords.reset();
        FRecordArena.clear();
        throw;
    }
    FRecords->OnChange = [this] { MarkModified(); };
    FDirty = false;
}

void TLogsheaf::ReadRecords(const std::vector<std::string_view>& lines, qint64 fileSize) {
    const qint64 budget = RecordBudget(fileSize);
    std::vector<double> values(static_cast<size_t>(FCount));
    // The records are parsed into one block first and the lines refer into
    // it: one allocation for the data, not one per record. An edited record
    // gets a string of its own.
    QByteArray arena;
    qint64 candidates = 0;
    arena.reserve(qsizetype(std::min<qint64>(qint64(lines.size()) * FRecSize, budget)));
    for (const std::string_view line : lines) {
        size_t i = 0;
        while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
        if (i == line.size() || line[i] == '#') continue;
        ++candidates;
        if (!ParseDataLine(line, values.data(), FCount, FNullValue)) continue;
        if (arena.size() + FRecSize > budget)
            DatabaseError(QStringLiteral("Data section too large for %1 curves").arg(FCount), this);
        arena.append(reinterpret_cast<const char*>(values.data()), FRecSize);
    }
    // Bytes that merely hold a data-section line are no LAS file: some line
    // must read as numbers (an empty data section is a table without records).
    if (arena.isEmpty() && candidates > 0) DatabaseError(SNoNumbers, this);
    FRecordArena = arena;
    const int count = FRecSize > 0 ? int(FRecordArena.size() / FRecSize) : 0;
    FRecords->Reserve(FHeaderCount + count);
    for (int r = 0; r < count; ++r)
        FRecords->Add(QByteArray::fromRawData(FRecordArena.constData() + qsizetype(r) * FRecSize, FRecSize));
}

void TLogsheaf::ChooseEncoding() {
    QByteArray header;
    for (int i = 0; i < FHeaderCount; ++i) header += FRecords->Strings(i) + '\n';
    switch (TextKind(header)) {
        case TLASTextKind::Utf8: FCodepage = cpUTF8; return;
        // Plain ASCII is UTF-8 too: a table set to write UTF-8 stays so.
        case TLASTextKind::Ascii: if (FCodepage == cpUTF8) return; break;
        case TLASTextKind::SingleByte: if (FCodepage == cpUTF8) FCodepage = cpANSI; break;
    }
    if (FAutodetectCodepage) DetectCodepage();
    if (FCodepage == cpOEM) ConvertTo(cpANSI);
}

void TLogsheaf::CheckVersionSupported() {
    if (Version() >= 30) DatabaseError(QStringLiteral("%1: %2").arg(SLas30NotSupported, FFileName), this);
}

QString TLogsheaf::TextToString(const QByteArray& text) const {
    return FCodepage == cpUTF8 ? QString::fromUtf8(text) : AnsiToString(text);
}

QByteArray TLogsheaf::StringToText(const QString& text) const {
    return FCodepage == cpUTF8 ? text.toUtf8() : StringToAnsi(text);
}

void TLogsheaf::InternalInitFieldDefs() {
    FRecSize = 0;
    FCount = 0;
    int index = 0, size = 0;
    FindSectionIndexAndSize(*FRecords, FHeaderCount, lsCurves, index, size);
    const QString title = QString::fromLatin1(SectionNames[lsCurves]);
    if (index < 0) DatabaseError(title + SSectionNotFound, this);
    if (size == 0) DatabaseError(title + SSectionEmpty, this);
    TLASFieldDefs* defs = LASFieldDefs();
    defs->BeginUpdate();
    defs->Clear();
    std::vector<TLASMapping> mappings;
    for (const QString& entry : FMappings) mappings.push_back(ExtractMnem(entry));
    QSet<QString> names;
    QHash<QString, int> repeats;
    const qint64 budget = RecordBudget(0);
    for (int i = index + 1; i <= index + size; ++i) {
        TLASLineParts p;
        try {
            if (!ReadLineParts(FRecords->Strings(i), p)) continue;
        } catch (...) {
            defs->EndUpdate();
            throw;
        }
        if (p.ID.isEmpty()) continue;
        QString name = TextToString(p.ID);
        for (const TLASMapping& m : mappings)
            if (m.Mnem == name && !m.Name.isEmpty()) name = m.Name;
        if (names.contains(name)) {
            const QString base = name;
            int& n = repeats[base];
            do name = base + LASConflict + QString::number(++n);
            while (names.contains(name));
        }
        names.insert(name);
        defs->Add(name);
        ++FCount;
        FRecSize += int(sizeof(double));
        // A field and its definition are a few hundred bytes each.
        if (qint64(FCount) * 1024 > budget) {
            defs->EndUpdate();
            DatabaseError(QStringLiteral("Too many curves: more than %1").arg(FCount - 1), this);
        }
    }
    defs->EndUpdate();
    if (FCount == 0) throw Exception(SNoFieldsDefined);
}

void TLogsheaf::LabelFields() {
    int index = 0, size = 0;
    FindSectionIndexAndSize(*FRecords, FHeaderCount, lsCurves, index, size);
    int k = 0;
    for (int i = index + 1; i <= index + size && k < FieldCount(); ++i) {
        TLASLineParts p;
        if (!ReadLineParts(FRecords->Strings(i), p) || p.ID.isEmpty()) continue;
        TLASField* f = LASField(k);
        TLASFieldDef* def = LASFieldDefs()->Items(k);
        ++k;
        f->Units = TextToString(p.Ext);
        f->Comment = TextToString(p.Comment);
        def->SetUnits(f->Units);
        def->SetComment(f->Comment);
        QString label = f->Comment.isEmpty() ? TextToString(p.ID) : f->Comment;
        if (!f->Units.isEmpty()) label += QStringLiteral(" (") + f->Units + QLatin1Char(')');
        f->SetDisplayLabel(label);
    }
}

// ---- cursor ----

TLogsheaf::TRecInfo TLogsheaf::RecInfo(const char* buffer) const {
    TRecInfo info;
    const char* p = buffer + FRecSize;
    std::memcpy(&info.Bookmark, p, 4);
    info.BookmarkFlag = TBookmarkFlag(quint8(p[4]));
    std::memcpy(&info.RecordNumber, p + 5, 4);
    return info;
}

void TLogsheaf::SetRecInfo(char* buffer, const TRecInfo& info) const {
    char* p = buffer + FRecSize;
    std::memcpy(p, &info.Bookmark, 4);
    p[4] = char(info.BookmarkFlag);
    std::memcpy(p + 5, &info.RecordNumber, 4);
}

TGetResult TLogsheaf::GetRecord(char* buffer, TGetMode mode, bool doCheck) {
    const int count = DataCount();
    TGetResult result = TGetResult::grOK;
    if (count <= 0) {
        result = TGetResult::grEOF;
    } else {
        switch (mode) {
            case TGetMode::gmNext:
                if (FCurRec >= count - 1) result = TGetResult::grEOF;
                else ++FCurRec;
                break;
            case TGetMode::gmPrior:
                if (FCurRec <= 0) result = TGetResult::grBOF;
                else FCurRec = std::min(FCurRec, count) - 1;
                break;
            case TGetMode::gmCurrent:
                if (FCurRec < 0 || FCurRec >= count) result = TGetResult::grError;
                break;
        }
    }
    if (result == TGetResult::grOK) {
        const int line = FHeaderCount + FCurRec;
        std::memcpy(buffer, FRecords->Strings(line).constData(), size_t(FRecSize));
        SetRecInfo(buffer, {FRecords->Objects(line), TBookmarkFlag::bfCurrent, FCurRec});
    } else if (result == TGetResult::grError && doCheck) {
        DatabaseError(SNoRecords, this);
    }
    return result;
}

int TLogsheaf::GetRecordCount() const { return DataCount(); }

int TLogsheaf::GetRecNo() const {
    if (!Active() || !HasActiveRecord()) return -1;
    return RecInfo(ActiveBuffer()).RecordNumber + 1;
}

void TLogsheaf::SetRecNoValue(int value) {
    CheckBrowseMode();
    if (value == GetRecNo()) return;
    DoBeforeScroll();
    FCurRec = value - 1;
    Resync();
    DoAfterScroll();
}

TBookmark TLogsheaf::GetBookmarkData(const char* buffer) const {
    const qint32 bm = RecInfo(buffer).Bookmark;
    return TBookmark(reinterpret_cast<const char*>(&bm), sizeof bm);
}

TBookmarkFlag TLogsheaf::GetBookmarkFlag(const char* buffer) const { return RecInfo(buffer).BookmarkFlag; }

void TLogsheaf::SetBookmarkFlag(char* buffer, TBookmarkFlag flag) {
    TRecInfo info = RecInfo(buffer);
    info.BookmarkFlag = flag;
    SetRecInfo(buffer, info);
}

void TLogsheaf::InternalGotoBookmark(const TBookmark& bookmark) {
    if (bookmark.size() != 4) DatabaseError(SBookmarkNotFound, this);
    qint32 bm = 0;
    std::memcpy(&bm, bookmark.constData(), 4);
    for (int i = FHeaderCount; i < FRecords->Count(); ++i)
        if (FRecords->Objects(i) == bm) {
            FCurRec = i - FHeaderCount;
            return;
        }
    DatabaseError(SBookmarkNotFound, this);
}

void TLogsheaf::InternalSetToRecord(const char* buffer) { InternalGotoBookmark(GetBookmarkData(buffer)); }

// ---- values and changes ----

bool TLogsheaf::GetFieldData(const TField* field, void* buffer) const {
    if (!Active() || !HasActiveRecord() || field->FieldNo() < 1 || field->FieldNo() > FCount) return false;
    double v = 0;
    std::memcpy(&v, ActiveBuffer() + (field->FieldNo() - 1) * int(sizeof(double)), sizeof v);
    if (buffer) std::memcpy(buffer, &v, sizeof v);
    return v != FNullValue;
}

void TLogsheaf::SetFieldData(TField* field, const void* buffer) {
    if (field->FieldNo() < 1 || field->FieldNo() > FCount) return;
    char* at = ActiveBuffer() + (field->FieldNo() - 1) * int(sizeof(double));
    if (buffer) std::memcpy(at, buffer, sizeof(double));
    else std::memcpy(at, &FNullValue, sizeof(double));
    DataEvent(TDataEvent::deFieldChange, field);
}

void TLogsheaf::InternalInitRecord(char* buffer) {
    for (int i = 0; i < FCount; ++i) std::memcpy(buffer + i * int(sizeof(double)), &FNullValue, sizeof(double));
}

void TLogsheaf::InternalPost() {
    if (State() == TDataSetState::dsEdit) {
        FRecords->SetStrings(FHeaderCount + FCurRec, QByteArray(ActiveBuffer(), FRecSize));
        // An edited record must reach the file like an inserted one.
        MarkModified();
        return;
    }
    InternalAddRecord(ActiveBuffer(), GetBookmarkFlag(ActiveBuffer()) == TBookmarkFlag::bfEOF);
}

void TLogsheaf::InternalAddRecord(const char* buffer, bool append) {
    if (append) FCurRec = DataCount();
    FCurRec = qBound(0, FCurRec, DataCount());
    FRecords->InsertObject(FHeaderCount + FCurRec, QByteArray(buffer, FRecSize), ++FLastBookmark);
    MarkModified();
}

void TLogsheaf::InternalDelete() {
    FRecords->Delete(FHeaderCount + FCurRec);
    if (FCurRec >= DataCount()) --FCurRec;
    MarkModified();
}

// ---- closing and saving ----

void TLogsheaf::InternalClose() {
    std::exception_ptr failure;
    // Version and wrap mode stay held for the closed table.
    if (FRecords) {
        FVersion = Version();
        FWrapped = Wrapped();
    }
    if (FRecords && FDirty && !FReadOnly) {
        try {
            DoSave();
        } catch (const std::exception& e) {
            OutputDebugString(QStringLiteral("TLogsheaf.InternalClose: saving %1 failed: %2").arg(FFileName, ExceptionMessage(e)));
            failure = std::current_exception();
        }
    }
    FRecords.reset();
    FRecordArena.clear();
    FDataTail.clear();
    FLastBookmark = 0;
    FCurRec = -1;
    FHeaderCount = 0;
    FDirty = false;
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    FStart = -1.0;
    FStop = -1.0;
    FStep = 0;
    FNullValue = LASDefNull;
    for (QByteArray& s : FWell) s.clear();
    if (failure) std::rethrow_exception(failure);
}

void TLogsheaf::DoSave() {
    FRecords->OnChange = nullptr;
    if (FCodepage == cpOEM) ConvertTo(cpOEM);
    if (Version() < 20 && !FForce20) ExchangeWellValueComment(*FRecords, FHeaderCount);
    if (FHeaderOnly) {
        FRecords->Truncate(FHeaderCount);
        for (const QByteArray& line : FDataTail) FRecords->Add(line);
    } else {
        SaveRecords();
    }
    EnsureBanner();
    if (FByteOrderMark) FRecords->SetStrings(0, Utf8ByteOrderMark + FRecords->Strings(0));
    FRecords->SaveToFile(FFileName);
}

void TLogsheaf::SaveRecords() {
    std::vector<int> precisions;
    for (int i = 0; i < FCount; ++i) precisions.push_back(i < FieldCount() ? LASField(i)->Precision : 15);
    TLASRecordWriter writer(precisions, FNullValue);
    std::vector<double> record(static_cast<size_t>(FCount));
    auto load = [&](int line) { std::memcpy(record.data(), FRecords->Strings(line).constData(), size_t(FRecSize)); };
    for (int i = FHeaderCount; i < FRecords->Count(); ++i) {
        load(i);
        writer.Scan(record.data());
    }
    writer.Finish();
    const bool wrapped = Wrapped();
    TAnsiStringList out;
    out.Reserve(FRecords->Count());
    for (int i = 0; i < FHeaderCount; ++i) out.Add(FRecords->Strings(i));
    for (int i = FHeaderCount; i < FRecords->Count(); ++i) {
        load(i);
        if (wrapped)
            for (const QByteArray& l : writer.Wrap(record.data())) out.Add(l);
        else
            out.Add(writer.Format(record.data()));
    }
    *FRecords = std::move(out);
}

void TLogsheaf::EnsureBanner() {
    const int v = FindSectionIndex(*FRecords, FHeaderCount, lsVersion);
    if (v < 0) return;
    if (v + 1 < FRecords->Count() && FRecords->Strings(v + 1) == LASBanner) return;
    FRecords->Insert(v + 1, LASBanner);
    ++FHeaderCount;
}

// ---- whole-table operations ----

void TLogsheaf::DetectDataStartStop() {
    CheckActive();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int i = 0; i < FieldCount(); ++i) {
        TLASField* f = LASField(i);
        f->Start = nan;
        f->Stop = nan;
        First();
        while (!Eof()) {
            if (!f->IsNull()) {
                f->Start = Fields(0)->AsFloat();
                break;
            }
            Next();
        }
        if (std::isnan(f->Start)) continue;
        Last();
        while (!Bof()) {
            if (!f->IsNull()) {
                f->Stop = Fields(0)->AsFloat();
                break;
            }
            Prior();
        }
    }
}

void TLogsheaf::Flip() {
    CheckBrowseMode();
    const int count = DataCount();
    for (int i = 0; i < count / 2; ++i) FRecords->Exchange(FHeaderCount + i, FHeaderCount + count - 1 - i);
    SetStep(-Step());
    // The extent follows the order of the records.
    const double start = Start(), stop = Stop();
    SetStart(stop);
    SetStop(start);
    MarkModified();
    First();
}
