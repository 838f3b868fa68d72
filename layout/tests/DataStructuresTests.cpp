// Data segments and blocks: fill protocol, row edits, the "Data" bytes,
// the "Segments" list, look-ups and the true vertical depth.
#include "ComponentStreaming.h"
#include "DataStructures.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>

using namespace Plotmere;

namespace {

const TFiler::TDefined* Defined(TFiler& filer, const char* name) { return filer.Find(QString::fromLatin1(name)); }

QByteArray DataBytes(TDataSegment& s) {
    TFiler filer(true, &s);
    s.DefineProperties(filer);
    const TFiler::TDefined* d = Defined(filer, "Data");
    if (!d || !d->HasData) return {};
    return d->Write().Bytes;
}

void ReadDataBytes(TDataSegment& s, const QByteArray& bytes) {
    TFiler filer(false, &s);
    s.DefineProperties(filer);
    Defined(filer, "Data")->Read(TStreamValue::Binary(bytes));
}

QByteArray Payload(qint32 count, const QByteArray& values) {
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(count, b.data());
    return b + values;
}

template <typename T>
QByteArray Raw(std::initializer_list<T> values) {
    QByteArray b;
    for (T v : values) {
        char buf[sizeof(T)];
        qToLittleEndian<T>(v, buf);
        b.append(buf, sizeof(T));
    }
    return b;
}

TEST(DataSegments, DataBytesPerKind) {
    TDoubleDataSegment d;
    EXPECT_TRUE(DataBytes(d).isEmpty());  // no rows: no "Data"
    d.AllocBuffer(10);
    d.AddDouble(1.5);
    d.AddData(QVariant());
    d.AddData(2);
    d.AddData(QStringLiteral("4.25"));
    EXPECT_EQ(d.GetCount(), 10);
    // Saved before cropping: the filled rows only.
    const QByteArray bytes = DataBytes(d);
    const double nan = std::bit_cast<double>(0xFFF8000000000000ull);
    EXPECT_EQ(bytes, Payload(4, Raw<double>({1.5, nan, 2.0, 4.25})));
    TDoubleDataSegment back;
    ReadDataBytes(back, bytes);
    ASSERT_EQ(back.GetCount(), 4);
    EXPECT_EQ(std::bit_cast<quint64>(back.GetAsDouble(1)), 0xFFF8000000000000ull);
    EXPECT_TRUE(back.GetIsEmpty(1));
    EXPECT_EQ(back.GetAsDouble(3), 4.25);
    d.CropBuffer();
    EXPECT_EQ(d.GetCount(), 4);

    TSingleDataSegment s;
    s.AddData(QVariant());
    s.AddSingle(0.5f);
    s.InsertItems(0, 1);
    EXPECT_EQ(DataBytes(s), Payload(3, Raw<quint32>({0xFFC00000u, 0xFFFFFFFFu, std::bit_cast<quint32>(0.5f)})));
    TSingleDataSegment sback;
    ReadDataBytes(sback, DataBytes(s));
    EXPECT_TRUE(sback.GetIsEmpty(0) && sback.GetIsEmpty(1));
    EXPECT_EQ(sback.GetAsString(1), "");
    EXPECT_EQ(sback.GetAsDouble(2), 0.5);

    TIntDataSegment i;
    i.AddData(QVariant());
    i.AddData(2.5);  // half to even
    i.AddInteger(-7);
    EXPECT_EQ(DataBytes(i), Payload(3, Raw<qint32>({INT_MAX, 2, -7})));
    EXPECT_TRUE(i.GetIsEmpty(0));
    EXPECT_FALSE(i.GetIsEmpty(2));
    EXPECT_EQ(i.GetAsString(2), "-7");

    TStringDataSegment str(QStringLiteral("S"));
    str.AddData(QVariant());
    str.AddData(QStringLiteral("12.5"));
    EXPECT_TRUE(DataBytes(str).isEmpty());
    EXPECT_TRUE(str.GetIsEmpty(0));
    EXPECT_EQ(str.GetAsDouble(1), 12.5);
    EXPECT_EQ(str.GetAsDouble(0), 0.0);
}

TEST(DataSegments, HostilePayloadsRaiseAndChangeNothing) {
    const QByteArray hostile[] = {
        QByteArray("\x01\x02", 2),                         // shorter than the count
        Payload(-1, {}),                                   // negative count
        Payload(3, Raw<double>({1.0, 2.0})),               // fewer values than counted
        Payload(0x7fffffff, Raw<double>({1.0})),           // a count far beyond the bytes
    };
    TDoubleDataSegment d;
    d.AddDouble(42);
    for (const QByteArray& b : hostile) {
        SCOPED_TRACE(b.toHex().constData());
        EXPECT_THROW(ReadDataBytes(d, b), EReadError);
        ASSERT_EQ(d.GetCount(), 1);
        EXPECT_EQ(d.GetAsDouble(0), 42.0);
    }
    TIntDataSegment i;
    EXPECT_THROW(ReadDataBytes(i, Payload(2, Raw<qint32>({1}))), EReadError);
    EXPECT_EQ(i.GetCount(), 0);
}

TEST(DataSegments, RowEditsAndBounds) {
    TDoubleDataSegment d;
    for (double v : {0.0, 1.0, 2.0, 3.0, 4.0}) d.AddDouble(v);
    d.InsertItems(2, 3);
    ASSERT_EQ(d.GetCount(), 8);
    for (int r : {2, 3, 4}) EXPECT_TRUE(d.GetIsEmpty(r));
    EXPECT_EQ(d.GetAsDouble(5), 2.0);
    EXPECT_EQ(d.GetAsDouble(7), 4.0);
    d.InsertItems(8, 1);  // at the end
    EXPECT_EQ(d.GetCount(), 9);
    EXPECT_THROW(d.InsertItems(10, 1), ERangeError);
    EXPECT_THROW(d.InsertItems(-1, 1), ERangeError);
    EXPECT_THROW(d.InsertItems(0, 0), Exception);
    EXPECT_EQ(d.GetCount(), 9);
    // Insert outside the rows and Delete outside the rows change nothing.
    d.Insert(5.5, 9);
    d.Insert(5.5, -1);
    d.Delete(9);
    EXPECT_EQ(d.GetCount(), 9);
    d.Insert(QVariant(), 0);
    EXPECT_TRUE(d.GetIsEmpty(0));
    d.Delete(0);
    EXPECT_EQ(d.GetAsDouble(0), 0.0);
    EXPECT_THROW(d.GetAsDouble(9), ERangeError);
    EXPECT_THROW(d.SetAsDouble(-1, 1), ERangeError);
    TIntDataSegment i;
    i.AddInteger(1);
    i.InsertItems(0, 2);
    EXPECT_TRUE(i.GetIsEmpty(0));
    i.SetAsDouble(0, 3.5);
    EXPECT_EQ(i.GetAsDouble(0), 4.0);
    i.SetAsDouble(1, 1e20);
    EXPECT_TRUE(i.GetIsEmpty(1));
    TBitmapDataSegment b;
    QImage img(2, 2, QImage::Format_ARGB32);
    img.fill(Qt::red);
    b.AddBitmap(img);
    EXPECT_EQ(b.GetCount(), 1);
    EXPECT_EQ(b.GetBitmap(0).pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(b.GetAsString(0), "{...}");
    EXPECT_THROW(b.GetAsDouble(0), EAbstractError);
    EXPECT_THROW(b.GetIsEmpty(0), EAbstractError);
}

TEST(DataBlocks, SegmentsTravelAsAListAndCopy) {
    TDataBlockList list;
    TDataBlock* b = list.Add();
    auto* d = static_cast<TDoubleDataSegment*>(b->AddSegment(std::make_unique<TDoubleDataSegment>()));
    d->SetID(QStringLiteral("101"));
    d->AddDouble(1);
    d->AddDouble(2);
    auto* s = static_cast<TStringDataSegment*>(b->AddSegment(std::make_unique<TStringDataSegment>(QStringLiteral("7"))));
    s->AddData(QStringLiteral("a"));
    auto* bm = static_cast<TBitmapDataSegment*>(b->AddSegment(std::make_unique<TBitmapDataSegment>()));
    QImage img(3, 1, QImage::Format_RGB32);
    img.fill(Qt::blue);
    bm->AddBitmap(img);
    TFiler writer(true, nullptr);
    b->DefineProperties(writer);
    const TStreamValue value = writer.Find(QStringLiteral("Segments"))->Write();
    ASSERT_EQ(value.List.size(), 3u);
    TDataBlock* c = list.Add();
    TFiler reader(false, nullptr);
    c->DefineProperties(reader);
    reader.Find(QStringLiteral("Segments"))->Read(value);
    ASSERT_EQ(c->GetCount(), 3);
    EXPECT_EQ(c->GetDataSegment(QStringLiteral("101"))->GetAsDouble(1), 2.0);
    EXPECT_EQ(c->GetDataSegmentByIndex(1)->GetAsString(0), "a");
    EXPECT_EQ(static_cast<TBitmapDataSegment*>(c->GetDataSegmentByIndex(2))->GetBitmap(0).pixelColor(2, 0), QColor(Qt::blue));
    // A damaged list changes nothing.
    TStreamValue bad = value;
    bad.List[1].Bytes.chop(5);
    EXPECT_THROW(reader.Find(QStringLiteral("Segments"))->Read(bad), Exception);
    EXPECT_EQ(c->GetCount(), 3);
    EXPECT_THROW(c->GetGIDs(), EConvertError);  // the bitmap column has no number
}

TEST(DataBlocks, RecordCountIsTheCommonRowsAndGIDs) {
    TDataBlockList list;
    TDataBlock* b = list.Add();
    EXPECT_EQ(b->GetRecordCount(), 0);
    auto* a = static_cast<TDoubleDataSegment*>(b->AddSegment(std::make_unique<TDoubleDataSegment>()));
    a->SetID(QStringLiteral("101"));
    for (int i = 0; i < 5; ++i) a->AddDouble(i);
    auto* c = static_cast<TIntDataSegment*>(b->AddSegment(std::make_unique<TIntDataSegment>()));
    c->SetID(QStringLiteral("102"));
    c->AddInteger(1);
    EXPECT_EQ(b->GetRecordCount(), 1);
    EXPECT_EQ(b->GetGIDs(), (QList<int>{101, 102}));
    b->AddSegment(std::make_unique<TStringDataSegment>(QStringLiteral("x")));
    EXPECT_THROW(b->GetGIDs(), EConvertError);
    EXPECT_THROW(b->GetDataSegmentByIndex(3), ERangeError);
    TDataBlock* copy = list.Add();
    b->SetChanged(true);
    b->SetBlockID(QStringLiteral("B"));
    copy->Assign(b);
    EXPECT_TRUE(copy->Changed());
    EXPECT_TRUE(copy->BlockID().isEmpty());
    EXPECT_EQ(copy->GetCount(), 3);
    a->SetAsDouble(0, 99);
    EXPECT_EQ(copy->GetDataSegmentByIndex(0)->GetAsDouble(0), 0.0);
}

TEST(DataBlocks, LookUps) {
    TDataBlockList list;
    struct TRow {
        const char *Sys, *Src, *Group, *Name, *Main;
    } rows[] = {{"S", "A", "g1", "n1", "m1"}, {"S", "A", "g2", "n2", "m2"}, {"S", "A", "g2", "n3", "m3"},
                {"T", "B", "g1", "n1", "m1"}, {"S", "A", "g1", "n4", "m4"}};
    for (const TRow& r : rows) {
        TDataBlock* b = list.Add();
        b->SetSystemID(r.Sys);
        b->SetSourceID(r.Src);
        b->SetGroup(r.Group);
        b->SetName(r.Name);
        b->SetMainID(r.Main);
    }
    list.GetBlock(3)->AcceptableParams() << "P";
    EXPECT_EQ(list.GetBlockByID("B"), list.GetBlock(3));
    EXPECT_EQ(list.GetBlockByName("n1"), list.GetBlock(0));
    EXPECT_EQ(list.GetBlockBySysGroupMainID("S", "g2", "m3"), list.GetBlock(2));
    EXPECT_EQ(list.GetBlockBySysGroupMainID("S", "g2", "M3"), nullptr);
    EXPECT_EQ(list.GetBlockBySysGroupName("S", "g2", ""), list.GetBlock(1));
    EXPECT_EQ(list.GetBlockBySysGroupName("S", "g1", "n4"), list.GetBlock(4));
    EXPECT_EQ(list.FindParamBlock("ignored", "P"), list.GetBlock(3));
    EXPECT_EQ(list.FindParamBlock("B", "Q"), nullptr);
    EXPECT_FALSE(list.GetChanged());
    list.GetBlock(4)->SetChanged(true);
    EXPECT_TRUE(list.GetChanged());
    // Adjacent matches all go.
    list.DeleteBlocks("A", "g2");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetBlock(1)->SourceID(), "B");
    TDataBlockList other;
    other.Add()->SetName("x");
    other.Add()->SetName("y");
    list.AddBlocks(other);
    EXPECT_EQ(other.Count(), 0);
    EXPECT_EQ(list.GetBlock(3)->Name(), "x");
    EXPECT_EQ(list.GetBlock(4)->Name(), "y");
}

TDoubleDataSegment* AddColumn(TDataBlock* b, const QString& id, std::initializer_list<double> values) {
    auto* s = static_cast<TDoubleDataSegment*>(b->AddSegment(std::make_unique<TDoubleDataSegment>()));
    s->SetID(id);
    for (double v : values) s->AddDouble(v);
    return s;
}

TEST(DataBlocks, MainSegmentAndTrueVerticalDepth) {
    TDataBlockList list;
    TDataBlock* b = list.Add();
    b->SetMainID("__DEPTH__");
    TDoubleDataSegment* depth = AddColumn(b, "__DEPTH__", {99.5, 100.2, 100.7, 101.0, 102.0, 105.0});
    EXPECT_EQ(b->GetMainSegment(), depth);
    list.MainIDSubst = true;
    EXPECT_EQ(b->GetMainSegment(), nullptr);  // no depth table
    TDataBlock* table = list.Add();
    table->SetName("__MDTVD__");
    AddColumn(table, "__DEPTH__", {100, 101, 102, 103});
    // The TVD column is one row short: the common rows count.
    AddColumn(table, "__TVD__", {90, 90.5, 91});
    TDataSegment* tvd = b->GetMainSegment();
    ASSERT_NE(tvd, nullptr);
    EXPECT_EQ(tvd->ID(), "__TVD__");
    const double expected[] = {NAN, 90, 90.5, 90.5, 91, NAN};
    ASSERT_EQ(tvd->GetCount(), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        if (std::isnan(expected[i])) EXPECT_TRUE(tvd->GetIsEmpty(i));
        else EXPECT_EQ(tvd->GetAsDouble(i), expected[i]);
    }
    // Made once: the block keeps it.
    EXPECT_EQ(b->GetMainSegment(), tvd);
    EXPECT_EQ(b->GetCount(), 2);
    // Without its own depth column a block gets no main segment.
    TDataBlock* other = list.Add();
    AddColumn(other, "0", {1, 2});
    EXPECT_EQ(other->GetMainSegment(), nullptr);
    EXPECT_EQ(other->CreateTVD(nullptr, tvd), nullptr);
}

TEST(DataBlocks, VarIsEqualAndDataClasses) {
    EXPECT_TRUE(VarIsEqual(1, 1.0));
    EXPECT_TRUE(VarIsEqual(0.1 + 0.2, 0.3));
    EXPECT_FALSE(VarIsEqual(1, 2));
    EXPECT_TRUE(VarIsEqual(QStringLiteral("a"), QStringLiteral("a")));
    EXPECT_FALSE(VarIsEqual(QStringLiteral("1"), QStringLiteral("1.0")));
    EXPECT_EQ(SketchDataClasses[1].Step, 4.0);
    EXPECT_EQ(SketchDataClasses[0].Scale, 1.0 / 1440);
}

}  // namespace
