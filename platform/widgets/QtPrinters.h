#pragma once
// The printers of the desktop (QPrinter, QPrintDialog, QPageSetupDialog), and
// the PDF printer of headless runs: the same QPrinter with PDF output into a
// file, whose dialogs a test scripts.
#include "Printers.h"

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

class QPrinter;

class TQtPrinters : public IPrinters {
public:
    // The system's default printer.
    TQtPrinters();
    ~TQtPrinters() override;
    bool HasPrinter() const override;
    QString PrinterName() const override;
    QSizeF PageSizeMM() const override;
    QStringList PaperForms() const override;
    void SetPaperSizeMM(const QSizeF& size) override;
    bool PrintDialog(TPrintDialogOptions& options) override;
    bool PrinterSetupDialog() override;
    std::unique_ptr<IPrintJob> BeginJob(const QString& title) override;

protected:
    // PDF output into fileName: the printer is named "PDF" and has no margins.
    explicit TQtPrinters(const QString& pdfFileName);
    QPrinter& Printer() const { return *FPrinter; }

private:
    std::unique_ptr<QPrinter> FPrinter;
    bool FPdf = false;
};

// A printer that writes PDF files; its dialogs answer from scripts.
class TScriptedPrinters : public TQtPrinters {
public:
    // The answer of the print dialog: fills the options as a user would and
    // returns true for OK.
    using TPrintDialogScript = std::function<bool(TPrintDialogOptions& options)>;

    explicit TScriptedPrinters(const QString& pdfFileName);
    bool PrintDialog(TPrintDialogOptions& options) override;
    bool PrinterSetupDialog() override;
    std::unique_ptr<IPrintJob> BeginJob(const QString& title) override;

    std::deque<TPrintDialogScript> PrintDialogAnswers;  // cancelled when empty
    std::deque<bool> SetupAnswers;                      // cancelled when empty
    std::vector<TPrintDialogOptions> PrintDialogs;      // every print dialog asked
    int SetupDialogs = 0;
    QStringList JobTitles;                              // every job started
};

// Installs TQtPrinters as the program's printers.
void InstallQtPrinters();

#pragma GCC visibility pop
