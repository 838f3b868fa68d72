#include "DataSet.h"

#include "Formatting.h"

#include <cmath>
#include <cstring>
#include <limits>

void DatabaseError(const QString& message, const TComponentBase* component) {
    if (component && !component->Name().isEmpty()) throw EDatabaseError(component->Name() + QStringLiteral(": ") + message);
    throw EDatabaseError(message);
}

// ---- field messages ----

namespace {
QString& FieldMessageSlot(TFieldMessage message) {
    static QString texts[] = {
        QStringLiteral("Field '%s' must have a value"),
        QStringLiteral("%g is not a valid value for field '%s'. The allowed range is %g to %g"),
        QStringLiteral("'%s' is not a valid integer value for field '%s'"),
        QStringLiteral("'%s' is not a valid floating point value for field '%s'"),
    };
    return texts[int(message)];
}

[[noreturn]] void RangeError(double value, const TField& field, double minValue, double maxValue) {
    throw EDatabaseError(FormatFieldMessage(TFieldMessage::fmFieldRangeError,
                                            {value, field.DisplayLabel(), minValue, maxValue}));
}
}  // namespace

QString FieldMessage(TFieldMessage message) { return FieldMessageSlot(message); }

void SetFieldMessage(TFieldMessage message, const QString& format) { FieldMessageSlot(message) = format; }

QString FormatFieldMessage(TFieldMessage message, const QVariantList& args) {
    const QString format = FieldMessage(message);
    QString out;
    int next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar kind = format[++i];
        if (kind == QLatin1Char('%')) {
            out += kind;
            continue;
        }
        const QVariant arg = args.value(next++);
        if (kind == QLatin1Char('g')) out += FloatToStr(arg.toDouble());
        else if (kind == QLatin1Char('d')) out += QString::number(arg.toLongLong());
        else out += arg.toString();
    }
    return out;
}

// ---- field definitions ----

TFieldDef::TFieldDef(TCollection* collection) : TCollectionItem(collection) {}

void TFieldDef::Assign(const TPersistent* source) {
    if (auto* def = qobject_cast<const TFieldDef*>(source)) {
        FName = def->FName;
        FDataType = def->FDataType;
        FSize = def->FSize;
        FPrecision = def->FPrecision;
        FRequired = def->FRequired;
        return;
    }
    TCollectionItem::Assign(source);
}

TFieldDefs::TFieldDefs(QObject* owner, const QMetaObject* itemClass) : TCollection(itemClass, owner) {}

TFieldDef* TFieldDefs::Add(const QString& name, TFieldType type, int size, bool required) {
    TFieldDef* def = AddFieldDef();
    def->SetName(name);
    def->SetDataType(type);
    def->SetSize(size);
    def->SetRequired(required);
    return def;
}

int TFieldDefs::IndexOf(const QString& name) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name().compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

TFieldDef* TFieldDefs::FindDef(const QString& name) const {
    const int i = IndexOf(name);
    return i < 0 ? nullptr : Items(i);
}

TFieldDef* TFieldDefs::Find(const QString& name) const {
    if (TFieldDef* def = FindDef(name)) return def;
    DatabaseError(SFieldNotFound.arg(name), AsComponent(Owner()));
}

// ---- fields ----

TField::TField(TDataSet* dataSet, TFieldType type, int dataSize)
    : FDataSet(dataSet), FDataType(type), FDataSize(dataSize) {}

int TField::Index() const {
    for (int i = 0; i < FDataSet->FieldCount(); ++i)
        if (FDataSet->Fields(i) == this) return i;
    return -1;
}

bool TField::IsNull() const { return !GetData(nullptr); }

bool TField::GetData(void* buffer) const { return FDataSet->GetFieldData(this, buffer); }

void TField::SetData(const void* buffer) {
    FDataSet->CheckEditing();
    FDataSet->SetFieldData(this, buffer);
}

void TField::Clear() { SetData(nullptr); }

double TField::AsFloat() const { return StrToFloat(AsString()); }
void TField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }
int TField::AsInteger() const { return StrToInt(AsString()); }
void TField::SetAsInteger(int value) { SetAsString(QString::number(value)); }
QString TField::AsString() const { return AsVariant().toString(); }
void TField::SetAsString(const QString& value) { Q_UNUSED(value); DatabaseError(QStringLiteral("Field '%1' cannot hold text").arg(FFieldName)); }

void TField::SetAsVariant(const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        Clear();
        return;
    }
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float: SetAsFloat(value.toDouble()); break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Bool: SetAsInteger(value.toInt()); break;
        default: SetAsString(value.toString());
    }
}

TFloatField::TFloatField(TDataSet* dataSet, TFieldType type) : TField(dataSet, type, sizeof(double)) {}

double TFloatField::AsFloat() const {
    double v = 0;
    return GetData(&v) ? v : 0.0;
}

void TFloatField::SetAsFloat(double value) {
    if ((MinValue != 0 || MaxValue != 0) && (value < MinValue || value > MaxValue)) RangeError(value, *this, MinValue, MaxValue);
    SetData(&value);
}

int TFloatField::AsInteger() const { return int(Round(AsFloat())); }

QString TFloatField::AsString() const {
    double v = 0;
    if (!GetData(&v)) return {};
    return FloatToStrGeneral(v, Precision);
}

void TFloatField::SetAsString(const QString& value) {
    if (value.trimmed().isEmpty()) {
        Clear();
        return;
    }
    double v = 0;
    if (!TryStrToFloat(value, v))
        throw EConvertError(FormatFieldMessage(TFieldMessage::fmInvalidFloatValue, {value, DisplayLabel()}));
    SetAsFloat(v);
}

QVariant TFloatField::AsVariant() const {
    double v = 0;
    return GetData(&v) ? QVariant(v) : QVariant();
}

QString TDateTimeField::AsString() const {
    double v = 0;
    if (!GetData(&v)) return {};
    return DateTimeToStr(v);
}

QString TDateTimeField::DisplayText() const {
    double v = 0;
    if (!GetData(&v)) return {};
    return DisplayFormat.isEmpty() ? DateTimeToStr(v) : FormatDateTime(DisplayFormat, v);
}

QString TFloatField::DisplayText() const {
    double v = 0;
    if (!GetData(&v)) return {};
    return DisplayFormat.isEmpty() ? AsString() : FormatFloat(DisplayFormat, v);
}

TIntegerField::TIntegerField(TDataSet* dataSet) : TField(dataSet, TFieldType::ftInteger, sizeof(qint32)) {}

int TIntegerField::AsInteger() const {
    qint32 v = 0;
    return GetData(&v) ? v : 0;
}

void TIntegerField::SetAsInteger(int value) {
    if ((MinValue != 0 || MaxValue != 0) && (value < MinValue || value > MaxValue)) RangeError(value, *this, MinValue, MaxValue);
    const qint32 v = value;
    SetData(&v);
}

void TIntegerField::SetAsFloat(double value) {
    if (!std::isfinite(value) || value > std::numeric_limits<qint32>::max() || value < std::numeric_limits<qint32>::min())
        throw EConvertError(QStringLiteral("%1 is not a valid integer value").arg(FloatToStr(value)));
    SetAsInteger(int(Round(value)));
}

QString TIntegerField::AsString() const {
    qint32 v = 0;
    return GetData(&v) ? QString::number(v) : QString();
}

void TIntegerField::SetAsString(const QString& value) {
    if (value.trimmed().isEmpty()) {
        Clear();
        return;
    }
    int v = 0;
    try {
        v = StrToInt(value);
    } catch (const EConvertError&) {
        throw EConvertError(FormatFieldMessage(TFieldMessage::fmInvalidIntegerValue, {value, DisplayLabel()}));
    }
    SetAsInteger(v);
}

QVariant TIntegerField::AsVariant() const {
    qint32 v = 0;
    return GetData(&v) ? QVariant(int(v)) : QVariant();
}

TBooleanField::TBooleanField(TDataSet* dataSet) : TField(dataSet, TFieldType::ftBoolean, sizeof(quint16)) {}

bool TBooleanField::AsBoolean() const {
    quint16 v = 0;
    return GetData(&v) && v != 0;
}

void TBooleanField::SetAsBoolean(bool value) {
    const quint16 v = value ? 1 : 0;
    SetData(&v);
}

QString TBooleanField::AsString() const {
    quint16 v = 0;
    if (!GetData(&v)) return {};
    return v ? QStringLiteral("True") : QStringLiteral("False");
}

void TBooleanField::SetAsString(const QString& value) {
    const QString t = value.trimmed();
    if (t.isEmpty()) Clear();
    else if (t.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) SetAsBoolean(true);
    else if (t.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) SetAsBoolean(false);
    else throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(value));
}

QVariant TBooleanField::AsVariant() const {
    quint16 v = 0;
    return GetData(&v) ? QVariant(v != 0) : QVariant();
}

TStringField::TStringField(TDataSet* dataSet, int size) : TField(dataSet, TFieldType::ftString, size + 1) {}

QString TStringField::AsString() const {
    std::vector<char> buf(size_t(DataSize()), '\0');
    if (!GetData(buf.data())) return {};
    buf.back() = '\0';
    return QString::fromUtf8(buf.data());
}

void TStringField::SetAsString(const QString& value) {
    std::vector<char> buf(size_t(DataSize()), '\0');
    QByteArray utf8 = value.toUtf8();
    // Cut at a character boundary so the stored text stays valid UTF-8.
    qsizetype n = std::min<qsizetype>(utf8.size(), DataSize() - 1);
    while (n > 0 && n < utf8.size() && (quint8(utf8[n]) & 0xC0) == 0x80) --n;
    std::memcpy(buf.data(), utf8.constData(), size_t(n));
    SetData(buf.data());
}

double TStringField::AsFloat() const { return StrToFloat(AsString()); }
void TStringField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }
int TStringField::AsInteger() const { return StrToInt(AsString()); }

QVariant TStringField::AsVariant() const {
    if (IsNull()) return {};
    return AsString();
}

// ---- dataset ----

TDataSet::TDataSet(QObject* owner) : TComponent(owner), FFieldDefs(new TFieldDefs(this)) {}

TDataSet::~TDataSet() = default;

void TDataSet::SetFieldDefs(TFieldDefs* defs) {
    delete FFieldDefs;
    FFieldDefs = defs;
}

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
    if (Active()) DatabaseError(SDataSetOpen, this);
}

void TDataSet::CheckEditing() const {
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert && FState != TDataSetState::dsCalcFields)
        DatabaseError(SNotEditing, this);
}

TField& TDataSet::AddField(std::unique_ptr<TField> field) {
    CheckInactive();
    if (FDefaultFields) DestroyFields();
    if (FindField(field->FieldName())) DatabaseError(QStringLiteral("Duplicate field name '%1'").arg(field->FieldName()), this);
    FFields.push_back(std::move(field));
    return *FFields.back();
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount == 0 && Active()) DataEvent(TDataEvent::deDataSetChange);
}

void TDataSet::CalculateFields(char* buffer) {
    ClearCalcFields(buffer);
    if (!OnCalcFields) return;
    const TDataSetState saved = FState;
    char* const savedBuffer = FCalcBuffer;
    FState = TDataSetState::dsCalcFields;
    FCalcBuffer = buffer;
    try {
        OnCalcFields(*this);
    } catch (...) {
        FState = saved;
        FCalcBuffer = savedBuffer;
        ClearCalcFields(buffer);
        throw;
    }
    FState = saved;
    FCalcBuffer = savedBuffer;
}

void TDataSet::SetState(TDataSetState state) {
    if (FState == state) return;
    FState = state;
    DataEvent(TDataEvent::deUpdateState);
}

void TDataSet::SetActive(bool value) {
    if (value == Active()) return;
    if (value) {
        Fire(BeforeOpen);
        OpenCursor();
        First();
        Fire(AfterOpen);
    } else {
        Fire(BeforeClose);
        if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) Cancel();
        CloseCursor();
        Fire(AfterClose);
    }
}

void TDataSet::OpenCursor() {
    try {
        InternalOpen();
    } catch (...) {
        // The dataset stays closed: whatever the hook built is undone.
        if (IsCursorOpen()) {
            try {
                InternalClose();
            } catch (...) {
            }
        }
        if (FDefaultFields) DestroyFields();
        throw;
    }
    const size_t size = size_t(RecordBufferSize());
    FActive.assign(size, '\0');
    FScratch.assign(size, '\0');
    FSaved.assign(size, '\0');
    FHasRecord = false;
    FBof = FEof = true;
    FCursorOnActive = true;
    FState = TDataSetState::dsBrowse;
    DataEvent(TDataEvent::deUpdateState);
}

void TDataSet::CloseCursor() {
    FState = TDataSetState::dsInactive;
    FHasRecord = false;
    FBof = FEof = true;
    auto finish = [this] {
        FActive.clear();
        FScratch.clear();
        FSaved.clear();
        DataEvent(TDataEvent::deUpdateState);
    };
    try {
        InternalClose();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TDataSet::CreateFields() {
    DestroyFields();
    for (int i = 0; i < FFieldDefs->Count(); ++i) {
        const TFieldDef& def = *FFieldDefs->Items(i);
        std::unique_ptr<TField> field = CreateField(def);
        field->SetFieldName(def.Name());
        field->Required = def.Required();
        FFields.push_back(std::move(field));
    }
    FDefaultFields = true;
}

void TDataSet::DestroyFields() {
    FFields.clear();
    FDefaultFields = false;
}

void TDataSet::BindFields(bool binding) {
    for (size_t k = 0; k < FFields.size(); ++k) {
        TField* f = FFields[k].get();
        // Fields made from the definitions stand in their order: no search.
        int i = -1;
        if (binding)
            i = int(k) < FFieldDefs->Count() && FFieldDefs->Items(int(k))->Name() == f->FieldName()
                    ? int(k)
                    : FFieldDefs->IndexOf(f->FieldName());
        f->SetFieldNo(i < 0 ? 0 : i + 1);
    }
}

std::unique_ptr<TField> TDataSet::CreateField(const TFieldDef& def) {
    switch (def.DataType()) {
        case TFieldType::ftString: return std::make_unique<TStringField>(this, def.Size());
        case TFieldType::ftInteger: return std::make_unique<TIntegerField>(this);
        case TFieldType::ftBoolean: return std::make_unique<TBooleanField>(this);
        case TFieldType::ftDateTime: return std::make_unique<TDateTimeField>(this);
        case TFieldType::ftFloat: {
            auto f = std::make_unique<TFloatField>(this);
            if (def.Precision() > 0) f->Precision = def.Precision();
            return f;
        }
        case TFieldType::ftUnknown: break;
    }
    DatabaseError(QStringLiteral("Field '%1' is of an unknown type").arg(def.Name()), this);
}

TField* TDataSet::FindField(const QString& name) const {
    for (const auto& f : FFields)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const {
    if (TField* f = FindField(name)) return f;
    DatabaseError(SFieldNotFound.arg(name), this);
}

int TDataSet::AddDataListener(TDataListener listener) {
    FListeners.emplace_back(FNextListener, std::move(listener));
    return FNextListener++;
}

void TDataSet::RemoveDataListener(int id) {
    std::erase_if(FListeners, [id](const auto& l) { return l.first == id; });
}

void TDataSet::DataEvent(TDataEvent event, TField* field) {
    if (event == TDataEvent::deFieldChange && field && field->OnChange) field->OnChange(*field);
    if (FDisableCount > 0) return;
    // A listener may remove itself: walk a copy.
    const auto listeners = FListeners;
    for (const auto& l : listeners) l.second(event, field);
}

bool TDataSet::Fetch(TGetMode mode) {
    if (GetRecord(FScratch.data(), mode, false) != TGetResult::grOK) {
        FCursorOnActive = false;
        return false;
    }
    FActive.swap(FScratch);
    FHasRecord = true;
    FCursorOnActive = true;
    return true;
}

void TDataSet::UpdateCursorPos() {
    if (FHasRecord && !FCursorOnActive) {
        InternalSetToRecord(FActive.data());
        FCursorOnActive = true;
    }
}

void TDataSet::Resync() {
    if (!Fetch(TGetMode::gmCurrent) && !Fetch(TGetMode::gmNext) && !Fetch(TGetMode::gmPrior)) {
        FHasRecord = false;
        FBof = FEof = true;
    } else {
        FBof = FEof = false;
    }
    DataEvent(TDataEvent::deDataSetChange);
}

void TDataSet::First() {
    CheckBrowseMode();
    DoBeforeScroll();
    InternalFirst();
    FHasRecord = Fetch(TGetMode::gmNext);
    FBof = true;
    FEof = !FHasRecord;
    DataEvent(TDataEvent::deDataSetChange);
    DoAfterScroll();
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoBeforeScroll();
    InternalLast();
    FHasRecord = Fetch(TGetMode::gmPrior);
    FEof = true;
    FBof = !FHasRecord;
    DataEvent(TDataEvent::deDataSetChange);
    DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    if (distance == 0 || (distance > 0 && FEof) || (distance < 0 && FBof)) return 0;
    DoBeforeScroll();
    int moved = 0;
    if (distance > 0) {
        FBof = false;
        UpdateCursorPos();
        while (moved < distance) {
            if (!Fetch(TGetMode::gmNext)) {
                FEof = true;
                break;
            }
            ++moved;
        }
    } else {
        FEof = false;
        UpdateCursorPos();
        while (moved > distance) {
            if (!Fetch(TGetMode::gmPrior)) {
                FBof = true;
                break;
            }
            --moved;
        }
    }
    DataEvent(TDataEvent::deDataSetScroll);
    DoAfterScroll();
    return moved;
}

void TDataSet::Next() { MoveBy(1); }
void TDataSet::Prior() { MoveBy(-1); }

bool TDataSet::IsEmpty() const { return !Active() || (!FHasRecord && FState != TDataSetState::dsInsert); }

int TDataSet::RecordCount() const {
    CheckActive();
    return GetRecordCount();
}

TBookmark TDataSet::GetBookmark() const {
    if (!Active() || !FHasRecord || FState == TDataSetState::dsInsert) return {};
    return GetBookmarkData(FActive.data());
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    CheckBrowseMode();
    if (bookmark.isEmpty()) return;
    DoBeforeScroll();
    InternalGotoBookmark(bookmark);
    Resync();
    DoAfterScroll();
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) Post();
}

void TDataSet::Edit() {
    CheckActive();
    if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) return;
    if (!FHasRecord) {
        Insert();
        return;
    }
    Fire(BeforeEdit);
    UpdateCursorPos();
    InternalEdit();
    FSaved = FActive;
    FSavedHasRecord = true;
    SetState(TDataSetState::dsEdit);
    DataEvent(TDataEvent::deRecordChange);
    Fire(AfterEdit);
}

void TDataSet::BeginInsertAppend(bool append) {
    CheckBrowseMode();
    Fire(BeforeInsert);
    DoBeforeScroll();
    FSaved = FActive;
    FSavedHasRecord = FHasRecord;
    if (append) {
        InternalLast();
        FCursorOnActive = false;
    } else {
        UpdateCursorPos();
    }
    InternalInitRecord(FActive.data());
    SetBookmarkFlag(FActive.data(), append ? TBookmarkFlag::bfEOF : TBookmarkFlag::bfInserted);
    InternalInsert();
    FBof = FEof = false;
    SetState(TDataSetState::dsInsert);
    Fire(OnNewRecord);
    DataEvent(TDataEvent::deDataSetChange);
    Fire(AfterInsert);
    DoAfterScroll();
}

void TDataSet::Insert() { BeginInsertAppend(false); }
void TDataSet::Append() { BeginInsertAppend(true); }

void TDataSet::Post() {
    CheckActive();
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return;
    Fire(BeforePost);
    for (const auto& f : FFields)
        if (f->Required && f->IsNull())
            DatabaseError(FormatFieldMessage(TFieldMessage::fmFieldRequired, {f->DisplayLabel()}));
    for (;;) {
        try {
            InternalPost();
            break;
        } catch (const EDatabaseError& e) {
            if (!OnPostError) throw;
            TDataAction action = TDataAction::daFail;
            OnPostError(*this, e, action);
            if (action == TDataAction::daFail) throw;
            if (action == TDataAction::daAbort) throw EPostAborted();
        }
    }
    // Listeners told of the state hear it with the posted record active, not
    // the buffer of a record being inserted.
    FState = TDataSetState::dsBrowse;
    Resync();
    DataEvent(TDataEvent::deUpdateState);
    Fire(AfterPost);
}

void TDataSet::Cancel() {
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return;
    Fire(BeforeCancel);
    const bool wasInsert = FState == TDataSetState::dsInsert;
    InternalCancel();
    FActive = FSaved;
    FHasRecord = FSavedHasRecord;
    // An append moved the cursor past the end.
    if (wasInsert) FCursorOnActive = false;
    FBof = FEof = !FHasRecord;
    SetState(TDataSetState::dsBrowse);
    DataEvent(TDataEvent::deDataSetChange);
    Fire(AfterCancel);
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (!FHasRecord) DatabaseError(SDataSetEmpty, this);
    if (FState == TDataSetState::dsEdit) Cancel();
    Fire(BeforeDelete);
    DoBeforeScroll();
    UpdateCursorPos();
    InternalDelete();
    Resync();
    Fire(AfterDelete);
    DoAfterScroll();
}
