#include "dlg_SetupForms.h"

#include "CommonDialogs.h"
#include "Exceptions.h"
#include "Formatting.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace Plotmere {

TLayoutFormDialog::TLayoutFormDialog(const QString& caption, QWidget* parent) : TLayoutSetupDialog(parent) {
    setWindowTitle(caption);
    auto* outer = new QVBoxLayout(this);
    FBody = new QVBoxLayout;
    outer->addLayout(FBody, 1);
    auto* buttons = new QDialogButtonBox(this);
    OKBtn = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    CancelBtn = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    OKBtn->setDefault(true);
    outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TFontButton::TFontButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        TFontDialog dialog;
        dialog.TakeFrom(FFont);
        if (!dialog.Execute()) return;
        dialog.ApplyTo(FFont);
        emit FontChanged();
    });
}

void FillPenStyles(QComboBox& list) {
    list.clear();
    list.addItems({QStringLiteral("Сплошная"), QStringLiteral("Тире"), QStringLiteral("Точки"),
                   QStringLiteral("Точка тире"), QStringLiteral("Точка точка тире")});
}

void FillNumbers(QComboBox& list, int from, int to) {
    list.clear();
    for (int n = from; n <= to; ++n) list.addItem(QString::number(n));
}

double DialogFloat(const QString& text, const QString& message) {
    if (message.isEmpty()) return StrToFloat(text);
    double value = 0;
    if (!TryStrToFloat(text, value)) throw Exception(message);
    return value;
}

int DialogInt(const QString& text, const QString& message) {
    if (message.isEmpty()) return StrToInt(text);
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok) throw Exception(message);
    return value;
}

TDateTime DialogDateTime(const QString& text) {
    const QString trimmed = text.simplified();
    for (const char* format : {"dd.MM.yyyy H:mm:ss", "dd.MM.yyyy H:mm", "dd.MM.yyyy", "d.M.yyyy H:mm:ss",
                               "d.M.yyyy H:mm", "d.M.yyyy"}) {
        const QDateTime parsed = QDateTime::fromString(trimmed, QString::fromLatin1(format));
        if (parsed.isValid()) return QDateTimeToDateTime(parsed);
    }
    throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
}

}  // namespace Plotmere
