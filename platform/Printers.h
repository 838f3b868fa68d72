#pragma once
// The printer seam: the current printer, its printable page, its paper forms,
// the print and printer setup dialogs, and print jobs. The program installs the
// Qt implementation (platform/widgets/QtPrinters.h); tests install a scripted
// one that prints to a PDF file. Without an installed implementation no
// printer is present: the page is A4, dialogs are cancelled, jobs fail.
#include "Exceptions.h"

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>

#pragma GCC visibility push(default)

class QPaintDevice;

class EPrinterError : public Exception {
public:
    using Exception::Exception;
};

enum TPrintRange { prAllPages, prSelection, prPageNums };
// Options of the print dialog, with the old bits.
enum TPrintDialogOption { poPrintToFile = 1, poPageNums = 2, poSelection = 4, poWarning = 8 };

// What the print dialog is asked and, when confirmed, what was chosen.
struct TPrintDialogOptions {
    int Options = 0;  // TPrintDialogOption bits
    int MinPage = 0, MaxPage = 0;
    int FromPage = 0, ToPage = 0;
    TPrintRange PrintRange = prAllPages;
    bool PrintToFile = false;
};

// A started print job; the caller paints on Device with a QPainter, calls
// NewPage between sheets and ends the painter to end the job.
class IPrintJob {
public:
    virtual ~IPrintJob() = default;
    virtual QPaintDevice& Device() = 0;
    virtual void NewPage() = 0;
};

class IPrinters {
public:
    virtual ~IPrinters() = default;
    virtual bool HasPrinter() const = 0;
    // The current printer's name; empty without one.
    virtual QString PrinterName() const = 0;
    // The printable area of the current page in millimetres; raises
    // EPrinterError when there is no printer or it cannot be asked.
    virtual QSizeF PageSizeMM() const = 0;
    // The paper forms of the current printer, each as PaperFormText gives it.
    virtual QStringList PaperForms() const = 0;
    // Makes the paper of the next jobs this size (millimetres, portrait).
    virtual void SetPaperSizeMM(const QSizeF& size) = 0;
    // The print dialog; false (options unchanged) when cancelled.
    virtual bool PrintDialog(TPrintDialogOptions& options) = 0;
    // The printer setup dialog; true when confirmed.
    virtual bool PrinterSetupDialog() = 0;
    // Starts a job with this title; raises EPrinterError when it cannot start.
    virtual std::unique_ptr<IPrintJob> BeginJob(const QString& title) = 0;
};

// The printers in use.
IPrinters& Printers();
// Installs an implementation; returns the previous one (null for the default).
std::shared_ptr<IPrinters> SetPrinters(std::shared_ptr<IPrinters> printers);

// A paper form as the system lists it: "%s, %dmm x %dmm".
QString PaperFormText(const QString& name, int widthMM, int heightMM);

#pragma GCC visibility pop
