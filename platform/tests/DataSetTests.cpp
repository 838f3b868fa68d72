// The dataset base over a small in-memory dataset: the cursor, the edit
// cycle, bookmarks, field kinds and events.
#include "DataSet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

// Records of an integer, a string of 8 bytes and a float; a record buffer
// holds the values, then the record's key (its bookmark) and its flag.
class TMemoryDataSet : public TDataSet {
public:
    struct TRow {
        int Key;
        std::vector<char> Values;
    };
    std::vector<TRow> Rows;
    int Cur = -1;
    int NextKey = 1;

    explicit TMemoryDataSet(QObject* owner = nullptr) : TDataSet(owner) {}
    ~TMemoryDataSet() override { Close(); }

    bool GetFieldData(const TField* field, void* buffer) const override {
        if (!HasActiveRecord() || field->FieldNo() < 1) return false;
        const char* at = ActiveBuffer() + Offset(field->FieldNo());
        if (!at[0]) return false;  // the null marker byte
        if (buffer) std::memcpy(buffer, at + 1, size_t(field->DataSize()));
        return true;
    }
    void SetFieldData(TField* field, const void* buffer) override {
        char* at = ActiveBuffer() + Offset(field->FieldNo());
        at[0] = buffer ? 1 : 0;
        if (buffer) std::memcpy(at + 1, buffer, size_t(field->DataSize()));
        DataEvent(TDataEvent::deFieldChange, field);
    }

protected:
    static int Offset(int fieldNo) { return fieldNo == 1 ? 0 : fieldNo == 2 ? 5 : 15; }
    static constexpr int ValuesSize = 24;
    int RecordBufferSize() const override { return ValuesSize + 5; }
    TGetResult GetRecord(char* buffer, TGetMode mode, bool) override {
        const int n = int(Rows.size());
        if (mode == TGetMode::gmNext) {
            if (Cur >= n - 1) return TGetResult::grEOF;
            ++Cur;
        } else if (mode == TGetMode::gmPrior) {
            if (Cur <= 0) return TGetResult::grBOF;
            Cur = std::min(Cur, n) - 1;
        } else if (Cur < 0 || Cur >= n) {
            return TGetResult::grError;
        }
        std::memcpy(buffer, Rows[size_t(Cur)].Values.data(), ValuesSize);
        std::memcpy(buffer + ValuesSize, &Rows[size_t(Cur)].Key, 4);
        buffer[ValuesSize + 4] = char(TBookmarkFlag::bfCurrent);
        return TGetResult::grOK;
    }
    int GetRecordCount() const override { return int(Rows.size()); }
    int GetRecNo() const override { return HasActiveRecord() ? Cur + 1 : -1; }
    TBookmark GetBookmarkData(const char* buffer) const override { return TBookmark(buffer + ValuesSize, 4); }
    TBookmarkFlag GetBookmarkFlag(const char* buffer) const override { return TBookmarkFlag(buffer[ValuesSize + 4]); }
    void SetBookmarkFlag(char* buffer, TBookmarkFlag flag) override { buffer[ValuesSize + 4] = char(flag); }
    bool IsCursorOpen() const override { return FOpen; }
    void InternalOpen() override {
        if (FailOpen) DatabaseError(QStringLiteral("cannot open"), this);
        FOpen = true;
        InternalInitFieldDefs();
        CreateFields();
        BindFields(true);
        Cur = -1;
    }
    void InternalClose() override {
        FOpen = false;
        BindFields(false);
        DestroyFields();
    }
    void InternalInitFieldDefs() override {
        FieldDefs()->Clear();
        FieldDefs()->Add(QStringLiteral("N"), TFieldType::ftInteger);
        FieldDefs()->Add(QStringLiteral("S"), TFieldType::ftString, 8);
        FieldDefs()->Add(QStringLiteral("F"), TFieldType::ftFloat);
    }
    void InternalInitRecord(char* buffer) override { std::memset(buffer, 0, ValuesSize); }
    void InternalFirst() override { Cur = -1; }
    void InternalLast() override { Cur = int(Rows.size()); }
    void InternalGotoBookmark(const TBookmark& bookmark) override {
        int key = 0;
        std::memcpy(&key, bookmark.constData(), 4);
        for (size_t i = 0; i < Rows.size(); ++i)
            if (Rows[i].Key == key) {
                Cur = int(i);
                return;
            }
        DatabaseError(QStringLiteral("Bookmark not found"), this);
    }
    void InternalSetToRecord(const char* buffer) override { InternalGotoBookmark(GetBookmarkData(buffer)); }
    void InternalPost() override {
        if (FailPosts > 0) {
            --FailPosts;
            DatabaseError(QStringLiteral("write refused"));
        }
        std::vector<char> values(ActiveBuffer(), ActiveBuffer() + ValuesSize);
        if (State() == TDataSetState::dsEdit) {
            Rows[size_t(Cur)].Values = values;
            return;
        }
        if (GetBookmarkFlag(ActiveBuffer()) == TBookmarkFlag::bfEOF) Cur = int(Rows.size());
        Cur = std::clamp(Cur, 0, int(Rows.size()));
        Rows.insert(Rows.begin() + Cur, TRow{NextKey++, values});
    }
    void InternalDelete() override {
        Rows.erase(Rows.begin() + Cur);
        if (Cur >= int(Rows.size())) --Cur;
    }

public:
    bool FailOpen = false;
    int FailPosts = 0;  // the next posts that fail

private:
    bool FOpen = false;
};

void AddRow(TMemoryDataSet& d, int n, const QString& s, double f) {
    d.Append();
    d.FieldByName("n")->SetAsInteger(n);
    d.FieldByName("S")->SetAsString(s);
    d.FieldByName("F")->SetAsFloat(f);
    d.Post();
}

TEST(DataSet, CursorEditCycleAndBookmarks) {
    QList<TDataEvent> events;  // outlives the dataset, which reports its close
    TMemoryDataSet d;
    d.SetName(QStringLiteral("Mem"));
    EXPECT_THROW(d.RecordCount(), EDatabaseError);
    d.Open();
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_TRUE(d.Eof() && d.Bof());
    try {
        d.Delete();
        ADD_FAILURE() << "deleted from an empty dataset";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Mem: ") + SDataSetEmpty);
    }
    d.AddDataListener([&](TDataEvent e, TField*) { events << e; });
    AddRow(d, 1, QStringLiteral("one"), 1.5);
    AddRow(d, 3, QStringLiteral("three"), 3.5);
    d.First();
    d.Next();
    d.Insert();  // before the current record
    d.Fields(0)->SetAsInteger(2);
    d.Post();
    EXPECT_EQ(d.RecNo(), 2);
    EXPECT_TRUE(events.contains(TDataEvent::deFieldChange));
    std::vector<int> order;
    for (d.First(); !d.Eof(); d.Next()) order.push_back(d.Fields(0)->AsInteger());
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(d.FieldByName("S")->IsNull() == false);
    d.First();
    EXPECT_EQ(d.Fields(1)->AsString(), "one");
    const TBookmark first = d.GetBookmark();
    d.Last();
    d.Edit();
    d.Fields(1)->SetAsString(QStringLiteral("a long text"));
    d.Fields(2)->Clear();
    d.Post();
    EXPECT_EQ(d.Fields(1)->AsString(), "a long t");  // 8 bytes
    EXPECT_TRUE(d.Fields(2)->IsNull());
    EXPECT_FALSE(d.Fields(2)->AsVariant().isValid());
    d.Edit();
    d.Fields(0)->SetAsInteger(30);
    d.Cancel();
    EXPECT_EQ(d.Fields(0)->AsInteger(), 3);
    d.GotoBookmark(first);
    EXPECT_EQ(d.Fields(0)->AsInteger(), 1);
    d.Delete();
    EXPECT_EQ(d.RecordCount(), 2);
    EXPECT_EQ(d.Fields(0)->AsInteger(), 2);
    // A failed fetch past the end leaves the cursor off the active record:
    // an edit goes back to it first.
    d.Last();
    d.Next();
    EXPECT_TRUE(d.Eof());
    d.Edit();
    d.Fields(0)->SetAsInteger(33);
    d.Post();
    EXPECT_EQ(d.Rows.back().Key, 2);
    EXPECT_THROW(d.Fields(0)->SetAsInteger(5), EDatabaseError);
    EXPECT_THROW(d.FieldByName("missing"), EDatabaseError);
    EXPECT_THROW(d.Fields(0)->SetAsString(QStringLiteral("x1")), EConvertError);
}

TEST(DataSet, OpenFailureLeavesItClosedAndCloseCancelsEdits) {
    TMemoryDataSet d;
    int opened = 0, closed = 0;
    d.AfterOpen = [&](TDataSet&) { ++opened; };
    d.AfterClose = [&](TDataSet&) { ++closed; };
    d.FailOpen = true;
    EXPECT_THROW(d.Open(), EDatabaseError);
    EXPECT_FALSE(d.Active());
    EXPECT_EQ(d.FieldCount(), 0);
    EXPECT_EQ(opened, 0);
    d.FailOpen = false;
    d.Open();
    AddRow(d, 1, QStringLiteral("x"), 0);
    d.Edit();
    d.Fields(0)->SetAsInteger(9);
    d.Close();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(d.State(), TDataSetState::dsInactive);
    d.Open();
    EXPECT_EQ(d.Fields(0)->AsInteger(), 1);
    EXPECT_EQ(d.Fields(2)->AsString(), "0");
    d.Edit();
    d.Fields(2)->SetAsString(QStringLiteral("2.5"));
    EXPECT_EQ(d.Fields(2)->AsFloat(), 2.5);
    EXPECT_THROW(d.Fields(0)->SetAsFloat(1e12), EConvertError);
}

TEST(DataSet, PostErrorHandlerDecidesWhatAFailedPostDoes) {
    TMemoryDataSet d;
    d.Open();
    int calls = 0;
    TDataAction answer = TDataAction::daFail;
    d.OnPostError = [&](TDataSet&, const EDatabaseError& e, TDataAction& action) {
        ++calls;
        EXPECT_EQ(e.Message(), QStringLiteral("write refused"));
        action = answer;
    };
    struct Case {
        const char* name;
        TDataAction action;
        int failures;
        bool raises, aborts;
        TDataSetState state;
        size_t rows;
    };
    const Case cases[] = {
        {"fail", TDataAction::daFail, 1, true, false, TDataSetState::dsInsert, 0},
        {"abort", TDataAction::daAbort, 1, false, true, TDataSetState::dsInsert, 0},
        {"retry until written", TDataAction::daRetry, 2, false, false, TDataSetState::dsBrowse, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        calls = 0;
        answer = c.action;
        d.FailPosts = c.failures;
        d.Append();
        d.FieldByName("N")->SetAsInteger(1);
        if (c.raises) EXPECT_THROW(d.Post(), EDatabaseError);
        else if (c.aborts) EXPECT_THROW(d.Post(), EPostAborted);
        else EXPECT_NO_THROW(d.Post());
        EXPECT_EQ(calls, c.action == TDataAction::daRetry ? c.failures : 1);
        EXPECT_EQ(d.State(), c.state);
        EXPECT_EQ(d.Rows.size(), c.rows);
        d.Cancel();
    }
}

TEST(DataSet, FieldMessagesCanBeReplaced) {
    TMemoryDataSet d;
    d.Open();
    auto* n = static_cast<TIntegerField*>(d.FieldByName("N"));
    n->SetDisplayLabel(QStringLiteral("Number"));
    n->Required = true;
    n->MinValue = -5;
    n->MaxValue = 5;
    d.Append();
    const auto message = [](const std::function<void()>& work) -> QString {
        try {
            work();
        } catch (const Exception& e) {
            return e.Message();
        }
        return {};
    };
    EXPECT_EQ(message([&] { n->SetAsInteger(7); }), "7 is not a valid value for field 'Number'. The allowed range is -5 to 5");
    EXPECT_EQ(message([&] { n->SetAsString("x"); }), "'x' is not a valid integer value for field 'Number'");
    EXPECT_EQ(message([&] { d.FieldByName("F")->SetAsString("abc"); }), "'abc' is not a valid floating point value for field 'F'");
    EXPECT_EQ(message([&] { d.Post(); }), "Field 'Number' must have a value");
    n->SetAsInteger(-5);
    EXPECT_EQ(n->AsInteger(), -5) << "the bounds are allowed";

    const QString saved = FieldMessage(TFieldMessage::fmFieldRangeError);
    SetFieldMessage(TFieldMessage::fmFieldRangeError, QStringLiteral("%g вне диапазона поля '%s' (%g..%g, 100%%)"));
    EXPECT_EQ(message([&] { n->SetAsInteger(9); }), QStringLiteral("9 вне диапазона поля 'Number' (-5..5, 100%)"));
    SetFieldMessage(TFieldMessage::fmFieldRangeError, saved);
    d.Cancel();
}

}  // namespace
