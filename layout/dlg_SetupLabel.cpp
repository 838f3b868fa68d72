#include "dlg_SetupLabel.h"

#include "Formatting.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintLabels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Plotmere {

TdlgSetupLabel::TdlgSetupLabel(QWidget* parent) : TLayoutSetupDialog(parent) {
    setWindowTitle(QStringLiteral("Настройка надписи"));
    auto* body = new QVBoxLayout(this);
    meText = new QPlainTextEdit(this);
    meText->setTabChangesFocus(true);
    body->addWidget(meText);
    auto* sampleBox = new QGroupBox(QStringLiteral("Образец"), this);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    lbSample = new QLabel(sampleBox);
    lbSample->setMinimumHeight(40);
    sampleLayout->addWidget(lbSample);
    btnFont = new QPushButton(QStringLiteral("Шрифт..."), sampleBox);
    sampleLayout->addWidget(btnFont, 0, Qt::AlignLeft);
    body->addWidget(sampleBox);

    gbPosition = new QGroupBox(QStringLiteral("Положение"), this);
    auto* position = new QFormLayout(gbPosition);
    edX = new QLineEdit(gbPosition);
    edY = new QLineEdit(gbPosition);
    position->addRow(QStringLiteral("X (мм):"), edX);
    position->addRow(QStringLiteral("Y (мм):"), edY);
    body->addWidget(gbPosition);

    auto* angleRow = new QFormLayout;
    cbAngle = new QComboBox(this);
    cbAngle->setEditable(true);
    cbAngle->addItems({QStringLiteral("0"), QStringLiteral("90"), QStringLiteral("180"), QStringLiteral("270")});
    angleRow->addRow(QStringLiteral("Угол поворота:"), cbAngle);
    body->addLayout(angleRow);
    cbEnableSetup = new QCheckBox(QStringLiteral("Разрешить изменение в режиме просмотра"), this);
    cbEveryPage = new QCheckBox(QStringLiteral("Дублировать на каждой странице"), this);
    body->addWidget(cbEnableSetup);
    body->addWidget(cbEveryPage);
    FExtras = new QVBoxLayout;
    body->addLayout(FExtras);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OKBtn = buttons->button(QDialogButtonBox::Ok);
    CancelBtn = buttons->button(QDialogButtonBox::Cancel);
    CancelBtn->setText(QStringLiteral("Отмена"));
    body->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgSetupLabel::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TdlgSetupLabel::reject);

    connect(meText, &QPlainTextEdit::textChanged, this, [this] { ShowSample(meText->toPlainText()); });
    connect(btnFont, &QPushButton::clicked, this, [this] {
        FFontDialog.TakeFrom(FSampleFont);
        if (!FFontDialog.Execute()) return;
        FFontDialog.ApplyTo(FSampleFont);
        ShowSample(lbSample->text());
    });
}

QString TdlgSetupLabel::Text() const { return meText->toPlainText(); }

void TdlgSetupLabel::SetText(const QString& text) { meText->setPlainText(text); }

void TdlgSetupLabel::SetSampleFont(const TFont& font) {
    FSampleFont.Assign(&font);
    ShowSample(lbSample->text());
}

void TdlgSetupLabel::ShowSample(const QString& text) {
    lbSample->setFont(FSampleFont.ToQFont());
    QPalette palette = lbSample->palette();
    palette.setColor(QPalette::WindowText, ColorToQColor(FSampleFont.Color()));
    lbSample->setPalette(palette);
    lbSample->setText(text);
}

int TdlgSetupLabel::PosX() const { return StrToInt(edX->text()); }

int TdlgSetupLabel::PosY() const { return StrToInt(edY->text()); }

void TdlgSetupLabel::SetPosition(int x, int y) {
    edX->setText(QString::number(x));
    edY->setText(QString::number(y));
}

int TdlgSetupLabel::Angle() const { return StrToInt(cbAngle->currentText()); }

void TdlgSetupLabel::SetAngle(int angle) { cbAngle->setCurrentText(QString::number(angle)); }

void TdlgSetupLabel::SetPositionVisible(bool visible) { gbPosition->setVisible(visible); }

void TdlgSetupLabel::Validate() {
    PosX();
    PosY();
    Angle();
}

bool RunLabelSetup(TPrintLabel& label, TdlgSetupLabel& dialog, TRenderDevice* device) {
    label.BeforeSetup(device, dialog);
    if (ShowModal(dialog) != mrOk) return false;
    label.AfterSetup(device, dialog);
    return true;
}

namespace {
// The plain label dialog's font is also the font of the next label placed.
const TItemSetupRegistration LabelSetup(typeid(TPrintLabel), [](TPrintItem& item, TRenderDevice* device) {
    auto& dialog = KeptDialog<TdlgSetupLabel>();
    if (!RunLabelSetup(static_cast<TPrintLabel&>(item), dialog, device)) return false;
    SetLastLabelFont(dialog.SampleFont());
    return true;
});
}  // namespace

}  // namespace Plotmere
