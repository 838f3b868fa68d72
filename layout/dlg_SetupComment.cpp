#include "dlg_SetupComment.h"

#include "EditControls.h"
#include "Exceptions.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintComments.h"
#include "PrintLabels.h"
#include "SketchDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Plotmere {

TdlgSetupComment::TdlgSetupComment(QWidget* parent) : TLayoutSetupDialog(parent) {
    setWindowTitle(QStringLiteral("Настройка комментария"));
    auto* layout = new QVBoxLayout(this);
    auto* textRow = new QHBoxLayout;
    meText = new QPlainTextEdit(this);
    btFont = new TFontButton(QStringLiteral("Шрифт..."), this);
    textRow->addWidget(meText, 1);
    textRow->addWidget(btFont, 0, Qt::AlignTop);
    layout->addLayout(textRow);

    auto* form = new QFormLayout;
    lbPosition = new QLabel(QStringLiteral("Положение"), this);
    edPosition = new QLineEdit(this);
    form->addRow(lbPosition, edPosition);
    lbOffset = new QLabel(QStringLiteral("Отступ (мм)"), this);
    edOffset = new QLineEdit(this);
    form->addRow(lbOffset, edOffset);
    cbAngle = new QComboBox(this);
    cbAngle->addItems({QStringLiteral("0"), QStringLiteral("90"), QStringLiteral("180"), QStringLiteral("270")});
    form->addRow(new QLabel(QStringLiteral("Угол"), this), cbAngle);
    layout->addLayout(form);
    cbNoClip = new QCheckBox(QStringLiteral("Не обрезать по краю поля"), this);
    layout->addWidget(cbNoClip);
    rgAlign = new TRadioGroup(QStringLiteral("Выравнивание"),
                              {QStringLiteral("По левому краю"), QStringLiteral("По правому краю"), QStringLiteral("По центру")},
                              this);
    layout->addWidget(rgAlign);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Until a comment fills it, the form holds a new comment's font.
    btFont->SetFont(*TPrintComment().Font());
    connect(btFont, &TFontButton::FontChanged, this, [this] { meText->setFont(btFont->Font().ToQFont()); });
}

void TdlgSetupComment::SetValues(const TPrintComment& comment, bool timeDocument, TDateTime today) {
    FTimeDocument = timeDocument;
    FToday = today;
    meText->setPlainText(comment.Comment());
    btFont->SetFont(*comment.Font());
    meText->setFont(btFont->Font().ToQFont());
    FPosition = comment.YOffset();
    FOffset = comment.XOffset();
    FFilledPosition = timeDocument ? DateTimeToStr(FPosition) : FloatToStr(FPosition);
    FFilledOffset = FloatToStr(FOffset);
    edPosition->setText(FFilledPosition);
    edOffset->setText(FFilledOffset);
    cbNoClip->setChecked(!comment.Clip());
    const int angle = ((comment.TextAngle() % 360) + 360) % 360;
    cbAngle->setCurrentIndex(angle / 90);
    rgAlign->SetItemIndex(int(comment.TextAlign()));
}

double TdlgSetupComment::ReadPosition() const {
    const QString text = edPosition->text();
    if (text == FFilledPosition) return FPosition;
    if (!FTimeDocument) return StrToFloat(text);
    double value = 0;
    if (!ReadCommentTime(text, FToday, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
    return value;
}

double TdlgSetupComment::ReadOffset() const {
    const QString text = edOffset->text();
    return !FFilledOffset.isNull() && text == FFilledOffset ? FOffset : StrToFloat(text);
}

void TdlgSetupComment::GetValues(TPrintComment& comment) const {
    if (!FTemplate) {
        comment.SetComment(meText->toPlainText());
        comment.SetYOffset(ReadPosition());
    }
    comment.SetFont(&btFont->Font());
    comment.SetXOffset(ReadOffset());
    comment.SetClip(!cbNoClip->isChecked());
    comment.SetTextAngle(std::max(cbAngle->currentIndex(), 0) * 90);
    comment.SetTextAlign(TPrintComment::TTextAlign(std::max(rgAlign->ItemIndex(), 0)));
}

void TdlgSetupComment::SetTemplateMode(bool on) {
    FTemplate = on;
    meText->setReadOnly(on);
    lbPosition->setVisible(!on);
    edPosition->setVisible(!on);
    if (!on) return;
    // The boxes keep what the last showing left in them.
    FFilledOffset = QString();
    meText->setPlainText(QStringLiteral("Пример"));
    if (edOffset->text().trimmed().isEmpty()) edOffset->setText(QStringLiteral("2"));
}

void TdlgSetupComment::Validate() {
    ReadOffset();
    if (!FTemplate) ReadPosition();
}

void TdlgSetupComment::showEvent(QShowEvent* event) {
    TLayoutSetupDialog::showEvent(event);
    meText->setFocus();
}

namespace {
// A comment's own setup; the choice of font and clip is remembered for the
// comments placed next.
bool SetupComment(TPrintItem& item, TRenderDevice*) {
    auto& comment = static_cast<TPrintComment&>(item);
    const auto* doc = qobject_cast<const TSketchDocument*>(comment.GetDocument());
    auto& dialog = KeptDialog<TdlgSetupComment>();
    dialog.SetTemplateMode(false);
    dialog.SetValues(comment, doc && doc->DataClass() == 0, doc ? doc->ClockNow() : Now());
    if (ShowModal(dialog) != mrOk) return false;
    dialog.GetValues(comment);
    SetLastCommentFont(dialog.Font());
    SetLastCommentNoClip(dialog.cbNoClip->isChecked());
    return true;
}

const TItemSetupRegistration CommentSetup(typeid(TPrintComment), SetupComment);
}  // namespace

}  // namespace Plotmere
