// Blocks written into the component text and read back, as a document that
// keeps its data writes them.
#include "ComponentStreaming.h"
#include "DataStructures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Plotmere;

class TBlockHolder : public TComponent {
    Q_OBJECT
    Q_PROPERTY(TCollection* Blocks READ Blocks)
public:
    Q_INVOKABLE explicit TBlockHolder(QObject* owner = nullptr) : TComponent(owner), FBlocks(new TDataBlockList(this)) {}
    TCollection* Blocks() const { return FBlocks; }
    TDataBlockList* List() const { return FBlocks; }

private:
    TDataBlockList* FBlocks;
};

namespace {

TEST(DataBlockStreaming, BlocksAndTheirColumnsSurviveTheComponentText) {
    TBlockHolder holder;
    holder.SetName("Doc");
    TDataBlock* b = holder.List()->Add();
    b->SetName("tbl");
    b->SetSourceID("SRC");
    b->SetMainID("101");
    b->SetStart(10);
    b->SetStop(20);
    auto* d = static_cast<TDoubleDataSegment*>(b->AddSegment(std::make_unique<TDoubleDataSegment>()));
    d->SetID("101");
    d->AllocBuffer(10);
    d->AddDouble(10.5);
    d->AddData(QVariant());
    auto* t = static_cast<TDateTimeDataSegment*>(b->AddSegment(std::make_unique<TDateTimeDataSegment>()));
    t->SetID("0");
    t->AddDouble(45000.5);
    auto* i = static_cast<TIntDataSegment*>(b->AddSegment(std::make_unique<TIntDataSegment>()));
    i->SetID("122");
    i->AddData(QVariant());
    auto* s = static_cast<TStringDataSegment*>(b->AddSegment(std::make_unique<TStringDataSegment>(QStringLiteral("7"))));
    s->AddData(QStringLiteral("Бурение"));
    holder.List()->Add()->SetName("empty");
    const QString text = WriteComponentText(WriteComponentTree(&holder));
    EXPECT_TRUE(text.contains("Segments")) << text.toStdString();

    TBlockHolder back;
    ReadComponentTree(ParseComponentText(text), &back);
    ASSERT_EQ(back.List()->Count(), 2);
    TDataBlock* r = back.List()->GetBlock(0);
    EXPECT_EQ(r->Name(), "tbl");
    EXPECT_EQ(r->SourceID(), "SRC");
    EXPECT_EQ(r->Stop(), 20.0);
    ASSERT_EQ(r->GetCount(), 4);
    EXPECT_EQ(r->GetDataSegmentByIndex(0)->GetCount(), 2);  // the filled rows
    EXPECT_EQ(r->GetDataSegmentByIndex(0)->GetAsDouble(0), 10.5);
    EXPECT_TRUE(r->GetDataSegmentByIndex(0)->GetIsEmpty(1));
    EXPECT_NE(qobject_cast<TDateTimeDataSegment*>(r->GetDataSegmentByIndex(1)), nullptr);
    EXPECT_EQ(r->GetDataSegmentByIndex(1)->GetAsDouble(0), 45000.5);
    EXPECT_TRUE(r->GetDataSegmentByIndex(2)->GetIsEmpty(0));
    EXPECT_EQ(r->GetDataSegmentByIndex(3)->GetAsString(0), QStringLiteral("Бурение"));
    EXPECT_EQ(back.List()->GetBlock(1)->GetCount(), 0);
    EXPECT_EQ(r->GetMainSegment(), r->GetDataSegmentByIndex(0));
}

}  // namespace

#include "BlockStreamingTests.moc"
