// A layout across several fixed pages printed to PDF and exported as a
// bitmap, saved, read back and exported again.
#include "LayoutTestSupport.h"

#include "QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
constexpr int Red = 0x0000FF;

// The rows of a 96-dpi export at a millimetre.
int Row(double mm) { return int(mm * ScreenPixelsPerMM); }
}  // namespace

TEST(LayoutPagesEndToEnd, PrintsExportsSavesAndReadsAFixedPageLayout) {
    QTemporaryDir dir;
    const QString artifacts = ArtifactsDir();
    const QString pdfName = (artifacts.isEmpty() ? dir.path() : artifacts) + "/pages.pdf";
    auto printer = std::make_shared<TScriptedPrinters>(pdfName);
    const auto previous = SetPrinters(printer);

    TPrintDocument doc;
    doc.SetFormName("LayoutPagesEndToEnd");
    doc.SetIsFixedPageSize(true);
    doc.SetStrPageSize("A5, 148mm x 210mm");
    // A column of items down to 500 mm; the only red one crosses the first page edge.
    const int colors[] = {0xC08040, 0x40A040, 0xA040A0, 0x808000};
    int top = 10;
    for (int i = 0; top < 480; ++i, top += 40) {
        if (top + 30 > 200 && top < 220) continue;
        AddFill(&doc, 10 + (i % 3) * 30, top, 25, 30, colors[i % 4]);
    }
    AddFill(&doc, 20, 200, 100, 20, Red);
    AddFill(&doc, 100, 470, 40, 30, 0x404040);  // the lowest, to 500 mm

    doc.Print("LayoutPagesEndToEnd", false);
    EXPECT_TRUE(printer->PrintDialogs.empty()) << "no dialog";
    EXPECT_EQ(printer->JobTitles, QStringList{"LayoutPagesEndToEnd"});
    EXPECT_EQ(doc.PageCount(), 3);
    QFile pdf(pdfName);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray pdfBytes = pdf.readAll();
    EXPECT_TRUE(pdfBytes.startsWith("%PDF"));
    EXPECT_EQ(pdfBytes.count("/Type /Page\n") + pdfBytes.count("/Type /Page\r") + pdfBytes.count("/Type /Page>") +
                  pdfBytes.count("/Type /Page "),
              3)
        << "three pages";
    QByteArray title;  // the document title is written in UTF-16BE
    for (QChar c : QStringLiteral("LayoutPagesEndToEnd")) title.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    EXPECT_TRUE(pdfBytes.contains(title)) << "the job title";

    QImage bitmap;
    doc.RenderBMP(bitmap, 96);
    EXPECT_EQ(bitmap.width(), int(Round(148 * ScreenPixelsPerMM)));
    EXPECT_EQ(bitmap.height(), int(std::ceil(500 * ScreenPixelsPerMM)));
    auto isRed = [&](const QImage& image, int x, int y) { return QColor(image.pixel(x, y)) == QColor(Qt::red); };
    const int x = int(60 * ScreenPixelsPerMM);
    EXPECT_TRUE(isRed(bitmap, x, Row(205))) << "red above the page edge";
    EXPECT_TRUE(isRed(bitmap, x, Row(215))) << "red below the page edge, drawn on page 2";
    EXPECT_FALSE(isRed(bitmap, x, Row(199)));
    EXPECT_FALSE(isRed(bitmap, x, Row(221)));
    EXPECT_NE(QColor(bitmap.pixel(int(115 * ScreenPixelsPerMM), Row(499))), QColor(Qt::white)) << "the bottom item";

    const QString file = dir.filePath("pages.lay");
    doc.Save(file);
    TPrintDocument reloaded(nullptr, file);
    QImage again;
    reloaded.RenderBMP(again, 96);
    EXPECT_EQ(again, bitmap) << "the read document exports the same picture";
    EXPECT_EQ(reloaded.PageCount(), 3);

    if (!artifacts.isEmpty()) {
        bitmap.save(artifacts + "/pages.png");
        again.save(artifacts + "/pages-reloaded.png");
    }
    SetPrinters(previous);
}
