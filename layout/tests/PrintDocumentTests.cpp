// The print document: page size text, system variables, pages, copying,
// outline, files and failures while printing.
#include "LayoutTestSupport.h"

#include "ComponentStreaming.h"
#include "QtPrinters.h"
#include "UIServices.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
// Scripted UI services and a PDF printer while alive.
struct TServicesFixture {
    TServicesFixture() {
        Printer = std::make_shared<TScriptedPrinters>(Dir.filePath("out.pdf"));
        OldPrinters = SetPrinters(Printer);
        UI = std::make_shared<TScriptedUIServices>();
        OldUI = SetUIServices(UI);
    }
    ~TServicesFixture() {
        SetPrinters(OldPrinters);
        SetUIServices(OldUI);
    }
    QTemporaryDir Dir;
    std::shared_ptr<TScriptedPrinters> Printer;
    std::shared_ptr<IPrinters> OldPrinters;
    std::shared_ptr<TScriptedUIServices> UI;
    std::shared_ptr<IUIServices> OldUI;
};

int Pages(TPrintDocument& doc) {
    QImage bitmap;
    doc.RenderBMP(bitmap, 96);
    return doc.PageCount();
}
}  // namespace

TEST(PrintDocument, PageSizeText) {
    struct TCase { QString Text; QSize Size; QString Error; };
    const TCase cases[] = {
        {PaperFormText("A4", 210, 297), {210, 297}, {}},
        {"210mm x 297mm", {210, 297}, {}},
        {"Envelope, C5, 162mm x 229mm", {162, 229}, {}},
        {"A4, 0mm x 297mm", {}, "Размер страницы задан неверно"},
        {"A4, 210mm x mm", {}, "Размер страницы задан неверно"},
        {"A4, wide", {}, "Размер страницы задан неверно"},
        {"   ", {}, "Размер страницы не задан"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text.toStdString());
        try {
            const QSize size = StrPageSizeToPageSize(c.Text);
            EXPECT_TRUE(c.Error.isEmpty());
            EXPECT_EQ(size, c.Size);
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.Error);
        }
    }
    TPrintDocument doc;
    doc.SetStrPageSize("A5, 148mm x 210mm");
    EXPECT_EQ(doc.FixedPageSize(), QSize(148, 210));
    doc.SetStrPageSize("nonsense");
    EXPECT_EQ(doc.FixedPageSize(), QSize(210, 297));
    EXPECT_EQ(doc.StrPageSize(), "nonsense");
}

TEST(PrintDocument, SystemVariables) {
    TServicesFixture services;
    TPrintDocument doc;
    doc.SetClock([] { return EncodeDate(2026, 3, 7) + EncodeTime(14, 5, 9, 0); });
    doc.SetFormDesigner("Иванов");
    doc.SetFormName("Каротаж");
    doc.SetFormFile("/data/logs/well 12.v2.lay");
    doc.SetStartPage(1);
    doc.SetIsFixedPageSize(true);
    doc.SetStrPageSize("A4, 210mm x 297mm");
    AddFill(&doc, 0, 0, 10, 400);
    QImage bitmap;
    doc.RenderBMP(bitmap, 96);  // leaves the last page rendered: 2
    struct TCase { int Index; QString Value; };
    const TCase cases[] = {{0, "2"}, {1, "07.03.2026"}, {2, "14:05:09"}, {3, "PDF"}, {4, "Иванов"},
                           {5, "Каротаж"}, {6, "well 12.v2"}, {-1, "3"}, {7, ""}, {-2, ""}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Index);
        EXPECT_EQ(doc.GetSysVar(c.Index), c.Value);
    }
}

TEST(PrintDocument, PageCountTakesTheLastMillimetreInsideTheBottom) {
    TPrintDocument doc;
    doc.SetIsFixedPageSize(true);
    doc.SetStrPageSize("A4, 210mm x 297mm");
    TFillItem* item = AddFill(&doc, 0, 0, 10, 297);
    EXPECT_EQ(Pages(doc), 1);
    EXPECT_EQ(doc.DocumentBottom(), 297);
    item->SetHeight(300);
    EXPECT_EQ(Pages(doc), 2);
    item->SetTop(600);
    EXPECT_EQ(Pages(doc), 4);
}

TEST(PrintDocument, CopyGivesEachSelectedTextFormFollowedByTheSeparator) {
    TServicesFixture services;
    TPrintDocument doc;
    doc.SetIsDesigner(true);
    TFillItem* a = AddFill(&doc, 1, 2, 3, 4);
    TFillItem* b = AddFill(&doc, 5, 6, 7, 8, 0xFF);
    b->Select(true);
    a->Select(true);
    doc.CopySelectionToClipboard();
    const QString expected = b->GetAsText() + QStringLiteral("яя") + a->GetAsText() + QStringLiteral("яя");
    EXPECT_EQ(services.UI->Clipboard().AsText(), expected);
    EXPECT_TRUE(expected.contains(QStringLiteral("\r\nяяobject TFillItem")));
    EXPECT_TRUE(expected.startsWith("object TFillItem\r\n"));

    doc.DeselectAll();
    doc.CopySelectionToClipboard();
    EXPECT_EQ(services.UI->Clipboard().AsText(), "") << "nothing selected, no outline";
}

TEST(PrintDocument, LockedChangeDoesNothing) {
    TPrintDocument doc;
    doc.SetIsDesigner(true);
    TFillItem* item = AddFill(&doc, 0, 0, 10, 10);
    item->SetStateFlag(TPrintItem::psSelected, true);
    doc.Lock();
    doc.Changed(dcContents);
    EXPECT_TRUE(doc.Selection().isEmpty()) << "no selection rebuilt";
    doc.Unlock();
    doc.Changed(dcContents);
    EXPECT_EQ(doc.Selection(), QList<TPrintItem*>{item});
}

TEST(PrintDocument, NewClearedAndReadDocumentsHaveTheirDefaults) {
    TPrintDocument doc;
    EXPECT_EQ(doc.StartPage(), 0);
    EXPECT_EQ(doc.GridStep(), 10);
    EXPECT_EQ(doc.DocScale(), 1);
    doc.SetComment("x");
    AddFill(&doc, 0, 0, 10, 10);
    doc.Clear();
    EXPECT_EQ(doc.StartPage(), 1);
    EXPECT_EQ(doc.GridStep(), 0);
    EXPECT_TRUE(doc.Items().isEmpty());
    EXPECT_TRUE(doc.Comment().isEmpty());

    TPrintDocument other;
    other.SetFormName("Форма");
    AddFill(&other, 1, 1, 5, 5);
    doc.ReadFromText(other.GetAsText());
    EXPECT_EQ(doc.StartPage(), 0) << "omitted defaults return";
    EXPECT_EQ(doc.GridStep(), 10);
    EXPECT_EQ(doc.FormName(), "Форма");
    EXPECT_EQ(doc.ItemCount(), 1);
    EXPECT_EQ(doc.Items().first()->ID(), other.Items().first()->ID());
}

TEST(PrintDocument, VersionIsWrittenAndIgnoredWhenRead) {
    TPrintDocument doc;
    const QString text = doc.GetAsText();
    EXPECT_TRUE(text.contains("Version = 'Plotmere 2 layout engine'")) << text.toStdString();
    QString old = text;
    old.replace("Plotmere 2 layout engine", "1.0");
    TPrintDocument read;
    read.ReadFromText(old);
    EXPECT_EQ(read.Version(), "Plotmere 2 layout engine");
}

TEST(PrintDocument, BadTextOrFileLeavesTheDocumentAsItWas) {
    QTemporaryDir dir;
    TPrintDocument doc;
    doc.SetFormName("kept");
    TFillItem* item = AddFill(&doc, 0, 0, 10, 10);
    const QString before = doc.GetAsText();
    const QStringList bad = {
        "object TPrintDocument\r\n  FormName = 'x'\r\n  object TNoSuchItem\r\n  end\r\nend\r\n",
        "object TPrintDocument\r\n  FormName = 'x'\r\n  NoSuchProperty = 1\r\nend\r\n",
        "object TPrintDocument\r\n  FormName = \r\n",
    };
    for (const QString& text : bad) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_ANY_THROW(doc.ReadFromText(text));
        EXPECT_EQ(doc.GetAsText(), before);
        EXPECT_EQ(doc.Items().first(), item);
    }
    EXPECT_THROW(doc.ReadFromText(bad[0]), EClassNotFound);

    doc.Save(dir.filePath("good.lay"));
    QFile f(dir.filePath("good.lay"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    f.close();
    EXPECT_FALSE(bytes.startsWith("object")) << "the binary component stream";
    QFile damaged(dir.filePath("damaged.lay"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(bytes.left(bytes.size() / 2));
    damaged.close();
    EXPECT_ANY_THROW(TPrintDocument(nullptr, dir.filePath("damaged.lay")));
    TPrintDocument loaded(nullptr, dir.filePath("good.lay"));
    EXPECT_EQ(loaded.FormName(), "kept");
    EXPECT_EQ(loaded.FormFile(), dir.filePath("good.lay"));
    EXPECT_EQ(loaded.ItemCount(), 1);
}

TEST(PrintDocument, PrintDialogOffersPagesFromStartPage) {
    TServicesFixture services;
    TPrintDocument doc;
    doc.SetStartPage(1);
    doc.SetIsFixedPageSize(true);
    doc.SetStrPageSize("A5, 148mm x 210mm");
    AddFill(&doc, 0, 0, 10, 500);
    doc.Print("t", true);
    ASSERT_EQ(services.Printer->PrintDialogs.size(), 1u);
    const TPrintDialogOptions asked = services.Printer->PrintDialogs[0];
    EXPECT_EQ(asked.MinPage, 2);
    EXPECT_EQ(asked.FromPage, 2);
    EXPECT_EQ(asked.MaxPage, 4);
    EXPECT_EQ(asked.ToPage, 4);
    EXPECT_EQ(asked.Options, poPrintToFile | poPageNums | poWarning);
    EXPECT_TRUE(services.Printer->JobTitles.isEmpty()) << "cancelled: nothing printed";

    services.Printer->PrintDialogAnswers.push_back([](TPrintDialogOptions& o) {
        o.PrintRange = prSelection;
        return true;
    });
    doc.Print("t", true);
    EXPECT_TRUE(services.Printer->JobTitles.isEmpty()) << "a selection prints nothing";

    services.Printer->PrintDialogAnswers.push_back([](TPrintDialogOptions& o) {
        o.PrintRange = prPageNums;
        o.FromPage = 3;
        o.ToPage = 4;
        return true;
    });
    doc.Print("range", true);
    EXPECT_EQ(services.Printer->JobTitles, QStringList{"range"});
    EXPECT_EQ(doc.CurrentPage(), 3) << "pages 2 and 3 of the document";
}

TEST(PrintDocument, FailingItemStillEndsPrintingAndExport) {
    TServicesFixture services;
    TPrintDocument doc;
    AddFill(&doc, 0, 0, 10, 10);
    TFillItem* bad = AddFill(&doc, 0, 20, 10, 10);
    bad->FailRender = true;
    EXPECT_THROW(doc.Print("failing", false), Exception);
    EXPECT_EQ(services.Printer->JobTitles, QStringList{"failing"});
    QFile pdf(services.Dir.filePath("out.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().trimmed().endsWith("%%EOF")) << "the job was ended";
    QImage bitmap;
    EXPECT_THROW(doc.RenderBMP(bitmap, 96), Exception);
    bad->FailRender = false;
    doc.Print("again", false);
    EXPECT_EQ(services.Printer->JobTitles.size(), 2);
}

TEST(PrintDocument, OutlineShowsTheTreeAndKeepsTheSelectedNode) {
    TPrintDocument doc;
    TTreeView tree;
    TFillItem* parent = AddFill(&doc, 0, 0, 40, 40);
    TFillItem* child = AddFill(parent, 0, 0, 10, 10);
    doc.SetTree(&tree);
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), "Документ");
    EXPECT_EQ(TTreeView::NodeImageIndex(root), 0);
    EXPECT_EQ(TTreeView::NodeData(root), &doc);
    EXPECT_FALSE(root->icon(0).isNull()) << "the node pictures are loaded";
    EXPECT_EQ(LayoutNodeImages().Count(), 14);

    int changes = 0;
    tree.OnChange = [&](QTreeWidgetItem*) { ++changes; };
    doc.SelectTreeItem(&doc);
    EXPECT_EQ(changes, 0) << "change handlers detached";
    EXPECT_EQ(doc.TreeSelectedItem(), &doc);
    doc.UpdateTree();
    EXPECT_EQ(doc.TreeSelectedItem(), &doc);
    Q_UNUSED(child);
}

TEST(PrintDocument, PrinterSetupAndExportResolution) {
    TServicesFixture services;
    TPrintDocument doc;
    doc.SetIsFixedPageSize(true);
    doc.SetStrPageSize("A5, 148mm x 210mm");
    AddFill(&doc, 0, 0, 10, 100);
    doc.SetupPrinter();
    services.Printer->SetupAnswers.push_back(true);
    doc.SetupPrinter();
    EXPECT_EQ(services.Printer->SetupDialogs, 2);
    QImage bitmap;
    doc.RenderBMP(bitmap, 192);
    EXPECT_EQ(bitmap.width(), int(Round(148 * ScreenPixelsPerMM * 2)));
    EXPECT_EQ(bitmap.height(), int(std::ceil(100 * ScreenPixelsPerMM * 2)));
    EXPECT_EQ(bitmap.format(), QImage::Format_RGB888);
}

TEST(PrintDocument, ThePrintersPaperFormsAreReadablePageSizes) {
    TServicesFixture services;
    const QStringList forms = Printers().PaperForms();
    ASSERT_FALSE(forms.isEmpty());
    EXPECT_TRUE(forms.contains("A4, 210mm x 297mm")) << forms.join(" | ").toStdString();
    for (const QString& form : forms) {
        SCOPED_TRACE(form.toStdString());
        const QSize size = StrPageSizeToPageSize(form);
        EXPECT_GT(size.width(), 0);
        EXPECT_GT(size.height(), 0);
    }
    EXPECT_EQ(Printers().PrinterName(), "PDF");
    SetPrinters(nullptr);
    EXPECT_TRUE(Printers().PaperForms().isEmpty()) << "no printer, no forms";
    EXPECT_THROW(Printers().PageSizeMM(), EPrinterError);
    SetPrinters(services.Printer);
}
