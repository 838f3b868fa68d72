#include "QtPrinters.h"

#include "ModalDialogs.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

namespace {
class TQtPrintJob : public IPrintJob {
public:
    explicit TQtPrintJob(QPrinter& printer) : FPrinter(printer) {}
    QPaintDevice& Device() override { return FPrinter; }
    void NewPage() override {
        if (!FPrinter.newPage()) throw EPrinterError(QStringLiteral("The printer cannot start a new page"));
    }

private:
    QPrinter& FPrinter;
};
}  // namespace

TQtPrinters::TQtPrinters() : FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

TQtPrinters::TQtPrinters(const QString& pdfFileName)
    : FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)), FPdf(true) {
    FPrinter->setOutputFormat(QPrinter::PdfFormat);
    FPrinter->setOutputFileName(pdfFileName);
    FPrinter->setFullPage(true);
    FPrinter->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

TQtPrinters::~TQtPrinters() = default;

bool TQtPrinters::HasPrinter() const { return FPdf || !QPrinterInfo::availablePrinters().isEmpty(); }

QString TQtPrinters::PrinterName() const {
    if (FPdf) return QStringLiteral("PDF");
    return HasPrinter() ? FPrinter->printerName() : QString();
}

QSizeF TQtPrinters::PageSizeMM() const {
    if (!HasPrinter()) throw EPrinterError(QStringLiteral("No printer is installed"));
    const QSizeF size = FPrinter->pageRect(QPrinter::Millimeter).size();
    if (size.width() <= 0 || size.height() <= 0)
        throw EPrinterError(QStringLiteral("The printer %1 reports no page").arg(PrinterName()));
    return size;
}

QStringList TQtPrinters::PaperForms() const {
    QStringList forms;
    if (!HasPrinter()) return forms;
    QList<QPageSize> sizes = FPdf ? QList<QPageSize>{QPageSize(QPageSize::A4), QPageSize(QPageSize::A5),
                                                      QPageSize(QPageSize::A3), QPageSize(QPageSize::Letter)}
                                  : QPrinterInfo(*FPrinter).supportedPageSizes();
    for (const QPageSize& s : sizes) {
        const QSizeF mm = s.size(QPageSize::Millimeter);
        forms << PaperFormText(s.name(), int(std::lround(mm.width())), int(std::lround(mm.height())));
    }
    return forms;
}

void TQtPrinters::SetPaperSizeMM(const QSizeF& size) {
    FPrinter->setPageSize(QPageSize(size, QPageSize::Millimeter));
    FPrinter->setPageOrientation(QPageLayout::Portrait);
}

bool TQtPrinters::PrintDialog(TPrintDialogOptions& options) {
    QPrintDialog dialog(FPrinter.get());
    QAbstractPrintDialog::PrintDialogOptions qtOptions;
    if (options.Options & poPrintToFile) qtOptions |= QAbstractPrintDialog::PrintToFile;
    if (options.Options & poPageNums) qtOptions |= QAbstractPrintDialog::PrintPageRange;
    if (options.Options & poSelection) qtOptions |= QAbstractPrintDialog::PrintSelection;
    dialog.setOptions(qtOptions);
    dialog.setMinMax(options.MinPage, options.MaxPage);
    dialog.setFromTo(options.FromPage, options.ToPage);
    if (ShowModal(dialog) != mrOk) return false;
    switch (dialog.printRange()) {
    case QAbstractPrintDialog::Selection: options.PrintRange = prSelection; break;
    case QAbstractPrintDialog::PageRange:
        options.PrintRange = prPageNums;
        options.FromPage = dialog.fromPage();
        options.ToPage = dialog.toPage();
        break;
    default: options.PrintRange = prAllPages; break;
    }
    options.PrintToFile = !FPrinter->outputFileName().isEmpty();
    return true;
}

bool TQtPrinters::PrinterSetupDialog() {
    QPageSetupDialog dialog(FPrinter.get());
    return ShowModal(dialog) == mrOk;
}

std::unique_ptr<IPrintJob> TQtPrinters::BeginJob(const QString& title) {
    if (!HasPrinter()) throw EPrinterError(QStringLiteral("No printer is installed"));
    FPrinter->setDocName(title);
    FPrinter->setCreator(title);
    return std::make_unique<TQtPrintJob>(*FPrinter);
}

TScriptedPrinters::TScriptedPrinters(const QString& pdfFileName) : TQtPrinters(pdfFileName) {}

bool TScriptedPrinters::PrintDialog(TPrintDialogOptions& options) {
    PrintDialogs.push_back(options);
    if (PrintDialogAnswers.empty()) return false;
    TPrintDialogScript script = std::move(PrintDialogAnswers.front());
    PrintDialogAnswers.pop_front();
    TPrintDialogOptions chosen = options;
    if (!script(chosen)) return false;
    options = chosen;
    return true;
}

bool TScriptedPrinters::PrinterSetupDialog() {
    ++SetupDialogs;
    if (SetupAnswers.empty()) return false;
    const bool ok = SetupAnswers.front();
    SetupAnswers.pop_front();
    return ok;
}

std::unique_ptr<IPrintJob> TScriptedPrinters::BeginJob(const QString& title) {
    JobTitles << title;
    return TQtPrinters::BeginJob(title);
}

void InstallQtPrinters() { SetPrinters(std::make_shared<TQtPrinters>()); }
