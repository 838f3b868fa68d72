#include "SqlDataSet.h"

#include "Formatting.h"

#include <QRegularExpression>
#include <algorithm>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <cmath>
#include <cstring>

// ---- errors ----

long IBErrorCodeOf(const QString& engineText) {
    static const std::pair<const char*, long> known[] = {
        {"violation of PRIMARY or UNIQUE KEY constraint", 335544665},
        {"attempt to store duplicate value", 335544349},
        {"validation error for column", 335544347},
        {"violation of FOREIGN KEY constraint", 335544466},
        {"lock conflict on no wait transaction", 335544345},
        {"deadlock", 335544336},
    };
    for (const auto& [text, code] : known)
        if (engineText.contains(QLatin1String(text), Qt::CaseInsensitive)) return code;
    return 0;
}

namespace {
// Raises the error of a failed statement: EIBError for the Firebird client.
[[noreturn]] void StatementError(const QSqlQuery& q, const TComponentBase* component) {
    const QSqlError error = q.lastError();
    QString message = error.text();
    if (component && !component->Name().isEmpty()) message = component->Name() + QStringLiteral(": ") + message;
    bool isCode = false;
    const int sqlCode = error.nativeErrorCode().toInt(&isCode);
    if (isCode && q.driver() && q.driver()->dbmsType() == QSqlDriver::Interbase)
        throw EIBError(message, sqlCode, IBErrorCodeOf(error.databaseText()));
    throw EDatabaseError(message);
}
}  // namespace

// ---- transaction ----

TSqlTransaction::~TSqlTransaction() {
    if (FActive && FConnection.Connected()) FConnection.Database().rollback();
}

void TSqlTransaction::SetDatabase(const TDataConnection& connection) {
    if (FActive && FConnection.Connected()) FConnection.Database().rollback();
    FActive = false;
    FConnection = TDataConnection::Attach(connection);
}

void TSqlTransaction::Detach() {
    if (FActive && FConnection.Connected()) FConnection.Database().rollback();
    FActive = false;
    FConnection = TDataConnection();
}

void TSqlTransaction::StartTransaction() {
    if (FActive) return;
    if (!FConnection.Connected()) throw EDatabaseError(QStringLiteral("The transaction has no database"));
    QSqlDatabase db = FConnection.Database();
    if (!db.transaction()) throw EDatabaseError(db.lastError().text());
    FActive = true;
}

void TSqlTransaction::Commit() {
    if (!FActive) return;
    QSqlDatabase db = FConnection.Database();
    if (!db.commit()) throw EDatabaseError(db.lastError().text());
    FActive = false;
}

void TSqlTransaction::Rollback() {
    if (!FActive) return;
    FActive = false;
    QSqlDatabase db = FConnection.Database();
    if (!db.rollback()) throw EDatabaseError(db.lastError().text());
}

void TSqlTransaction::CommitRetaining() {
    Commit();
    StartTransaction();
}

void TSqlTransaction::RollbackRetaining() {
    Rollback();
    StartTransaction();
}

// ---- dataset ----

namespace {
// Trailer of a record buffer: the row's id, then its bookmark flag.
constexpr int TrailerSize = int(sizeof(qint64)) + 1;
// Half a millisecond in days: date-times read back may differ by less.
constexpr double DateTimeTolerance = 0.5 / 86400000.0;

const QRegularExpression& ParamPattern() {
    static const QRegularExpression re(QStringLiteral(":([A-Za-z_][A-Za-z0-9_$]*)"));
    return re;
}

TFieldType TypeOf(const QSqlField& f) {
    switch (f.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: return TFieldType::ftInteger;
        case QMetaType::Double:
        case QMetaType::Float: return TFieldType::ftFloat;
        case QMetaType::QDateTime:
        case QMetaType::QDate:
        case QMetaType::QTime: return TFieldType::ftDateTime;
        case QMetaType::Bool: return TFieldType::ftBoolean;
        default: return TFieldType::ftString;
    }
}

TDateTime ToDateTime(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::QDateTime: return QDateTimeToDateTime(v.toDateTime());
        case QMetaType::QDate: return QDateTimeToDateTime(v.toDate().startOfDay());
        case QMetaType::QTime: return v.toTime().msecsSinceStartOfDay() / 86400000.0;
        default: return v.toDouble();
    }
}
}  // namespace

TSqlDataSet::TSqlDataSet(QObject* owner) : TDataSet(owner) {}

TSqlDataSet::~TSqlDataSet() {
    try {
        Close();
    } catch (...) {
    }
}

void TSqlDataSet::CheckTransaction() const {
    if (!Transaction || !Transaction->Connected()) DatabaseError(QStringLiteral("Database not assigned"), this);
}

QSqlQuery TSqlDataSet::Run(const QStringList& sql, const char* newValues, const char* oldValues) const {
    CheckTransaction();
    if (!Transaction->InTransaction()) Transaction->StartTransaction();
    const QString text = sql.join(QLatin1Char('\n'));
    QSqlQuery q(Transaction->Connection().Database());
    q.setForwardOnly(true);
    if (!q.prepare(text)) DatabaseError(q.lastError().text(), this);
    auto it = ParamPattern().globalMatch(text);
    QStringList bound;
    while (it.hasNext()) {
        const QString name = it.next().captured(1);
        const QString upper = name.toUpper();
        if (bound.contains(upper)) continue;
        bound << upper;
        QVariant value = FParams.value(upper);
        const bool old = upper.startsWith(QStringLiteral("OLD_"));
        if (const TField* field = FindField(old ? name.mid(4) : name); field && !field->Calculated()) {
            if (const char* values = old ? oldValues : newValues) value = BufferValue(values, *field);
        }
        q.bindValue(QLatin1Char(':') + name, value);
    }
    if (!q.exec()) StatementError(q, this);
    return q;
}

void TSqlDataSet::InternalInitFieldDefs() {}

void TSqlDataSet::InternalOpen() {
    QSqlQuery q = Run(SelectSQL, nullptr, nullptr);
    FieldDefs()->Clear();
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i) {
        const QSqlField f = rec.field(i);
        const TFieldType type = TypeOf(f);
        FieldDefs()->Add(f.name(), type, type == TFieldType::ftString ? std::max<int>(1, int(f.length())) : 0,
                         f.requiredStatus() == QSqlField::Required);
    }
    if (FieldCount() == 0 || DefaultFields()) {
        CreateFields();
        BindFields(true);
    } else {
        BindFields(true);
        for (int i = 0; i < FieldCount(); ++i)
            if (!Fields(i)->Calculated() && Fields(i)->FieldNo() == 0)
                DatabaseError(SFieldNotFound.arg(Fields(i)->FieldName()), this);
    }
    Layout();
    FRows.clear();
    FCursor = -1;
    while (q.next()) {
        TRow row{FNextId++, std::vector<char>(size_t(FRecordSize), '\0')};
        for (int i = 0; i < FieldCount(); ++i) {
            const TField& f = *Fields(i);
            if (!f.Calculated()) SetBufferValue(row.Data.data(), f, q.value(f.FieldNo() - 1));
        }
        FRows.push_back(std::move(row));
    }
    FOpen = true;
}

void TSqlDataSet::InternalClose() {
    FRows.clear();
    FCursor = -1;
    FOpen = false;
    if (DefaultFields()) DestroyFields();
}

void TSqlDataSet::Layout() {
    FOffsets.clear();
    int offset = 0;
    for (int i = 0; i < FieldCount(); ++i) {
        FOffsets.push_back(offset);
        offset += 1 + Fields(i)->DataSize();
    }
    FRecordSize = offset + TrailerSize;
}

bool TSqlDataSet::GetFieldData(const TField* field, void* buffer) const {
    const int i = field->Index();
    if (i < 0 || !Active() || (State() != TDataSetState::dsCalcFields && !HasActiveRecord())) return false;
    const char* p = ActiveBuffer() + FOffsets[size_t(i)];
    if (!p[0]) return false;
    if (buffer) std::memcpy(buffer, p + 1, size_t(field->DataSize()));
    return true;
}

void TSqlDataSet::SetFieldData(TField* field, const void* buffer) {
    const int i = field->Index();
    if (i < 0) return;
    if (field->Calculated() != (State() == TDataSetState::dsCalcFields))
        DatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field->FieldName()), this);
    char* p = ActiveBuffer() + FOffsets[size_t(i)];
    p[0] = buffer ? 1 : 0;
    if (buffer) std::memcpy(p + 1, buffer, size_t(field->DataSize()));
    else std::memset(p + 1, 0, size_t(field->DataSize()));
    if (State() == TDataSetState::dsCalcFields) return;
    CalculateFields(ActiveBuffer());
    DataEvent(TDataEvent::deFieldChange, field);
}

void TSqlDataSet::ClearCalcFields(char* buffer) {
    for (int i = 0; i < FieldCount(); ++i)
        if (Fields(i)->Calculated()) std::memset(buffer + FOffsets[size_t(i)], 0, size_t(1 + Fields(i)->DataSize()));
}

QVariant TSqlDataSet::BufferValue(const char* buffer, const TField& field) const {
    const char* p = buffer + FOffsets[size_t(field.Index())];
    if (!p[0]) {
        // A typed null: Qt's Firebird driver writes an untyped one as zero or an empty text.
        switch (field.DataType()) {
            case TFieldType::ftInteger: return QVariant(QMetaType(QMetaType::Int));
            case TFieldType::ftBoolean: return QVariant(QMetaType(QMetaType::Bool));
            case TFieldType::ftFloat: return QVariant(QMetaType(QMetaType::Double));
            case TFieldType::ftDateTime: return QVariant(QMetaType(QMetaType::QDateTime));
            case TFieldType::ftString: return QVariant(QMetaType(QMetaType::QString));
            case TFieldType::ftUnknown: break;
        }
        return {};
    }
    ++p;
    switch (field.DataType()) {
        case TFieldType::ftInteger: {
            qint32 v;
            std::memcpy(&v, p, sizeof v);
            return int(v);
        }
        case TFieldType::ftBoolean: {
            quint16 v;
            std::memcpy(&v, p, sizeof v);
            return v != 0;
        }
        case TFieldType::ftFloat: {
            double v;
            std::memcpy(&v, p, sizeof v);
            return v;
        }
        case TFieldType::ftDateTime: {
            double v;
            std::memcpy(&v, p, sizeof v);
            return DateTimeToQDateTime(v);
        }
        case TFieldType::ftString: {
            const auto n = qstrnlen(p, size_t(field.DataSize()));
            return QString::fromUtf8(p, qsizetype(n));
        }
        case TFieldType::ftUnknown: break;
    }
    return {};
}

void TSqlDataSet::SetBufferValue(char* buffer, const TField& field, const QVariant& value) const {
    char* p = buffer + FOffsets[size_t(field.Index())];
    std::memset(p, 0, size_t(1 + field.DataSize()));
    if (!value.isValid() || value.isNull()) return;
    p[0] = 1;
    ++p;
    switch (field.DataType()) {
        case TFieldType::ftInteger: {
            const qint32 v = value.toInt();
            std::memcpy(p, &v, sizeof v);
            break;
        }
        case TFieldType::ftBoolean: {
            const quint16 v = value.toBool() ? 1 : 0;
            std::memcpy(p, &v, sizeof v);
            break;
        }
        case TFieldType::ftFloat: {
            const double v = value.toDouble();
            std::memcpy(p, &v, sizeof v);
            break;
        }
        case TFieldType::ftDateTime: {
            const double v = ToDateTime(value);
            std::memcpy(p, &v, sizeof v);
            break;
        }
        case TFieldType::ftString: {
            QByteArray utf8 = value.toString().toUtf8();
            qsizetype n = std::min<qsizetype>(utf8.size(), field.DataSize() - 1);
            while (n > 0 && n < utf8.size() && (quint8(utf8[n]) & 0xC0) == 0x80) --n;
            std::memcpy(p, utf8.constData(), size_t(n));
            break;
        }
        case TFieldType::ftUnknown: break;
    }
}

qint64 TSqlDataSet::BufferId(const char* buffer) const {
    qint64 id;
    std::memcpy(&id, buffer + FRecordSize - TrailerSize, sizeof id);
    return id;
}

int TSqlDataSet::RowIndex(qint64 id) const {
    for (size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i].Id == id) return int(i);
    return -1;
}

TGetResult TSqlDataSet::GetRecord(char* buffer, TGetMode mode, bool doCheck) {
    Q_UNUSED(doCheck);
    const int n = int(FRows.size());
    switch (mode) {
        case TGetMode::gmNext:
            if (FCursor >= n - 1) {
                FCursor = n;
                return TGetResult::grEOF;
            }
            ++FCursor;
            break;
        case TGetMode::gmPrior:
            if (FCursor <= 0) {
                FCursor = -1;
                return TGetResult::grBOF;
            }
            --FCursor;
            break;
        case TGetMode::gmCurrent:
            if (FCursor < 0 || FCursor >= n) return TGetResult::grError;
            break;
    }
    const TRow& row = FRows[size_t(FCursor)];
    std::memcpy(buffer, row.Data.data(), size_t(FRecordSize));
    std::memcpy(buffer + FRecordSize - TrailerSize, &row.Id, sizeof row.Id);
    buffer[FRecordSize - 1] = char(TBookmarkFlag::bfCurrent);
    CalculateFields(buffer);
    return TGetResult::grOK;
}

int TSqlDataSet::GetRecNo() const {
    if (!Active() || IsEmpty() || State() == TDataSetState::dsInsert) return -1;
    return RowIndex(BufferId(ActiveBuffer())) + 1;
}

void TSqlDataSet::SetRecNoValue(int value) {
    CheckBrowseMode();
    if (value < 1 || value > int(FRows.size())) return;
    DoBeforeScroll();
    FCursor = value - 1;
    Resync();
    DoAfterScroll();
}

TBookmark TSqlDataSet::GetBookmarkData(const char* buffer) const {
    const qint64 id = BufferId(buffer);
    return TBookmark(reinterpret_cast<const char*>(&id), sizeof id);
}

TBookmarkFlag TSqlDataSet::GetBookmarkFlag(const char* buffer) const {
    return TBookmarkFlag(quint8(buffer[FRecordSize - 1]));
}

void TSqlDataSet::SetBookmarkFlag(char* buffer, TBookmarkFlag flag) { buffer[FRecordSize - 1] = char(flag); }

bool TSqlDataSet::BookmarkValid(const TBookmark& bookmark) const {
    if (bookmark.size() != int(sizeof(qint64))) return false;
    qint64 id;
    std::memcpy(&id, bookmark.constData(), sizeof id);
    return RowIndex(id) >= 0;
}

void TSqlDataSet::InternalGotoBookmark(const TBookmark& bookmark) {
    if (bookmark.size() != int(sizeof(qint64))) DatabaseError(QStringLiteral("Invalid bookmark"), this);
    qint64 id;
    std::memcpy(&id, bookmark.constData(), sizeof id);
    const int i = RowIndex(id);
    if (i < 0) DatabaseError(QStringLiteral("Record not found"), this);
    FCursor = i;
}

void TSqlDataSet::InternalSetToRecord(const char* buffer) {
    const int i = RowIndex(BufferId(buffer));
    if (i >= 0) FCursor = i;
}

void TSqlDataSet::InternalInitRecord(char* buffer) {
    std::memset(buffer, 0, size_t(FRecordSize));
    const qint64 none = 0;
    std::memcpy(buffer + FRecordSize - TrailerSize, &none, sizeof none);
}

void TSqlDataSet::RefreshRow(TRow& row) const {
    if (RefreshSQL.isEmpty()) return;
    QSqlQuery q = Run(RefreshSQL, row.Data.data(), row.Data.data());
    if (!q.next()) return;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < FieldCount(); ++i) {
        const TField& f = *Fields(i);
        const int k = f.Calculated() ? -1 : rec.indexOf(f.FieldName());
        if (k >= 0) SetBufferValue(row.Data.data(), f, q.value(k));
    }
}

void TSqlDataSet::InternalPost() {
    char* buffer = ActiveBuffer();
    if (State() == TDataSetState::dsEdit) {
        if (FCursor < 0 || FCursor >= int(FRows.size())) DatabaseError(SDataSetEmpty, this);
        TRow& row = FRows[size_t(FCursor)];
        QSqlQuery q = Run(ModifySQL, buffer, row.Data.data());
        // A row another attachment removed meanwhile is not written again.
        if (q.numRowsAffected() == 0) DatabaseError(QStringLiteral("Record not found or changed by another user"), this);
        std::memcpy(row.Data.data(), buffer, size_t(FRecordSize - TrailerSize));
        RefreshRow(row);
        return;
    }
    Run(InsertSQL, buffer, nullptr);
    TRow row{FNextId++, std::vector<char>(buffer, buffer + FRecordSize)};
    RefreshRow(row);
    int at = GetBookmarkFlag(buffer) == TBookmarkFlag::bfEOF ? int(FRows.size()) : std::clamp(FCursor, 0, int(FRows.size()));
    FRows.insert(FRows.begin() + at, std::move(row));
    FCursor = at;
}

void TSqlDataSet::InternalDelete() {
    if (FCursor < 0 || FCursor >= int(FRows.size())) DatabaseError(SDataSetEmpty, this);
    TRow& row = FRows[size_t(FCursor)];
    QSqlQuery q = Run(DeleteSQL, nullptr, row.Data.data());
    if (q.numRowsAffected() == 0) DatabaseError(QStringLiteral("Record not found or changed by another user"), this);
    FRows.erase(FRows.begin() + FCursor);
}

bool TSqlDataSet::Locate(const QStringList& fields, const QVariantList& values) {
    CheckBrowseMode();
    std::vector<const TField*> fs;
    for (const QString& name : fields) fs.push_back(FieldByName(name));
    for (size_t r = 0; r < FRows.size(); ++r) {
        bool match = true;
        for (size_t k = 0; k < fs.size() && match; ++k) {
            const QVariant have = BufferValue(FRows[r].Data.data(), *fs[k]);
            const QVariant want = values.value(int(k));
            if (have.isNull() || want.isNull()) match = have.isNull() && want.isNull();
            else if (fs[k]->DataType() == TFieldType::ftDateTime)
                match = std::fabs(ToDateTime(have) - ToDateTime(want)) < DateTimeTolerance;
            else if (fs[k]->DataType() == TFieldType::ftString) match = have.toString() == want.toString();
            else match = have.toDouble() == want.toDouble();
        }
        if (match) {
            DoBeforeScroll();
            FCursor = int(r);
            Resync();
            DoAfterScroll();
            return true;
        }
    }
    return false;
}
