// Recoloured image lists for disabled toolbar buttons.
#include "ImgList.h"
#include "WKSpecialImages.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
TEST(SpecialImages, DisabledLookOfATwoByTwoFixture) {
    TComponent owner;
    auto* source = new TImageList(&owner);
    source->SetWidth(2);
    source->SetHeight(2);
    source->SetColorDepth(TCustomImageList::cd32Bit);
    QImage fixture(2, 2, QImage::Format_ARGB32_Premultiplied);
    fixture.setPixel(0, 0, qRgba(255, 0, 0, 255));    // opaque red
    fixture.setPixel(1, 0, qRgba(255, 255, 255, 255));  // opaque white
    fixture.setPixel(0, 1, qRgba(0, 0, 0, 0));        // transparent
    fixture.setPixel(1, 1, qRgba(0, 64, 0, 128));     // half-transparent green, premultiplied
    source->SetBitmap(fixture);
    ASSERT_EQ(source->Count(), 1);

    TCustomImageList* special = CreateSpecialImageList(source, 0, 0.1f, 1, 0.5f);
    ASSERT_TRUE(special);
    EXPECT_EQ(special->Owner(), AsComponent(&owner));
    EXPECT_FALSE(special->Masked());
    const QImage& out = special->Bitmap();
    struct TCase {
        int X, Y;
        QRgb Want;
    };
    // Red: contrast keeps 255 and 0, grey (61 * 255) >> 8 = 60, alpha 128, premultiplied 30.
    // White: grey 255, premultiplied 128. Green 127 -> (127 - 13) * 255 / 229 = 127, grey 86, alpha 64.
    for (const TCase& c : {TCase{0, 0, qRgba(30, 30, 30, 128)}, TCase{1, 0, qRgba(128, 128, 128, 128)},
                           TCase{0, 1, qRgba(0, 0, 0, 0)}, TCase{1, 1, qRgba(21, 21, 21, 64)}}) {
        SCOPED_TRACE(testing::Message() << c.X << "," << c.Y);
        const QRgb got = out.pixel(c.X, c.Y);
        EXPECT_EQ(qRed(got), qRed(c.Want));
        EXPECT_EQ(qGreen(got), qGreen(c.Want));
        EXPECT_EQ(qBlue(got), qBlue(c.Want));
        EXPECT_EQ(qAlpha(got), qAlpha(c.Want));
    }
    EXPECT_EQ(source->Bitmap().pixel(0, 0), qRgba(255, 0, 0, 255));  // the source is untouched

    EXPECT_EQ(CreateSpecialImageList(nullptr, 0, 0, 0, 1), nullptr);
    source->SetColorDepth(TCustomImageList::cd24Bit);
    EXPECT_EQ(CreateSpecialImageList(source, 0, 0, 0, 1), nullptr);
}
}  // namespace
