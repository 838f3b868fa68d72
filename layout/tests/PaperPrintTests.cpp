// What prints and exports show: documents printed through the PDF printer of
// the printer seam, the pages rasterised by poppler's pdftoppm and their
// pixels read; bitmap exports, their size and the resolution they record.
#include "WellLogTestSupport.h"

#include "PrintLabels.h"
#include "PrintView.h"
#include "QtPrinters.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>

using namespace Plotmere;
using namespace LayoutTests;

namespace {

constexpr int Dpi = 150;
double PxPerMM() { return Dpi / 25.4; }
int Px(double mm) { return int(std::floor(mm * PxPerMM())); }

// The PDF printer while alive; every job overwrites Pdf.
struct TPdfPrinter {
    TPdfPrinter() : Pdf(Dir.filePath("out.pdf")), Printer(std::make_shared<TScriptedPrinters>(Pdf)), Old(SetPrinters(Printer)) {}
    ~TPdfPrinter() { SetPrinters(Old); }
    // Prints the document and gives its first page as pdftoppm draws it.
    QImage PrintFirstPage(TPrintDocument& doc, const QString& artifact) {
        doc.Print(artifact, false);
        QImage page = RasterisePdfPage(Pdf, 1, Dpi);
        if (const QString dir = ArtifactsDir(); !dir.isEmpty()) {
            QFile::remove(dir + "/" + artifact + ".pdf");
            QFile::copy(Pdf, dir + "/" + artifact + ".pdf");
            page.save(dir + "/" + artifact + ".png");
        }
        return page;
    }
    QTemporaryDir Dir;
    QString Pdf;
    std::shared_ptr<TScriptedPrinters> Printer;
    std::shared_ptr<IPrinters> Old;
};

// Pixels of the rows and columns given (device pixels, ends excluded) that pass.
int Count(const QImage& image, int left, int top, int right, int bottom, const std::function<bool(QColor)>& pass) {
    int n = 0;
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y)
        for (int x = std::max(0, left); x < std::min(right, image.width()); ++x)
            if (pass(image.pixelColor(x, y))) ++n;
    return n;
}

// A red curve, also under a translucent tint; yellow paper; dark ink.
bool Reddish(QColor c) { return c.red() - c.green() > 60 && c.red() - c.blue() > 60; }
bool YellowTint(QColor c) { return c.red() > 230 && c.green() > 230 && c.blue() < 200; }
bool Dark(QColor c) { return std::max({c.red(), c.green(), c.blue()}) < 110; }
bool Light(QColor c) { return std::min({c.red(), c.green(), c.blue()}) > 200; }

// A depth log of 0 - 100 m at 0.5 m per mm in one track 20 - 80 mm: a red
// GR curve swinging across the track every metre and a half.
TPrintField* BuildLog(TSketchDocument& doc) {
    SetUpDepthDocument(doc, 0, 100, 0.5, 10);
    std::vector<double> depth, gr;
    for (int i = 0; i <= 400; ++i) {
        depth.push_back(i / 4.0);
        gr.push_back(50 + 45 * std::sin(i / 4.0 * 4));
    }
    AddBlock(doc, "SRC", "well", depth, {{"GR", gr}});
    TPrintField* field = AddTrack(&doc, 20, 10, 60);
    AddLineCurve(field, "GR", 0, 100, clRed);
    return field;
}

// The page row of a depth in the track, worked out from the document's
// range and scale.
int Row(const TSketchDocument& doc, const TPrintField& field, double depth) {
    return Px(field.ClientRect().top() + (depth - doc.Min()) / doc.Scale());
}

}  // namespace

TEST(LayerOnPaper, LayerPrintedToPdfTintsAndShowsTheCurve) {
    TPdfPrinter printer;
    TSketchDocument doc;
    TPrintField* field = BuildLog(doc);
    auto* layer = new TPrintCollector(field);
    layer->SetStart(30);
    layer->SetStop(50);
    layer->SetShownColor(clYellow);
    const QImage page = printer.PrintFirstPage(doc, "layer-on-paper");
    ASSERT_EQ(page.width(), int(std::lround(210 * PxPerMM())));

    const QRect client = field->ClientRect();
    const int left = Px(client.left()) + 2, right = Px(client.left() + client.width()) - 2;
    // Twenty metres inside the layer and twenty metres below it, away from its edges.
    const int inTop = Row(doc, *field, 31), inBottom = Row(doc, *field, 49);
    const int outTop = Row(doc, *field, 61), outBottom = Row(doc, *field, 79);
    const int area = (right - left) * (inBottom - inTop);
    const int curveIn = Count(page, left, inTop, right, inBottom, Reddish);
    const int curveOut = Count(page, left, outTop, right, outBottom, Reddish);
    ASSERT_GT(curveOut, 1000) << "the curve prints";
    EXPECT_GT(curveIn, curveOut / 2) << "the curve shows through the layer";
    EXPECT_GT(Count(page, left, inTop, right, inBottom, YellowTint), area / 2) << "the paper under the layer is yellow";
    EXPECT_EQ(Count(page, left, outTop, right, outBottom, YellowTint), 0) << "and white elsewhere";
}

TEST(PrintLabels, DesignModePrintKeepsTextReadable) {
    struct TCase {
        const char* What;
        std::function<TPrintLabel*(TPrintDocument&)> Make;
    };
    const TCase cases[] = {
        {"label", [](TPrintDocument& doc) { return new TPrintLabel(&doc); }},
        {"data label",
         [](TPrintDocument& doc) {
             auto* label = new TPrintDBLabel(&doc);
             label->SetName("Скважина");
             return label;
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TPdfPrinter printer;
        TPrintDocument doc;
        doc.SetStrPageSize("A4, 210mm x 297mm");
        doc.SetIsFixedPageSize(true);
        TPrintLabel* label = c.Make(doc);
        label->SetLeft(20);
        label->SetTop(20);
        label->Font()->SetSize(28);
        label->SetCaption("Скважина 7");
        doc.SetIsDesigner(true);
        const QImage page = printer.PrintFirstPage(doc, QStringLiteral("design-label-%1").arg(c.What).replace(' ', '-'));

        const QRect b = label->Bounds();
        ASSERT_GT(b.width(), 20);
        const int left = Px(b.left()) + 1, top = Px(b.top()) + 1;
        const int right = Px(b.left() + b.width()) - 1, bottom = Px(b.top() + b.height()) - 1;
        const int area = (right - left) * (bottom - top);
        const int dark = Count(page, left, top, right, bottom, Dark);
        EXPECT_GT(Count(page, left, top, right, bottom, Light), area * 6 / 10) << "the tint stays light";
        EXPECT_GT(dark, 300) << "the text is there";
        EXPECT_LT(dark, area / 3) << "and is not a bar";
        // The designer's tint still marks the label on the paper.
        const QColor paper = page.pixelColor(right - 2, bottom - 2);
        EXPECT_NE(paper, QColor(Qt::white));
        EXPECT_EQ(page.pixelColor(right + Px(5), bottom - 2), QColor(Qt::white));
    }
}

TEST(SketchDocument, FreshlyOpenedDocumentPrintsItsData) {
    TPdfPrinter printer;
    const QString file = printer.Dir.filePath("log.layout");
    int curveBefore = 0, exportedBefore = 0;
    {
        TSketchDocument doc;
        BuildLog(doc);
        doc.PrepareDocument();
        doc.SetSaveData(true);
        doc.Save(file);
        const QImage page = printer.PrintFirstPage(doc, "saved-log");
        curveBefore = Count(page, 0, 0, page.width(), page.height(), Reddish);
        ASSERT_GT(curveBefore, 3000);
        QImage image;
        doc.RenderBMP(image, Dpi);
        exportedBefore = Count(image, 0, 0, image.width(), image.height(), Reddish);
        ASSERT_GT(exportedBefore, 3000);
    }
    {
        TSketchDocument opened(nullptr, file);
        ASSERT_TRUE(opened.LoadedFromForm());
        const QImage page = printer.PrintFirstPage(opened, "opened-log");
        EXPECT_GT(Count(page, 0, 0, page.width(), page.height(), Reddish), curveBefore * 9 / 10) << "the first print";
        EXPECT_FALSE(opened.GetLoading());
    }
    {
        TSketchDocument opened(nullptr, file);
        QImage image;
        opened.RenderBMP(image, Dpi);
        ASSERT_FALSE(image.isNull());
        if (const QString dir = ArtifactsDir(); !dir.isEmpty()) image.save(dir + "/opened-log-export.png");
        const int curve = Count(image, 0, 0, image.width(), image.height(), Reddish);
        EXPECT_EQ(curve, exportedBefore) << "the first export";
    }
}

TEST(PrintDocument, TooLargeExportRaises) {
    TPdfPrinter printer;
    TPrintDocument doc;
    doc.SetStrPageSize("A4, 210mm x 297mm");
    doc.SetIsFixedPageSize(true);
    // Ten kilometres of paper: 33,671 pages.
    TFillItem* tall = AddFill(&doc, 0, 0, 10, 10'000'000);
    tall->FailRender = true;  // anything painted fails differently
    doc.PrepareDocument();
    EXPECT_EQ(doc.PageCount(), 33671);

    static int warnings = 0;
    warnings = 0;
    const QtMessageHandler old = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) { ++warnings; });
    QImage bitmap(3, 3, QImage::Format_RGB32);
    bitmap.fill(Qt::green);
    const QImage before = bitmap;
    QString message;
    try {
        doc.RenderBMP(bitmap, 96);
    } catch (const Exception& e) {
        message = e.Message();
    }
    qInstallMessageHandler(old);
    // 210 mm and 10,000,000 mm at 96 dots per inch.
    EXPECT_EQ(message, "Изображение 794 x 37795276 точек слишком велико для экспорта");
    EXPECT_EQ(warnings, 0) << "nothing was painted";
    EXPECT_TRUE(bitmap == before) << "the caller's bitmap stays";
    tall->SetHeight(100);
    tall->FailRender = false;
    doc.RenderBMP(bitmap, 96);
    EXPECT_EQ(bitmap.height(), int(std::ceil(100 / 25.4 * 96)));
}

TEST(PrintDocument, EmptyDocumentRaisesInsteadOfABlankPage) {
    TPdfPrinter printer;
    TPrintDocument doc;
    const auto message = [](const std::function<void()>& run) {
        try {
            run();
        } catch (const Exception& e) {
            return e.Message();
        }
        return QString();
    };
    EXPECT_EQ(message([&] { doc.Print("empty", false); }), "Документ пуст: печатать нечего");
    EXPECT_TRUE(printer.Printer->JobTitles.isEmpty()) << "no job, no blank page";
    QImage bitmap;
    EXPECT_EQ(message([&] { doc.RenderBMP(bitmap, 96); }), "Документ пуст: печатать нечего");
    EXPECT_TRUE(bitmap.isNull());
    AddFill(&doc, 10, 10, 10, 10);
    doc.Print("one item", false);
    EXPECT_EQ(printer.Printer->JobTitles, QStringList{"one item"});
}

TEST(PrintDocument, ExportRecordsItsResolutionAndLeavesTheViewsLayout) {
    TSketchDocument doc;
    TPrintField* field = BuildLog(doc);
    field->SetCaption("Гамма-каротаж");
    // Two curve headers: the export's resolution rounds the header a millimetre shorter.
    AddLineCurve(field, "RES", 0, 100, clBlue);
    TSketchView view;
    view.resize(600, 400);
    view.SetMainView(true);
    view.SetDocument(&doc);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    doc.PrepareDocument();
    std::map<TPrintItem*, QRect> laidOut;
    doc.Enum([&](TPrintItem* item) { laidOut[item] = item->Bounds(); });
    const QRect client = field->ClientRect();

    for (const int dpi : {96, 150, 300}) {
        SCOPED_TRACE(dpi);
        QImage image;
        doc.RenderBMP(image, dpi);
        // Dots per metre from the dots per inch, 39.37 inches to the metre.
        const int dotsPerMeter = int(std::lround(dpi * 1000 / 25.4));
        EXPECT_EQ(image.dotsPerMeterX(), dotsPerMeter);
        EXPECT_EQ(image.dotsPerMeterY(), dotsPerMeter);
        EXPECT_NEAR(image.width() * 1000.0 / image.dotsPerMeterX(), 210, 0.3) << "the page prints at its size";
        // The track's left border lies at its place on the picture.
        const double perMM = dpi / 25.4;
        const int row = int((client.top() + 50) * perMM);
        int border = -1;
        for (int x = 0; x < image.width() && border < 0; ++x)
            if (Dark(image.pixelColor(x, row))) border = x;
        EXPECT_NEAR(border, client.left() * perMM, 1.5);
        doc.Enum([&](TPrintItem* item) {
            EXPECT_EQ(item->Bounds(), laidOut[item]) << item->metaObject()->className() << " keeps the view's layout";
        });
        EXPECT_EQ(field->ClientRect(), client) << "the track's header";
    }
    view.SetDocument(nullptr);
}
