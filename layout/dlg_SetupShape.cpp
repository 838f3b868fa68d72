#include "dlg_SetupShape.h"

#include "Formatting.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintPictures.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace Plotmere {

namespace {
// The panel as it will look: fill and frame of the dialog's values.
class TPanelPreview : public QWidget {
public:
    TPanelPreview(TdlgSetupShape& dialog, QWidget* parent) : QWidget(parent), FDialog(dialog) {
        setMinimumSize(120, 80);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter canvas(this);
        DrawPanel(canvas, rect().adjusted(8, 8, -8, -8), FDialog.swBrush->Color(), FDialog.swTop->Color(),
                  FDialog.swBottom->Color(), StrToIntDef(FDialog.edFrameWidth->text(), 0));
    }

private:
    TdlgSetupShape& FDialog;
};

TColorSwatch* Swatch(const QString& caption, QWidget* parent) {
    auto* swatch = new TColorSwatch(parent);
    swatch->Button()->setText(caption);
    return swatch;
}
}  // namespace

TdlgSetupShape::TdlgSetupShape(QWidget* parent) : TLayoutSetupDialog(parent) {
    setWindowTitle(QStringLiteral("Настройка панели"));
    auto* body = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    edX = new QLineEdit(this);
    edY = new QLineEdit(this);
    form->addRow(QStringLiteral("X (мм):"), edX);
    form->addRow(QStringLiteral("Y (мм):"), edY);
    body->addLayout(form);
    cbVLink = new QCheckBox(QStringLiteral("Привязка к предыдущему объекту"), this);
    cbAutosize = new QCheckBox(QStringLiteral("Изменять размер по содержимому"), this);
    body->addWidget(cbVLink);
    body->addWidget(cbAutosize);
    swBrush = Swatch(QStringLiteral("Фон..."), this);
    swTop = Swatch(QStringLiteral("Верх..."), this);
    swBottom = Swatch(QStringLiteral("Низ..."), this);
    body->addWidget(swBrush);
    body->addWidget(swTop);
    body->addWidget(swBottom);
    auto* widthRow = new QHBoxLayout;
    edFrameWidth = new QLineEdit(this);
    btnWidthUp = new QToolButton(this);
    btnWidthUp->setArrowType(Qt::UpArrow);
    btnWidthDown = new QToolButton(this);
    btnWidthDown->setArrowType(Qt::DownArrow);
    widthRow->addWidget(edFrameWidth);
    widthRow->addWidget(btnWidthUp);
    widthRow->addWidget(btnWidthDown);
    auto* widthForm = new QFormLayout;
    widthForm->addRow(QStringLiteral("Ширина рамки:"), widthRow);
    body->addLayout(widthForm);
    pbPreview = new TPanelPreview(*this, this);
    body->addWidget(pbPreview);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OKBtn = buttons->button(QDialogButtonBox::Ok);
    CancelBtn = buttons->button(QDialogButtonBox::Cancel);
    CancelBtn->setText(QStringLiteral("Отмена"));
    body->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgSetupShape::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TdlgSetupShape::reject);

    const auto step = [this](int by) {
        edFrameWidth->setText(QString::number(std::max(0, StrToIntDef(edFrameWidth->text(), 0) + by)));
    };
    connect(btnWidthUp, &QToolButton::clicked, this, [step] { step(1); });
    connect(btnWidthDown, &QToolButton::clicked, this, [step] { step(-1); });
    const auto repaint = [this] { pbPreview->update(); };
    connect(edFrameWidth, &QLineEdit::textChanged, this, repaint);
    for (TColorSwatch* swatch : {swBrush, swTop, swBottom}) connect(swatch, &TColorSwatch::OnChangeColor, this, repaint);
}

void TdlgSetupShape::Fill(const TPrintShape& shape) {
    const QPoint position = shape.GetAbsPos();
    edX->setText(QString::number(position.x()));
    edY->setText(QString::number(position.y()));
    cbVLink->setChecked(shape.HasState(TPrintItem::psVLink));
    cbAutosize->setChecked(shape.HasState(TPrintItem::psAutosize));
    swBrush->SetColor(shape.BrushColor());
    swTop->SetColor(shape.TopColor());
    swBottom->SetColor(shape.BottomColor());
    edFrameWidth->setText(QString::number(shape.FrameWidth()));
}

void TdlgSetupShape::Validate() {
    StrToInt(edX->text());
    StrToInt(edY->text());
    StrToInt(edFrameWidth->text());
}

void TdlgSetupShape::ApplyTo(TPrintShape& shape) const {
    shape.SetAbsLeft(StrToInt(edX->text()));
    if (!cbVLink->isChecked()) shape.SetAbsTop(StrToInt(edY->text()));
    shape.SetStateFlag(TPrintItem::psVLink, cbVLink->isChecked());
    shape.SetStateFlag(TPrintItem::psAutosize, cbAutosize->isChecked());
    shape.SetBrushColor(swBrush->Color());
    shape.SetTopColor(swTop->Color());
    shape.SetBottomColor(swBottom->Color());
    shape.SetFrameWidth(StrToInt(edFrameWidth->text()));
}

namespace {
const TItemSetupRegistration ShapeSetup(typeid(TPrintShape), [](TPrintItem& item, TRenderDevice*) {
    auto& shape = static_cast<TPrintShape&>(item);
    auto& dialog = KeptDialog<TdlgSetupShape>();
    dialog.Fill(shape);
    if (ShowModal(dialog) != mrOk) return false;
    dialog.ApplyTo(shape);
    return true;
});
}  // namespace

}  // namespace Plotmere
