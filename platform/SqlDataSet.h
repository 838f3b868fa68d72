#pragma once
// A dataset over an SQL select, as the old database components had it: the
// rows of the select are read at open and held, the current row is edited
// through the dataset's insert, modify and delete statements, and every
// statement runs in a transaction of the dataset's own (an attachment of its
// own to the database, so committing it never commits anybody else's work).
//
// Statement parameters are named (:NAME). In the select and refresh
// statements a name is taken from Params, else from the field of that name;
// in the others ":NAME" is the field's new value and ":OLD_NAME" the value the
// row held before the edit.
#include "DataAccess.h"
#include "DataSet.h"

#include <QStringList>
#include <QVariantMap>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

// An error of the Firebird client: the engine's SQL code and its error code.
// Qt's driver passes on only the SQL code and the texts, so the error code is
// recognised from the engine's text (0 for a text the system does not know).
class EIBError : public EDatabaseError {
public:
    EIBError(const QString& message, int sqlCode, long ibErrorCode)
        : EDatabaseError(message), FSQLCode(sqlCode), FIBErrorCode(ibErrorCode) {}
    int SQLCode() const { return FSQLCode; }
    long IBErrorCode() const { return FIBErrorCode; }

private:
    int FSQLCode;
    long FIBErrorCode;
};

// The engine's error code of a message text of the engine; 0 when unknown.
long IBErrorCodeOf(const QString& engineText);

class TSqlTransaction {
public:
    TSqlTransaction() = default;
    TSqlTransaction(const TSqlTransaction&) = delete;
    TSqlTransaction& operator=(const TSqlTransaction&) = delete;
    ~TSqlTransaction();

    // Attaches to the database of connection (an open transaction is rolled back first).
    void SetDatabase(const TDataConnection& connection);
    // Leaves the database (an open transaction is rolled back first).
    void Detach();
    bool Connected() const { return FConnection.Connected(); }
    const TDataConnection& Connection() const { return FConnection; }

    bool InTransaction() const { return FActive; }
    void StartTransaction();
    void Commit();
    void Rollback();
    // Commit or roll back and start again at once; datasets keep their rows
    // and current row.
    void CommitRetaining();
    void RollbackRetaining();

private:
    TDataConnection FConnection;
    bool FActive = false;
};

class TSqlDataSet : public TDataSet {
    Q_OBJECT
public:
    explicit TSqlDataSet(QObject* owner = nullptr);
    ~TSqlDataSet() override;

    // Not owned; it must outlive the dataset's open state.
    TSqlTransaction* Transaction = nullptr;
    QStringList SelectSQL, InsertSQL, ModifySQL, DeleteSQL, RefreshSQL;

    // Parameters of the select and refresh statements.
    QVariant Param(const QString& name) const { return FParams.value(name.toUpper()); }
    void SetParam(const QString& name, const QVariant& value) { FParams.insert(name.toUpper(), value); }

    // Moves to the first row whose fields hold values (date-times match within
    // half a millisecond); false, and no move, when there is none.
    bool Locate(const QStringList& fields, const QVariantList& values);
    // True while the row of bookmark is held.
    bool BookmarkValid(const TBookmark& bookmark) const;

    bool GetFieldData(const TField* field, void* buffer) const override;
    void SetFieldData(TField* field, const void* buffer) override;

protected:
    int RecordBufferSize() const override { return FRecordSize; }
    TGetResult GetRecord(char* buffer, TGetMode mode, bool doCheck) override;
    int GetRecordCount() const override { return int(FRows.size()); }
    int GetRecNo() const override;
    void SetRecNoValue(int value) override;
    TBookmark GetBookmarkData(const char* buffer) const override;
    TBookmarkFlag GetBookmarkFlag(const char* buffer) const override;
    void SetBookmarkFlag(char* buffer, TBookmarkFlag flag) override;
    bool IsCursorOpen() const override { return FOpen; }
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    void InternalInitRecord(char* buffer) override;
    void InternalFirst() override { FCursor = -1; }
    void InternalLast() override { FCursor = int(FRows.size()); }
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    void InternalSetToRecord(const char* buffer) override;
    void InternalPost() override;
    void InternalDelete() override;
    void ClearCalcFields(char* buffer) override;

private:
    struct TRow {
        qint64 Id;
        std::vector<char> Data;  // a whole record buffer; the calculated part is refilled on fetch
    };
    void Layout();
    int RowIndex(qint64 id) const;
    qint64 BufferId(const char* buffer) const;
    // The value of field in a record buffer, as a variant for a statement.
    QVariant BufferValue(const char* buffer, const TField& field) const;
    void SetBufferValue(char* buffer, const TField& field, const QVariant& value) const;
    QSqlQuery Run(const QStringList& sql, const char* newValues, const char* oldValues) const;
    void RefreshRow(TRow& row) const;
    void CheckTransaction() const;

    QVariantMap FParams;
    std::vector<TRow> FRows;
    std::vector<int> FOffsets;  // per field: its null flag, then its value
    int FRecordSize = 0;
    int FCursor = -1;
    qint64 FNextId = 1;
    bool FOpen = false;
};

#pragma GCC visibility pop
