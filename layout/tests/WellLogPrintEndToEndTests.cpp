// The host's whole path for a well-log plot: a LAS file in the folder the
// settings name, the engine's plug-in manager over bin/Plugins, a new document
// built only through the document's editing operations and the items' setup,
// every step undone and redone, the data loaded, printed to PDF, exported,
// saved, read back as a new document and exported again.
#include "WellLogTestSupport.h"

#include "ModalDialogs.h"
#include "PrintFields.h"
#include "PrintLabels.h"
#include "PrintTables.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "UIServices.h"
#include "dlg_Common.h"
#include "dlg_SetupChart.h"
#include "dlg_SetupField.h"
#include "dlg_SetupLineSeries.h"
#include "dlg_SetupSysVar.h"
#include "dlg_SetupTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace Plotmere;
using namespace LayoutTests;

namespace {

constexpr int Dpi = 150;
const QString Title = QStringLiteral("WellLogPrintEndToEnd");
const QString LasFile = QStringLiteral("well7.las");
const QString Heading = QStringLiteral("Скважина 7: ГК и сопротивление");
constexpr TColor Red = TColor(0x0000FF), Blue = TColor(0xFF0000);

double PixelsPerMM() { return Dpi / 25.4; }
int Px(double mm) { return int(Round(mm * PixelsPerMM())); }

// An item set up through its own dialog, filled and confirmed as a user
// would; OK records the change as one undoable action.
template <class TDialog>
void SetUpInDialog(TScriptedUIServices& ui, TPrintDocument& doc, TPrintItem* item,
                   const std::function<void(TDialog&)>& fill) {
    int result = -1;
    ui.ScriptDialogOnce(QString::fromLatin1(TDialog::staticMetaObject.className()), [&](QObject* shown) {
        auto& dialog = *qobject_cast<TDialog*>(shown);
        fill(dialog);
        dialog.OKBtn->click();
        result = DialogResult(dialog);
        return result;
    });
    doc.SetupItem(item);
    EXPECT_EQ(result, mrOk) << TDialog::staticMetaObject.className() << ": " << ui.Messages.join('\n').toStdString();
}

// Picks a list's entry by its text.
void Choose(QComboBox& list, const QString& text) {
    const int index = list.findText(text);
    EXPECT_GE(index, 0) << "the list offers " << text.toStdString();
    list.setCurrentIndex(index);
}

template <class T>
T* Find(TPrintDocument& doc, const QUuid& id) {
    auto* item = qobject_cast<T*>(doc.FindItem(id));
    EXPECT_NE(item, nullptr) << "item " << id.toString().toStdString();
    return item;
}

// The curve descriptions the LAS plug-in offers, by ID.
TParamDescr Curve(const QString& id) {
    const TSystemLibrary* las = PluginManager().GetSystemByID(QStringLiteral("LAS"));
    for (const TParamDescr& p : PluginManager().GetSysParamsList(las->Descr().SystemID))
        if (p.ID == id) return p;
    ADD_FAILURE() << "no curve " << id.toStdString();
    return {};
}

// The IDs of what the build placed, to find the items again after undo and redo.
struct TBuilt {
    QUuid GRField, RESField, GR, RES, Heading, PageNumber, Table;
};

// Builds the plot step by step; each step is one done action whose layout
// text is appended to texts.
TBuilt BuildPlot(TScriptedUIServices& ui, TSketchDocument& doc, QStringList& texts) {
    const auto step = [&] { texts << LayoutText(doc); };
    TBuilt built;

    SetUpInDialog<TdlgSetupChart>(ui, doc, &doc, [](TdlgSetupChart& d) {
        d.cbScale->setEditText(QStringLiteral("200"));
        d.edStep->setText(QStringLiteral("10"));
        d.edMin->setText(QStringLiteral("0"));
        d.edMax->setText(QStringLiteral("100"));
        d.edName->setText(Title);
        d.cbFixedPageSize->setChecked(true);
        Choose(*d.cbPageSize, QStringLiteral("A4, 210mm x 297mm"));
    });
    step();

    const auto addTrack = [&](double left, QUuid& id) {
        auto* field = new TPrintField(&doc, TFloatPoint{left, 15});
        id = field->ID();
        doc.PlaceItem(field);
        step();
        return field;
    };
    TPrintField* grField = addTrack(10, built.GRField);
    SetUpInDialog<TdlgSetupField>(ui, doc, grField, [](TdlgSetupField& d) {
        d.edWidth->setText(QStringLiteral("45"));
        d.edCaption->setText(QStringLiteral("Гамма-каротаж"));
        d.cbShowBorders->setChecked(true);
    });
    step();
    TPrintField* resField = addTrack(55, built.RESField);
    SetUpInDialog<TdlgSetupField>(ui, doc, resField, [](TdlgSetupField& d) {
        d.edWidth->setText(QStringLiteral("45"));
        d.edCaption->setText(QStringLiteral("Сопротивление"));
        d.cbLogarithmic->setChecked(true);
        d.cbDecades->setEditText(QStringLiteral("3"));
        d.cbShowGridMarks->setChecked(true);
        d.cbShowBorders->setChecked(true);
    });
    step();

    // A curve is made from what the plug-in offers and placed into its track.
    const auto addCurve = [&](const QUuid& fieldID, const QString& gid, const QString& min, const QString& max, TColor color,
                              QUuid& id) {
        auto* series = new TPrintLineSeries(Find<TPrintField>(doc, fieldID));
        series->SetDescr(Curve(gid));
        id = series->ID();
        doc.PlaceItem(series);
        step();
        SetUpInDialog<TdlgSetupLineSeries>(ui, doc, series, [&](TdlgSetupLineSeries& d) {
            d.cbMin->setEditText(min);
            d.cbMax->setEditText(max);
            ui.ColorAnswers.push_back(color);
            d.scColor->Button()->click();
            Choose(*d.cbPenWidth, QStringLiteral("2"));
        });
        step();
    };
    // The plug-in names each curve with its file.
    addCurve(built.GRField, LasFile + QStringLiteral("|GR"), QStringLiteral("0"), QStringLiteral("100"), Red, built.GR);
    addCurve(built.RESField, LasFile + QStringLiteral("|RES"), QStringLiteral("1"), QStringLiteral("1000"), Blue, built.RES);

    auto* heading = new TPrintLabel(&doc, TFloatPoint{10, 5});
    built.Heading = heading->ID();
    doc.PlaceItem(heading);
    step();
    SetUpInDialog<TdlgSetupLabel>(ui, doc, heading, [](TdlgSetupLabel& d) { d.meText->setPlainText(Heading); });
    step();

    auto* page = new TPrintSysLabel(&doc);
    page->SetLeft(185);
    page->SetTop(5);
    built.PageNumber = page->ID();
    doc.PlaceItem(page);
    step();
    SetUpInDialog<TdlgSetupSysVar>(ui, doc, page, [](TdlgSetupSysVar& d) {
        Choose(*d.cbVariable, QStringLiteral("Номер страницы"));
        d.cbEveryPage->setChecked(true);
    });
    step();

    auto* table = new TPrintTable(&doc);
    table->SetLeft(110);
    table->SetTop(15);
    built.Table = table->ID();
    doc.PlaceItem(table);
    step();
    SetUpInDialog<TdlgSetupTable>(ui, doc, table, [](TdlgSetupTable& d) {
        Choose(*d.cbSource, QStringLiteral("LAS: ") + LasFile);
        d.cbVertical->setChecked(true);
    });
    step();
    return built;
}

// Red and blue pixels of the export where the curves must be: GR in its
// track only, with its gap; RES on the diagonal of its logarithmic track.
void ExpectCurves(const QImage& image, TPrintField& grField, TPrintField& resField) {
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    const QRect grBounds = grField.Bounds(), grClient = grField.ClientRect(), resClient = resField.ClientRect();
    int redPixels = 0, bluePixels = 0, redOutside = 0, redInGap = 0, blueOutside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (IsColour(image, x, y, red)) {
                const bool inTrack = x >= Px(grBounds.left()) && x <= Px(grBounds.left() + grBounds.width()) &&
                                     y >= Px(grBounds.top()) && y <= Px(grBounds.top() + grBounds.height());
                if (!inTrack) ++redOutside;
                if (y <= Px(grClient.top())) continue;
                ++redPixels;
                const double depth = grField.PrjVertMMToValue(y / PixelsPerMM());
                if (depth > 40.3 && depth < 49.7) ++redInGap;
            }
            if (IsColour(image, x, y, blue) && y > Px(resClient.top())) {
                ++bluePixels;
                if (x < Px(resClient.left()) || x > Px(resClient.left() + resClient.width())) ++blueOutside;
            }
        }
    EXPECT_EQ(redOutside, 0) << "GR is the only red, inside its track";
    EXPECT_EQ(redInGap, 0) << "nothing drawn where GR is empty";
    EXPECT_EQ(blueOutside, 0);
    EXPECT_GT(redPixels, 3000);
    EXPECT_GT(bluePixels, 3000);

    const auto redInRow = [&](double depth) {
        const int y = Px(grField.PrjVertValueToMM(depth));
        for (int x = Px(grClient.left()); x < Px(grClient.left() + grClient.width()); ++x)
            if (IsColour(image, x, y, red)) return true;
        return false;
    };
    for (const double depth : {5.0, 39.5, 50.5, 99.0}) EXPECT_TRUE(redInRow(depth)) << "GR at " << depth << " m";
    EXPECT_FALSE(redInRow(45));
    for (const double depth : {10.0, 33.3, 50.0, 90.0}) {
        const int y = Px(resField.PrjVertValueToMM(depth));
        const int x = Px(resClient.left() + depth / 100 * resClient.width());
        bool near = false;
        for (int dx = -3; dx <= 3 && !near; ++dx) near = IsColour(image, x + dx, y, blue);
        EXPECT_TRUE(near) << "RES at " << depth << " m lies on the diagonal of three decades";
    }
}

// A document's text without the file it was read from.
QString WithoutFormFile(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeIf([](const QString& line) { return line.trimmed().startsWith(QStringLiteral("FormFile = ")); });
    return lines.join(QStringLiteral("\r\n"));
}

int PdfPages(const QByteArray& pdf) {
    int pages = 0;
    for (const char* end : {"\n", "\r", ">", " "}) pages += int(pdf.count(QByteArray("/Type /Page") + end));
    return pages;
}

}  // namespace

TEST(WellLogPrintEndToEnd, BuildsPrintsSavesAndReloads) {
    TTempXdgHome home;
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString lasFolder = work.filePath("las");
    ASSERT_TRUE(QDir().mkpath(lasFolder));
    WriteWellLas(lasFolder + "/" + LasFile);
    const QString artifacts = ArtifactsDir();
    const QString out = artifacts.isEmpty() ? work.path() : artifacts;

    ResetLayoutDialogs();
    ResetAnnotationDefaults();
    auto ui = std::make_shared<TScriptedUIServices>();
    const auto oldUI = SetUIServices(ui);
    auto printers = std::make_shared<TScriptedPrinters>(out + "/welllog.pdf");
    const auto oldPrinters = SetPrinters(printers);

    // The host starts the manager on its plug-in folder and points the LAS
    // system at the folder of files through the system's own setup.
    TPluginManager& manager = PluginManager();
    manager.Activate(atPath, BinDir() + "/Plugins");
    TSystemLibrary* las = manager.GetSystemByID(QStringLiteral("LAS"));
    ASSERT_NE(las, nullptr) << ui->Messages.join('\n').toStdString();
    ui->InputAnswers.push_back(lasFolder);
    las->Setup();

    TSketchDocument doc;
    QStringList texts{LayoutText(doc)};
    const TBuilt built = BuildPlot(*ui, doc, texts);
    ASSERT_FALSE(HasFailure());
    ASSERT_EQ(doc.DoneCount(), texts.size() - 1);

    // Every action undoes to the text before it, down to the empty document,
    // and redoes to the text after it.
    for (int i = int(texts.size()) - 1; i > 0; --i) {
        doc.Undo();
        ASSERT_EQ(LayoutText(doc), texts[i - 1]) << "undo of step " << i;
    }
    EXPECT_EQ(doc.ItemCount(), 0);
    for (int i = 1; i < texts.size(); ++i) {
        doc.Redo();
        ASSERT_EQ(LayoutText(doc), texts[i]) << "redo of step " << i;
    }
    EXPECT_EQ(doc.UndoneCount(), 0);

    ASSERT_TRUE(manager.Load(doc));
    EXPECT_FALSE(doc.GetLoading());
    ASSERT_NE(doc.Blocks().GetBlockByName("well7"), nullptr);
    ASSERT_NE(doc.Blocks().GetBlockByName(LasFile), nullptr);
    EXPECT_EQ(doc.Min(), 0.0);
    EXPECT_EQ(doc.Max(), 100.0);
    TPrintLineSeries* gr = Find<TPrintLineSeries>(doc, built.GR);
    TPrintTable* table = Find<TPrintTable>(doc, built.Table);
    ASSERT_TRUE(gr && table);
    EXPECT_EQ(gr->BlockCache().size(), 2u) << "the gap splits GR in two runs";

    doc.Print(Title, false);
    EXPECT_EQ(printers->JobTitles, QStringList{Title});
    EXPECT_GE(doc.PageCount(), 2) << "500 mm of log";
    QFile pdf(out + "/welllog.pdf");
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray pdfBytes = pdf.readAll();
    EXPECT_TRUE(pdfBytes.startsWith("%PDF"));
    EXPECT_EQ(PdfPages(pdfBytes), doc.PageCount());
    QByteArray utf16Title;
    for (const QChar c : Title) utf16Title.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    EXPECT_TRUE(pdfBytes.contains(utf16Title)) << "the job title";

    QImage image;
    doc.RenderBMP(image, Dpi);
    ASSERT_FALSE(image.isNull());
    if (!artifacts.isEmpty()) image.save(artifacts + "/welllog.png");
    EXPECT_EQ(image.width(), Px(210));
    TPrintField* grField = Find<TPrintField>(doc, built.GRField);
    TPrintField* resField = Find<TPrintField>(doc, built.RESField);
    ASSERT_TRUE(grField && resField);
    EXPECT_GT(grField->Bounds().top() + grField->Bounds().height(), 297) << "the tracks run onto page 2";
    ExpectCurves(image, *grField, *resField);

    // What the pages say: the heading, the page number on every page at the
    // same place, and the well section of the file in the table.
    TRecordingCanvas canvas(Dpi, QSize(Px(210), Px(297 * doc.PageCount())));
    RenderPages(doc, canvas);
    const TPrintSysLabel* page = Find<TPrintSysLabel>(doc, built.PageNumber);
    ASSERT_NE(page, nullptr);
    QStringList drawn;
    std::map<int, QStringList> pageCorner;  // texts in the page number's place, by page
    for (const auto& call : canvas.Calls) {
        if (call.Kind != "text") continue;
        drawn << call.Text;
        const QPointF p = call.Points.value(0);
        const int onPage = int(p.y() / PixelsPerMM() / 297) + 1;
        const double top = p.y() / PixelsPerMM() - (onPage - 1) * 297;
        if (p.x() >= Px(page->Left() - 1) && top < page->Top() + page->Height() + 2) pageCorner[onPage] << call.Text;
    }
    EXPECT_TRUE(drawn.contains(Heading)) << drawn.join(" | ").toStdString();
    ASSERT_EQ(int(pageCorner.size()), doc.PageCount());
    for (const auto& [n, texts] : pageCorner) EXPECT_EQ(texts.join(" | "), QString::number(n)) << "page " << n;
    for (const QString& cell : {QStringLiteral("WELL"), QStringLiteral("WELL 7"), QStringLiteral("STRT"),
                                QStringLiteral("-9999")})
        EXPECT_TRUE(drawn.contains(cell)) << "table cell " << cell.toStdString();

    // Saved, opened as a new document, loaded and exported: the same pixels.
    const QString file = out + "/welllog.layout";
    doc.Save(file);
    TSketchDocument reloaded(nullptr, file);
    EXPECT_EQ(WithoutFormFile(LayoutText(reloaded)), WithoutFormFile(LayoutText(doc)));
    EXPECT_EQ(reloaded.Blocks().Count(), 0) << "the data stay with the plug-ins";
    ASSERT_TRUE(manager.Load(reloaded));
    QImage again;
    reloaded.RenderBMP(again, Dpi);
    if (!artifacts.isEmpty()) again.save(artifacts + "/welllog-reloaded.png");
    EXPECT_EQ(again.size(), image.size());
    EXPECT_TRUE(again == image) << "the reloaded document exports the same picture";

    EXPECT_TRUE(ui->Messages.isEmpty()) << ui->Messages.join('\n').toStdString();
    SetPrinters(oldPrinters);
    SetUIServices(oldUI);
    ResetAnnotationDefaults();
}
