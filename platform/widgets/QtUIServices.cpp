#include "QtUIServices.h"

#include "DebugOutput.h"
#include "ModalDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QTranslator>

namespace {
QString PrivateMime(const QString& format) {
    return format.contains(QLatin1Char('/')) ? format : QStringLiteral("application/x-wk-") + format;
}

QString FormatOfMime(const QString& mime) {
    static const QString prefix = QStringLiteral("application/x-wk-");
    return mime.startsWith(prefix) ? mime.mid(prefix.size()) : mime;
}

// "Формы (*.sf2)|*.sf2" becomes Qt's "Формы (*.sf2)" with the patterns the old
// filter gave ("*.sf2;*.wkf" as "*.sf2 *.wkf").
QStringList QtFilters(const QString& filter) {
    QStringList list;
    for (const auto& [description, patterns] : SplitFileFilter(filter)) {
        QString text = description;
        const QString qtPatterns = QString(patterns).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!text.contains(QLatin1Char('('))) text += QStringLiteral(" (") + qtPatterns + QLatin1Char(')');
        else text = text.left(text.indexOf(QLatin1Char('('))).trimmed() + QStringLiteral(" (") + qtPatterns + QLatin1Char(')');
        list << text;
    }
    return list;
}

void Prepare(QFileDialog& dialog, const TFileDialogOptions& options) {
    // An empty title leaves Qt's own ("Открыть", "Сохранить как").
    if (!options.Title.isEmpty()) dialog.setWindowTitle(options.Title);
    const QStringList filters = QtFilters(options.Filter);
    dialog.setNameFilters(filters);
    if (options.FilterIndex >= 1 && options.FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[options.FilterIndex - 1]);
    if (!options.InitialDir.isEmpty()) dialog.setDirectory(options.InitialDir);
    if (!options.FileName.isEmpty()) dialog.selectFile(options.FileName);
    QString ext = options.DefaultExt;
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    dialog.setDefaultSuffix(ext);
}

class TQtClipboard : public IClipboard {
public:
    QString AsText() const override { return QApplication::clipboard()->text(); }
    void SetAsText(const QString& text) override { QApplication::clipboard()->setText(text); }
    QStringList Formats() const override {
        QStringList list;
        if (const QMimeData* data = QApplication::clipboard()->mimeData())
            for (const QString& mime : data->formats()) list << FormatOfMime(mime);
        return list;
    }
    bool HasFormat(const QString& format) const override {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        return data && data->hasFormat(PrivateMime(format));
    }
    QByteArray GetData(const QString& format) const override {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        return data ? data->data(PrivateMime(format)) : QByteArray();
    }
    void SetData(const std::map<QString, QByteArray>& formats) override {
        auto data = std::make_unique<QMimeData>();
        for (const auto& [format, bytes] : formats) data->setData(PrivateMime(format), bytes);
        QApplication::clipboard()->setMimeData(data.release());  // the clipboard owns it
    }
    QImage GetImage() const override { return QApplication::clipboard()->image(); }
    void SetImage(const QImage& image) override { QApplication::clipboard()->setImage(image); }
    void Clear() override { QApplication::clipboard()->clear(); }
};
}  // namespace

std::unique_ptr<IClipboard> CreateQtClipboard() { return std::make_unique<TQtClipboard>(); }

TQtUIServices::TQtUIServices() : FPlayer(CreateQtSoundPlayer()), FClipboard(CreateQtClipboard()) {}

int TQtUIServices::MessageDlg(const QString& text, TMsgDlgType type, int buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(text);
    box.setWindowTitle(QApplication::applicationDisplayName());
    switch (type) {
    case mtWarning: box.setIcon(QMessageBox::Warning); break;
    case mtError: box.setIcon(QMessageBox::Critical); break;
    case mtInformation: box.setIcon(QMessageBox::Information); break;
    case mtConfirmation: box.setIcon(QMessageBox::Question); break;
    case mtCustom: break;
    }
    struct TMap { int Btn; QMessageBox::StandardButton Qt; int Result; };
    static const TMap map[] = {{mbOK, QMessageBox::Ok, mrOk},         {mbCancel, QMessageBox::Cancel, mrCancel},
                               {mbYes, QMessageBox::Yes, mrYes},      {mbNo, QMessageBox::No, mrNo},
                               {mbAbort, QMessageBox::Abort, mrAbort}, {mbRetry, QMessageBox::Retry, mrRetry},
                               {mbIgnore, QMessageBox::Ignore, mrIgnore}};
    QMessageBox::StandardButtons set;
    for (const TMap& m : map)
        if (buttons & m.Btn) set |= m.Qt;
    box.setStandardButtons(set ? set : QMessageBox::StandardButtons(QMessageBox::Ok));
    const int clicked = box.exec();
    for (const TMap& m : map)
        if (clicked == m.Qt) return m.Result;
    return mrCancel;
}

bool TQtUIServices::InputQuery(const QString& caption, const QString& prompt, QString& value) {
    bool ok = false;
    const QString r = QInputDialog::getText(QApplication::activeWindow(), caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok) value = r;
    return ok;
}

bool TQtUIServices::ColorDialog(TColor& color) {
    const QColor chosen = QColorDialog::getColor(ColorToQColor(color), QApplication::activeWindow());
    if (!chosen.isValid()) return false;
    color = RGBToColor(chosen.red(), chosen.green(), chosen.blue());
    return true;
}

bool TQtUIServices::FontDialog(QFont& font, TColor& color) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, QApplication::activeWindow());
    if (!ok) return false;
    font = chosen;
    (void)color;  // Qt's font dialog offers no colour; the stored one stays
    return true;
}

bool TQtUIServices::OpenFileDialog(TFileDialogOptions& options) {
    QFileDialog dialog(QApplication::activeWindow());
    Prepare(dialog, options);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.MustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    options.FileName = dialog.selectedFiles().constFirst();
    options.FilterIndex = QtFilters(options.Filter).indexOf(dialog.selectedNameFilter()) + 1;
    return true;
}

bool TQtUIServices::SaveFileDialog(TFileDialogOptions& options) {
    QFileDialog dialog(QApplication::activeWindow());
    Prepare(dialog, options);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.OverwritePrompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    options.FileName = ApplyDefaultExt(dialog.selectedFiles().constFirst(), options.DefaultExt);
    options.FilterIndex = QtFilters(options.Filter).indexOf(dialog.selectedNameFilter()) + 1;
    return true;
}

int TQtUIServices::ShowModal(QObject* dialog) {
    auto* d = qobject_cast<QDialog*>(dialog);
    if (!d) return mrCancel;
    d->exec();
    return DialogResult(*d);
}

void InstallQtTranslations() {
    static const QString name = QStringLiteral("WKQtTranslations");
    if (!qApp || qApp->findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly)) return;
    auto* translator = new QTranslator(qApp);
    translator->setObjectName(name);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        DebugOutput(QStringLiteral("InstallQtTranslations: qtbase_ru.qm not found in %1").arg(folder));
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
}

void InstallQtUIServices() {
    InstallQtTranslations();
    SetUIServices(std::make_shared<TQtUIServices>());
}
