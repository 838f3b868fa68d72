#include "Printers.h"

#include <mutex>

namespace {
class TNoPrinters : public IPrinters {
public:
    bool HasPrinter() const override { return false; }
    QString PrinterName() const override { return {}; }
    QSizeF PageSizeMM() const override { throw EPrinterError(QStringLiteral("No printer is installed")); }
    QStringList PaperForms() const override { return {}; }
    void SetPaperSizeMM(const QSizeF&) override {}
    bool PrintDialog(TPrintDialogOptions&) override { return false; }
    bool PrinterSetupDialog() override { return false; }
    std::unique_ptr<IPrintJob> BeginJob(const QString&) override {
        throw EPrinterError(QStringLiteral("No printer is installed"));
    }
};

std::mutex& PrintersLock() {
    static std::mutex m;
    return m;
}
std::shared_ptr<IPrinters>& InstalledPrinters() {
    static std::shared_ptr<IPrinters> p;
    return p;
}
}  // namespace

IPrinters& Printers() {
    std::lock_guard lock(PrintersLock());
    if (InstalledPrinters()) return *InstalledPrinters();
    static TNoPrinters none;
    return none;
}

std::shared_ptr<IPrinters> SetPrinters(std::shared_ptr<IPrinters> printers) {
    std::lock_guard lock(PrintersLock());
    std::swap(InstalledPrinters(), printers);
    return printers;
}

QString PaperFormText(const QString& name, int widthMM, int heightMM) {
    return QStringLiteral("%1, %2mm x %3mm").arg(name).arg(widthMM).arg(heightMM);
}
