#pragma once
// TLogsheaf: one LAS file (versions 1.2 and 2.0) as a table. One
// floating-point field per curve, one record per depth line, the header
// values as properties.
//
// The whole file is held in a line list while the table is open: header
// lines stay text and are edited in place; data lines become records of
// packed 8-byte values (one string per record, tagged with its bookmark) and
// text again when the table saves. A modified table saves when it closes,
// through a temporary file that replaces the old one.
#include "DataSet.h"
#include "Logsheaf10Lines.h"
#include "Logsheaf10Records.h"

#include <QStringList>
#include <array>
#include <limits>
#include <memory>

#pragma GCC visibility push(default)

// A curve's field.
class TLASField : public TFloatField {
public:
    explicit TLASField(TDataSet* dataSet) : TFloatField(dataSet) {}
    QString Units;
    QString Comment;
    // Index values of the first and last record where the curve has a value
    // (DetectDataStartStop); NaN when none.
    double Start = std::numeric_limits<double>::quiet_NaN();
    double Stop = std::numeric_limits<double>::quiet_NaN();
};

class TLASFieldDef : public TFieldDef {
    Q_OBJECT
    Q_PROPERTY(QString Comment READ Comment WRITE SetComment)
    Q_PROPERTY(QString Units READ Units WRITE SetUnits)
public:
    Q_INVOKABLE explicit TLASFieldDef(TCollection* collection = nullptr) : TFieldDef(collection) {}
    const QString& Comment() const { return FComment; }
    void SetComment(const QString& comment) { FComment = comment; }
    const QString& Units() const { return FUnits; }
    void SetUnits(const QString& units) { FUnits = units; }
    void Assign(const TPersistent* source) override;

private:
    QString FComment, FUnits;
};

class TLASFieldDefs : public TFieldDefs {
    Q_OBJECT
public:
    explicit TLASFieldDefs(QObject* owner = nullptr) : TFieldDefs(owner, &TLASFieldDef::staticMetaObject) {}
    TLASFieldDef* Items(int index) const { return ItemAs<TLASFieldDef>(index); }
    TLASFieldDef* Add(const QString& name, const QString& units = {}, const QString& comment = {});
};

class TLogsheaf : public TDataSet {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(QString Company READ Company WRITE SetCompany)
    Q_PROPERTY(QString Country READ Country WRITE SetCountry)
    Q_PROPERTY(QString County READ County WRITE SetCounty)
    Q_PROPERTY(QString Date READ Date WRITE SetDate)
    Q_PROPERTY(QString Field READ Field WRITE SetField)
    Q_PROPERTY(QString Location READ Location WRITE SetLocation)
    Q_PROPERTY(QString Province READ Province WRITE SetProvince)
    Q_PROPERTY(QString ServiceCompany READ ServiceCompany WRITE SetServiceCompany)
    Q_PROPERTY(QString WellState READ WellState WRITE SetWellState)
    Q_PROPERTY(QString Well READ Well WRITE SetWell)
    Q_PROPERTY(QString WellID READ WellID WRITE SetWellID)
    Q_PROPERTY(double Start READ Start WRITE SetStart)
    Q_PROPERTY(double Stop READ Stop WRITE SetStop)
    Q_PROPERTY(double Step READ Step WRITE SetStep)
    Q_PROPERTY(double NullValue READ NullValue WRITE SetNullValue)
    Q_PROPERTY(int Version READ Version WRITE SetVersion)
    Q_PROPERTY(bool Wrapped READ Wrapped WRITE SetWrapped)
    Q_PROPERTY(bool AutodetectCodepage READ AutodetectCodepage WRITE SetAutodetectCodepage)
    Q_PROPERTY(bool Force20Mode READ Force20Mode WRITE SetForce20Mode)
    Q_PROPERTY(bool HeaderOnly READ HeaderOnly WRITE SetHeaderOnly)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool IgnoreInvalidMnemonics READ IgnoreInvalidMnemonics WRITE SetIgnoreInvalidMnemonics)
    Q_PROPERTY(int DelimiterPos READ DelimiterPos WRITE SetDelimiterPos)
    Q_PROPERTY(int LeadingSpaces READ LeadingSpaces WRITE SetLeadingSpaces)
    Q_PROPERTY(QStringList Mappings READ Mappings WRITE SetMappings)
    Q_PROPERTY(QStringList Comment READ Comment WRITE SetComment)
public:
    // The held well-section strings, in the order of their mnemonics below.
    enum TWellItem { wiCompany, wiCountry, wiCounty, wiDate, wiField, wiLocation, wiProvince,
                     wiServiceCompany, wiWellState, wiWell, wiWellID, wiCount };

    Q_INVOKABLE explicit TLogsheaf(QObject* owner = nullptr);
    // Closes the table; a failed save is logged and swallowed here.
    ~TLogsheaf() override;

    const QString& FileName() const { return FFileName; }
    void SetFileName(const QString& name) { FFileName = name; }

    QString WellString(TWellItem item) const;
    void SetWellString(TWellItem item, const QString& value);
    QString Company() const { return WellString(wiCompany); }
    void SetCompany(const QString& v) { SetWellString(wiCompany, v); }
    QString Country() const { return WellString(wiCountry); }
    void SetCountry(const QString& v) { SetWellString(wiCountry, v); }
    QString County() const { return WellString(wiCounty); }
    void SetCounty(const QString& v) { SetWellString(wiCounty, v); }
    QString Date() const { return WellString(wiDate); }
    void SetDate(const QString& v) { SetWellString(wiDate, v); }
    QString Field() const { return WellString(wiField); }
    void SetField(const QString& v) { SetWellString(wiField, v); }
    QString Location() const { return WellString(wiLocation); }
    void SetLocation(const QString& v) { SetWellString(wiLocation, v); }
    QString Province() const { return WellString(wiProvince); }
    void SetProvince(const QString& v) { SetWellString(wiProvince, v); }
    QString ServiceCompany() const { return WellString(wiServiceCompany); }
    void SetServiceCompany(const QString& v) { SetWellString(wiServiceCompany, v); }
    QString WellState() const { return WellString(wiWellState); }
    void SetWellState(const QString& v) { SetWellString(wiWellState, v); }
    QString Well() const { return WellString(wiWell); }
    void SetWell(const QString& v) { SetWellString(wiWell, v); }
    QString WellID() const { return WellString(wiWellID); }
    void SetWellID(const QString& v) { SetWellString(wiWellID, v); }

    double Start() const;
    void SetStart(double value);
    double Stop() const;
    void SetStop(double value);
    double Step() const;
    void SetStep(double value);
    double NullValue() const;
    // Only while closed.
    void SetNullValue(double value);
    // Version x 10: 12 is 1.2, 20 is 2.0.
    int Version() const;
    void SetVersion(int value);
    bool Wrapped() const;
    void SetWrapped(bool value);
    // cpUTF8 after opening a file whose header is valid UTF-8 and not plain
    // ASCII; such a file is written back in UTF-8.
    TLASCodepage Codepage() const { return FCodepage; }
    void SetCodepage(TLASCodepage value);
    bool AutodetectCodepage() const { return FAutodetectCodepage; }
    void SetAutodetectCodepage(bool v) { FAutodetectCodepage = v; }
    bool Force20Mode() const { return FForce20; }
    void SetForce20Mode(bool value);
    bool HeaderOnly() const { return FHeaderOnly; }
    void SetHeaderOnly(bool v) { FHeaderOnly = v; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    bool IgnoreInvalidMnemonics() const { return FIgnoreInvMnem; }
    void SetIgnoreInvalidMnemonics(bool v) { FIgnoreInvMnem = v; }
    int DelimiterPos() const { return FLayout.DelimiterPos; }
    void SetDelimiterPos(int v) { FLayout.DelimiterPos = qBound(0, v, 255); }
    int LeadingSpaces() const { return FLayout.LeadingSpaces; }
    void SetLeadingSpaces(int v) { FLayout.LeadingSpaces = qBound(0, v, 255); }
    const QStringList& Mappings() const { return FMappings; }
    void SetMappings(const QStringList& v) { FMappings = v; }
    // The other-information section (read from the file while open).
    QStringList Comment() const;
    void SetComment(const QStringList& lines);
    int ParametersCount() const;
    // True when the table will save when it closes.
    bool Modified() const { return FDirty; }
    // True when the file opened began with a UTF-8 byte-order mark; it is
    // written back with one.
    bool ByteOrderMark() const { return FByteOrderMark; }
    // Header text of the file's encoding as text, and back: UTF-8 for a
    // UTF-8 file, else the ANSI code page (OEM lines are converted on open).
    QString TextToString(const QByteArray& text) const;
    QByteArray StringToText(const QString& text) const;

    TLASFieldDefs* LASFieldDefs() const { return static_cast<TLASFieldDefs*>(FieldDefs()); }
    TLASField* LASField(int index) const { return static_cast<TLASField*>(Fields(index)); }

    // Writes FileName from the held values and the field definitions; the
    // table stays closed.
    void CreateTable();
    void DeleteProperty(TLASSections sect, const QString& prop);
    void SetProperty(TLASSections sect, const QString& prop, const QString& value, const QString& ext = {},
                     const QString& comment = {});
    void SetValue(TLASSections sect, const QString& prop, const QString& value);
    // Header look-ups while open (empty when closed or absent).
    QString GetValue(TLASSections sect, const QString& prop);
    QString GetProperty(TLASSections sect, const QString& prop) const;
    // The section's body lines, each followed by CR LF.
    QString GetSection(TLASSections sect) const;
    QByteArray CombineString(const QByteArray& id, const QByteArray& ext, const QByteArray& value,
                             const QByteArray& comment) const {
        return ::CombineString(id, ext, value, comment, FLayout);
    }

    // Sets Start and Stop of every field to the index at its first and last value.
    void DetectDataStartStop();
    // Reverses the records, negates Step and exchanges Start and Stop.
    void Flip();

    bool GetFieldData(const TField* field, void* buffer) const override;
    void SetFieldData(TField* field, const void* buffer) override;

protected:
    int RecordBufferSize() const override { return FRecSize + RecInfoSize; }
    TGetResult GetRecord(char* buffer, TGetMode mode, bool doCheck) override;
    int GetRecordCount() const override;
    int GetRecNo() const override;
    void SetRecNoValue(int value) override;
    TBookmark GetBookmarkData(const char* buffer) const override;
    TBookmarkFlag GetBookmarkFlag(const char* buffer) const override;
    void SetBookmarkFlag(char* buffer, TBookmarkFlag flag) override;
    bool IsCursorOpen() const override { return FRecords != nullptr; }
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    void InternalInitRecord(char* buffer) override;
    void InternalFirst() override { FCurRec = -1; }
    void InternalLast() override { FCurRec = DataCount(); }
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    void InternalSetToRecord(const char* buffer) override;
    void InternalPost() override;
    void InternalAddRecord(const char* buffer, bool append);
    void InternalDelete() override;
    std::unique_ptr<TField> CreateField(const TFieldDef& def) override;

private:
    // Bookmark (4), bookmark flag (1), record number (4), packed.
    static constexpr int RecInfoSize = 9;
    struct TRecInfo {
        qint32 Bookmark = 0;
        TBookmarkFlag BookmarkFlag = TBookmarkFlag::bfCurrent;
        qint32 RecordNumber = 0;
    };
    TRecInfo RecInfo(const char* buffer) const;
    void SetRecInfo(char* buffer, const TRecInfo& info) const;
    int DataCount() const { return FRecords ? FRecords->Count() - FHeaderCount : 0; }

    // Header lines (Logsheaf10Header.cpp).
    // The parts of a header line; false for a line without a mnemonic when
    // IgnoreInvalidMnemonics is set (raises otherwise).
    bool ReadLineParts(const QByteArray& line, TLASLineParts& parts) const;
    static int FindSectionIndex(const TAnsiStringList& lines, int headerCount, TLASSections sect);
    static void FindSectionIndexAndSize(const TAnsiStringList& lines, int headerCount, TLASSections sect,
                                        int& index, int& size);
    int FindPropertyIndex(TLASSections sect, const QByteArray& prop) const;
    QByteArray GetAnsiValue(TLASSections sect, const QByteArray& prop) const;
    int CreateSection(TLASSections sect);
    void InternalSetProperty(TLASSections sect, const QByteArray& prop, const QByteArray& value,
                             const QByteArray& ext, const QByteArray& comment);
    void ExchangeWellValueComment(TAnsiStringList& lines, int headerCount) const;
    void DetectCodepage();
    void ConvertTo(TLASCodepage page);
    void RewriteComments();
    double HeaderNumber(const QByteArray& prop, double def) const;

    // Data lines (Logsheaf10.cpp).
    void ReadRecords(const std::vector<std::string_view>& lines, qint64 fileSize);
    // Settles the encoding of the header lines just read.
    void ChooseEncoding();
    // Refuses a LAS 3.0 file by name.
    void CheckVersionSupported();
    void LabelFields();
    void DoSave();
    void SaveRecords();
    void EnsureBanner();
    void MarkModified() { FDirty = true; }

    int FCurRec = -1;
    std::unique_ptr<TAnsiStringList> FRecords;
    QString FFileName;
    mutable std::array<QByteArray, wiCount> FWell;
    int FHeaderCount = 0;
    int FLastBookmark = 0;
    double FNullValue = 0;
    bool FNullAssigned = false;
    int FVersion = 0;
    bool FVersionAssigned = false;
    bool FWrapped = false;
    int FRecSize = 0;
    bool FForce20 = false;
    double FStart = -1.0, FStop = -1.0, FStep = 0;
    bool FDirty = false;
    TLASLineLayout FLayout;
    mutable QStringList FComment;
    TLASCodepage FCodepage = cpANSI;
    QStringList FMappings;
    int FCount = 0;
    bool FReadOnly = false, FIgnoreInvMnem = false, FAutodetectCodepage = false, FHeaderOnly = false;
    bool FByteOrderMark = false;
    // The file's own data lines while only the header is open: written back
    // after the header, so a header-only table never loses the data.
    QList<QByteArray> FDataTail;
    // The records read at open, one after another; the data lines refer into
    // it, so it is freed only after the line list.
    QByteArray FRecordArena;
};

#pragma GCC visibility pop
