#pragma once
// The dataset base of the old database layer: a cursor over records with
// fields, field definitions, bookmarks and the edit/insert/post/cancel cycle.
//
// A concrete dataset (a file table, an SQL query) supplies the Internal*
// hooks and the record buffers; the base keeps the state machine, the one
// active record buffer, the Eof/Bof flags, the fields and the events.
// Record buffers are raw bytes of RecordBufferSize(); the dataset decides
// their layout (values, then its own record information).
//
// Cursor model: the dataset's own cursor stands on the active record after
// every successful fetch. Operations that change a record (Edit, Post,
// Delete, Insert) first bring the cursor back to the active record with
// InternalSetToRecord when a failed fetch may have moved it.
#include "Components.h"
#include "DataAccess.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

// dsCalcFields: only while OnCalcFields fills the calculated fields of a record.
enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields };
// A data field holds a value of the record; a calculated one is filled by OnCalcFields.
enum class TFieldKind { fkData, fkCalculated };
enum class TFieldType { ftUnknown, ftString, ftInteger, ftBoolean, ftFloat, ftDateTime };
enum class TBookmarkFlag : quint8 { bfCurrent, bfBOF, bfEOF, bfInserted };
enum class TGetMode { gmCurrent, gmNext, gmPrior };
enum class TGetResult { grOK, grBOF, grEOF, grError };
// What listeners (grids, data-bound controls) are told.
enum class TDataEvent { deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deUpdateState };
using TBookmark = QByteArray;

// Raises EDatabaseError; the message is prefixed with "<name>: " when the
// component has a name.
[[noreturn]] void DatabaseError(const QString& message, const TComponentBase* component = nullptr);

// Texts of the old database layer.
inline const QString SDataSetOpen = QStringLiteral("Cannot perform this operation on an open dataset");
inline const QString SDataSetClosed = QStringLiteral("Cannot perform this operation on a closed dataset");
inline const QString SDataSetEmpty = QStringLiteral("Cannot perform this operation on an empty dataset");
inline const QString SNotEditing = QStringLiteral("Dataset not in edit or insert mode");
inline const QString SFieldNotFound = QStringLiteral("Field '%1' not found");

// The validation messages of fields. A program may replace them for the whole
// process (in its own language); the arguments stay as listed.
enum class TFieldMessage {
    fmFieldRequired,       // %s: the field's label
    fmFieldRangeError,     // %g value, %s label, %g minimum, %g maximum
    fmInvalidIntegerValue, // %s text, %s label
    fmInvalidFloatValue,   // %s text, %s label
};
QString FieldMessage(TFieldMessage message);
void SetFieldMessage(TFieldMessage message, const QString& format);
// The message with its %s, %d and %g conversions replaced by args in order
// (%g: the general number form); "%%" is a percent sign.
QString FormatFieldMessage(TFieldMessage message, const QVariantList& args);

// What a failed post does next: raise the error (daFail), stop without a
// message (daAbort: EPostAborted, the record stays in edit or insert) or try
// the post again (daRetry).
enum class TDataAction { daFail, daAbort, daRetry };
// The silent end of an aborted post: callers stop, nobody reports it.
class EPostAborted : public Exception {
public:
    EPostAborted() : Exception(QStringLiteral("Operation aborted")) {}
};

class TDataSet;

// One field definition: what a field of the dataset will be.
class TFieldDef : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(int Precision READ Precision WRITE SetPrecision)
    Q_PROPERTY(bool Required READ Required WRITE SetRequired)
public:
    Q_INVOKABLE explicit TFieldDef(TCollection* collection = nullptr);

    const QString& Name() const { return FName; }
    void SetName(const QString& name) { FName = name; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType type) { FDataType = type; }
    int Size() const { return FSize; }
    void SetSize(int size) { FSize = size; }
    // Decimal digits of a floating-point field; 0 means the field's default.
    int Precision() const { return FPrecision; }
    void SetPrecision(int precision) { FPrecision = precision; }
    bool Required() const { return FRequired; }
    void SetRequired(bool required) { FRequired = required; }
    // 1-based position among the definitions.
    int FieldNo() const { return Index() + 1; }
    QString DisplayName() const override { return FName; }
    void Assign(const TPersistent* source) override;

private:
    QString FName;
    TFieldType FDataType = TFieldType::ftUnknown;
    int FSize = 0;
    int FPrecision = 0;
    bool FRequired = false;
};

class TFieldDefs : public TCollection {
    Q_OBJECT
public:
    explicit TFieldDefs(QObject* owner = nullptr, const QMetaObject* itemClass = &TFieldDef::staticMetaObject);
    TFieldDef* Items(int index) const { return ItemAs<TFieldDef>(index); }
    TFieldDef* AddFieldDef() { return qobject_cast<TFieldDef*>(Add()); }
    TFieldDef* Add(const QString& name, TFieldType type, int size = 0, bool required = false);
    using TCollection::Add;
    // Case-insensitive, as the old layer compared names; -1 / null when absent.
    int IndexOf(const QString& name) const;
    TFieldDef* FindDef(const QString& name) const;
    // Raises SFieldNotFound.
    TFieldDef* Find(const QString& name) const;
};

// A field: typed access to one value of the active record. Fields are owned
// by their dataset.
class TField {
public:
    TField(TDataSet* dataSet, TFieldType type, int dataSize);
    virtual ~TField() = default;
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDataSet* DataSet() const { return FDataSet; }
    const QString& FieldName() const { return FFieldName; }
    void SetFieldName(const QString& name) { FFieldName = name; }
    // The caption shown for the field: its display label, else its name.
    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const QString& label) { FDisplayLabel = label; }
    TFieldType DataType() const { return FDataType; }
    // Bytes exchanged with the dataset for one value.
    int DataSize() const { return FDataSize; }
    // 1-based number of the field's value in the record (0: not bound).
    int FieldNo() const { return FFieldNo; }
    void SetFieldNo(int no) { FFieldNo = no; }
    int Index() const;
    bool ReadOnly = false;
    bool Required = false;
    // What a field carries beside its value: a free number for its users,
    // whether grids show it, the width in characters a grid gives it (0: the
    // grid's default), a display format for numbers and dates (empty: the
    // plain text) and its kind.
    int Tag = 0;
    bool Visible = true;
    int DisplayWidth = 0;
    QString DisplayFormat;
    TFieldKind FieldKind = TFieldKind::fkData;
    bool Calculated() const { return FieldKind == TFieldKind::fkCalculated; }
    // The text shown for the value: AsString, or the value by DisplayFormat.
    virtual QString DisplayText() const { return AsString(); }

    bool IsNull() const;
    void Clear();
    // The value in the record; false when it is empty.
    bool GetData(void* buffer) const;
    // Writes a value into the record (null: empty); raises outside edit and insert.
    void SetData(const void* buffer);

    virtual double AsFloat() const;
    virtual void SetAsFloat(double value);
    virtual int AsInteger() const;
    virtual void SetAsInteger(int value);
    virtual QString AsString() const;
    virtual void SetAsString(const QString& value);
    // An invalid variant for an empty value.
    virtual QVariant AsVariant() const = 0;
    virtual void SetAsVariant(const QVariant& value);

    // Called after the field's value changed.
    std::function<void(TField&)> OnChange;

private:
    TDataSet* FDataSet;
    QString FFieldName;
    QString FDisplayLabel;
    TFieldType FDataType;
    int FDataSize;
    int FFieldNo = 0;
};

// An 8-byte floating-point value.
class TFloatField : public TField {
public:
    explicit TFloatField(TDataSet* dataSet, TFieldType type = TFieldType::ftFloat);
    // Significant digits of the text form; 15 is the field's default.
    int Precision = 15;
    // Values outside MinValue..MaxValue are refused; both 0: no check.
    double MinValue = 0;
    double MaxValue = 0;
    double AsFloat() const override;
    void SetAsFloat(double value) override;
    int AsInteger() const override;
    void SetAsInteger(int value) override { SetAsFloat(value); }
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    QVariant AsVariant() const override;
    QString DisplayText() const override;
};

// A day number with its fraction (TDateTime).
class TDateTimeField : public TFloatField {
public:
    explicit TDateTimeField(TDataSet* dataSet) : TFloatField(dataSet, TFieldType::ftDateTime) {}
    QString AsString() const override;
    QString DisplayText() const override;
};

// A 32-bit integer.
class TIntegerField : public TField {
public:
    explicit TIntegerField(TDataSet* dataSet);
    // Values outside MinValue..MaxValue are refused; both 0: no check.
    int MinValue = 0;
    int MaxValue = 0;
    double AsFloat() const override { return AsInteger(); }
    void SetAsFloat(double value) override;
    int AsInteger() const override;
    void SetAsInteger(int value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    QVariant AsVariant() const override;
};

// A Boolean, exchanged as a 16-bit word (0 false).
class TBooleanField : public TField {
public:
    explicit TBooleanField(TDataSet* dataSet);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    int AsInteger() const override { return AsBoolean() ? 1 : 0; }
    void SetAsInteger(int value) override { SetAsBoolean(value != 0); }
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    QVariant AsVariant() const override;
};

// Text of at most Size bytes of UTF-8, exchanged zero-terminated (Size + 1 bytes).
class TStringField : public TField {
public:
    TStringField(TDataSet* dataSet, int size);
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;
    int AsInteger() const override;
    QVariant AsVariant() const override;
};

class TDataSet : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
public:
    using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
    using TDataListener = std::function<void(TDataEvent, TField*)>;

    explicit TDataSet(QObject* owner = nullptr);
    // A concrete dataset closes itself in its own destructor: the hooks are
    // gone by the time this one runs.
    ~TDataSet() override;

    bool Active() const { return FState != TDataSetState::dsInactive; }
    void SetActive(bool value);
    void Open() { SetActive(true); }
    // Pending edits are cancelled. When closing the cursor raises, the
    // dataset is closed all the same and the exception passes on.
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }

    void First();
    void Last();
    void Next();
    void Prior();
    // Moves up to distance records (negative: backwards); returns how many it moved.
    int MoveBy(int distance);
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    bool IsEmpty() const;
    int RecNo() const { return GetRecNo(); }
    void SetRecNo(int value) { SetRecNoValue(value); }
    int RecordCount() const;

    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& bookmark);

    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Posts a pending edit or insert (the old CheckBrowseMode).
    void CheckBrowseMode();
    void CheckActive() const;
    void CheckInactive() const;

    TFieldDefs* FieldDefs() const { return FFieldDefs; }
    int FieldCount() const { return int(FFields.size()); }
    TField* Fields(int index) const { return FFields.at(index).get(); }
    // Case-insensitive; null when absent.
    TField* FindField(const QString& name) const;
    // Raises SFieldNotFound.
    TField* FieldByName(const QString& name) const;
    // True while the fields were made from the definitions at open.
    bool DefaultFields() const { return FDefaultFields; }
    // Adds a persistent field (data or calculated) to a closed dataset; the
    // dataset owns it. A dataset with persistent fields binds them to its
    // definitions at open instead of making default fields.
    TField& AddField(std::unique_ptr<TField> field);
    template <class F, class... A>
    F& AddField(const QString& name, A&&... args) {
        auto f = std::make_unique<F>(this, std::forward<A>(args)...);
        f->SetFieldName(name);
        return static_cast<F&>(AddField(std::move(f)));
    }

    // Listeners hear nothing while the controls are disabled; enabling them
    // again (as often as they were disabled) tells them the data changed.
    void DisableControls() { ++FDisableCount; }
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }
    // Fills the calculated fields of every record fetched and of the record
    // being edited after a field changes; the state is dsCalcFields meanwhile.
    TDataSetNotifyEvent OnCalcFields;

    // Called when posting fails with a database error; it may set action or
    // raise an error of its own in place of the one given.
    std::function<void(TDataSet& dataSet, const EDatabaseError& error, TDataAction& action)> OnPostError;

    // Value exchange between fields and the active record.
    virtual bool GetFieldData(const TField* field, void* buffer) const = 0;
    virtual void SetFieldData(TField* field, const void* buffer) = 0;

    // Listeners are called for every data event; the id removes one.
    int AddDataListener(TDataListener listener);
    void RemoveDataListener(int id);

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeEdit, AfterEdit, BeforeInsert, AfterInsert;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, OnNewRecord;

protected:
    // Bytes of one record buffer.
    virtual int RecordBufferSize() const = 0;
    // Fetches the current, next or prior record into buffer, moving the cursor.
    virtual TGetResult GetRecord(char* buffer, TGetMode mode, bool doCheck) = 0;
    virtual int GetRecordCount() const { return -1; }
    virtual int GetRecNo() const { return -1; }
    virtual void SetRecNoValue(int value) { Q_UNUSED(value); }
    virtual TBookmark GetBookmarkData(const char* buffer) const = 0;
    virtual TBookmarkFlag GetBookmarkFlag(const char* buffer) const = 0;
    virtual void SetBookmarkFlag(char* buffer, TBookmarkFlag flag) = 0;

    virtual bool IsCursorOpen() const = 0;
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual void InternalInitRecord(char* buffer) = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual void InternalGotoBookmark(const TBookmark& bookmark) = 0;
    virtual void InternalSetToRecord(const char* buffer) = 0;
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    virtual void InternalCancel() {}
    virtual void InternalPost() = 0;
    virtual void InternalDelete() = 0;
    // The field made for a definition (the old GetFieldClass).
    virtual std::unique_ptr<TField> CreateField(const TFieldDef& def);

    // For the concrete datasets' open and close.
    void SetFieldDefs(TFieldDefs* defs);  // the dataset owns them
    void CreateFields();
    void DestroyFields();
    void BindFields(bool binding);
    // The buffer the fields read: the active record (or the record being
    // edited), or the record whose calculated fields are being filled.
    char* ActiveBuffer() { return FCalcBuffer ? FCalcBuffer : FActive.data(); }
    const char* ActiveBuffer() const { return FCalcBuffer ? FCalcBuffer : FActive.data(); }
    // Runs OnCalcFields for buffer (a concrete dataset calls it for each
    // record it fetches); a failing handler leaves them empty and its
    // exception passes on.
    void CalculateFields(char* buffer);
    // Empties the calculated fields of buffer before they are filled.
    virtual void ClearCalcFields(char* buffer) { Q_UNUSED(buffer); }
    // True when the active buffer holds a record (or one being edited).
    bool HasActiveRecord() const { return FHasRecord || FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert; }
    // Fetches the cursor's record again (current, else next, else prior).
    void Resync();
    void DataEvent(TDataEvent event, TField* field = nullptr);
    void DoBeforeScroll() { Fire(BeforeScroll); }
    void DoAfterScroll() { Fire(AfterScroll); }

private:
    friend class TField;
    void Fire(const TDataSetNotifyEvent& event) { if (event) event(*this); }
    void OpenCursor();
    void CloseCursor();
    void SetState(TDataSetState state);
    void UpdateCursorPos();
    bool Fetch(TGetMode mode);
    void BeginInsertAppend(bool append);
    void CheckEditing() const;

    TDataSetState FState = TDataSetState::dsInactive;
    TFieldDefs* FFieldDefs;  // Qt child of the dataset
    std::vector<std::unique_ptr<TField>> FFields;
    bool FDefaultFields = false;
    std::vector<char> FActive, FScratch, FSaved;
    bool FHasRecord = false, FSavedHasRecord = false;
    bool FBof = true, FEof = true;
    // False when a failed fetch may have left the cursor off the active record.
    bool FCursorOnActive = true;
    std::vector<std::pair<int, TDataListener>> FListeners;
    int FNextListener = 1;
    int FDisableCount = 0;
    char* FCalcBuffer = nullptr;
};

// A data set's controls stay disabled while it lives, also when the work raises.
class TControlsDisabled {
public:
    explicit TControlsDisabled(TDataSet& DataSet) : FDataSet(DataSet) { FDataSet.DisableControls(); }
    ~TControlsDisabled() { FDataSet.EnableControls(); }
    TControlsDisabled(const TControlsDisabled&) = delete;
    TControlsDisabled& operator=(const TControlsDisabled&) = delete;

private:
    TDataSet& FDataSet;
};

#pragma GCC visibility pop
