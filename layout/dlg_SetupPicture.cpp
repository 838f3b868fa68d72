#include "dlg_SetupPicture.h"

#include "Exceptions.h"
#include "Formatting.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintComments.h"
#include "PrintPictures.h"
#include "SafeSave.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace Plotmere {

namespace {
const QString SBadSize = QStringLiteral("Ширина и высота должны быть > 0");

struct TGraphicKind {
    const char* Class;
    const char* Ext;
    const char* Filter;
};
const TGraphicKind GraphicKinds[] = {
    {"TBitmap", "bmp", "Точечные рисунки (*.bmp)|*.bmp"},
    {"TPngImage", "png", "PNG (*.png)|*.png"},
    {"TJPEGImage", "jpg", "JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg"},
    {"TIcon", "ico", "Значки (*.ico)|*.ico"},
};

const TGraphicKind* KindOf(const TPicture& picture) {
    for (const TGraphicKind& kind : GraphicKinds)
        if (picture.GraphicClass() == QLatin1String(kind.Class)) return &kind;
    return nullptr;
}

// The picture's file as it was loaded: its stored form without the class
// name (and, for bitmaps, without the length before the file).
QByteArray FileBytes(const TPicture& picture) {
    const QByteArray data = picture.Data();
    if (data.isEmpty()) return {};
    const int skip = 1 + quint8(data[0]) + (picture.GraphicClass() == QLatin1String("TBitmap") ? 4 : 0);
    return data.mid(skip);
}
}  // namespace

TdlgSetupPicture::TdlgSetupPicture(QWidget* parent) : TLayoutSetupDialog(parent) {
    setWindowTitle(QStringLiteral("Настройка изображения"));
    auto* body = new QVBoxLayout(this);
    imgPreview = new QLabel(this);
    imgPreview->setFixedSize(200, 150);
    imgPreview->setAlignment(Qt::AlignCenter);
    imgPreview->setFrameShape(QFrame::Box);
    body->addWidget(imgPreview, 0, Qt::AlignHCenter);
    auto* files = new QHBoxLayout;
    btnOpen = new QPushButton(QStringLiteral("Открыть..."), this);
    btnSave = new QPushButton(QStringLiteral("Сохранить..."), this);
    files->addWidget(btnOpen);
    files->addWidget(btnSave);
    body->addLayout(files);
    auto* position = new QFormLayout;
    edLeft = new QLineEdit(this);
    edTop = new QLineEdit(this);
    edWidth = new QLineEdit(this);
    edHeight = new QLineEdit(this);
    lbTop = new QLabel(QStringLiteral("Сверху (мм):"), this);
    position->addRow(QStringLiteral("Слева (мм):"), edLeft);
    position->addRow(lbTop, edTop);
    position->addRow(QStringLiteral("Ширина (мм):"), edWidth);
    position->addRow(QStringLiteral("Высота (мм):"), edHeight);
    body->addLayout(position);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OKBtn = buttons->button(QDialogButtonBox::Ok);
    CancelBtn = buttons->button(QDialogButtonBox::Cancel);
    CancelBtn->setText(QStringLiteral("Отмена"));
    body->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgSetupPicture::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TdlgSetupPicture::reject);
    connect(btnOpen, &QPushButton::clicked, this, &TdlgSetupPicture::OpenPicture);
    connect(btnSave, &QPushButton::clicked, this, &TdlgSetupPicture::SavePicture);
}

void TdlgSetupPicture::Fill(const TPicture& picture, const QRect& bounds, bool showTop) {
    FPicture.Assign(&picture);
    edLeft->setText(QString::number(bounds.left()));
    edTop->setText(QString::number(bounds.top()));
    edWidth->setText(QString::number(bounds.width()));
    edHeight->setText(QString::number(bounds.height()));
    lbTop->setVisible(showTop);
    edTop->setVisible(showTop);
    ShowPicture();
}

QRect TdlgSetupPicture::Bounds() const {
    return {StrToInt(edLeft->text()), StrToInt(edTop->text()), StrToInt(edWidth->text()), StrToInt(edHeight->text())};
}

void TdlgSetupPicture::ShowPicture() {
    const bool has = !FPicture.Empty() && !FPicture.Graphic().isNull();
    imgPreview->setPixmap(has ? QPixmap::fromImage(FPicture.Graphic().scaled(imgPreview->size(), Qt::KeepAspectRatio,
                                                                             Qt::SmoothTransformation))
                              : QPixmap());
    OKBtn->setEnabled(has);
    btnSave->setEnabled(has);
}

void TdlgSetupPicture::OpenPicture() {
    if (!FOpenDialog.Execute()) return;
    const QString fileName = FOpenDialog.FileName();
    try {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) throw Exception(file.errorString());
        FPicture.LoadFromData(file.readAll());
    } catch (const std::exception& e) {
        MessageDlg(QStringLiteral("Не удается загрузить изображение %1: %2").arg(fileName, ExceptionMessage(e)), mtError,
                   mbOK);
        return;
    }
    const QSize size = PictureSizeMM(FPicture.Graphic());
    edWidth->setText(QString::number(size.width()));
    edHeight->setText(QString::number(size.height()));
    ShowPicture();
}

void TdlgSetupPicture::SavePicture() {
    const TGraphicKind* kind = KindOf(FPicture);
    if (!kind) return;
    TFileDialogOptions options;
    options.Filter = QString::fromUtf8(kind->Filter);
    options.DefaultExt = QString::fromLatin1(kind->Ext);
    if (!UIServices().SaveFileDialog(options)) return;
    try {
        SaveFileSafely(options.FileName, FileBytes(FPicture));
    } catch (const EFileWriteError& e) {
        MessageDlg(QStringLiteral("Не удается сохранить изображение %1: %2").arg(options.FileName, e.Reason()), mtError,
                   mbOK);
    }
}

void TdlgSetupPicture::Validate() {
    const QRect bounds = Bounds();
    if (bounds.width() <= 0 || bounds.height() <= 0) throw Exception(SBadSize);
}

namespace {
// Runs the picture dialog over an image; on OK it takes the picture, the
// left edge, the size and, where the image has one of its own, the top.
bool SetupImage(TPrintImage& image, bool withTop) {
    auto& dialog = KeptDialog<TdlgSetupPicture>();
    dialog.Fill(*image.Image(), QRect(image.GetAbsPos(), QSize(image.Width(), image.Height())), withTop);
    if (ShowModal(dialog) != mrOk) return false;
    const QRect bounds = dialog.Bounds();
    image.Image()->Assign(&dialog.Picture());
    image.SetAbsLeft(bounds.left());
    if (withTop) image.SetAbsTop(bounds.top());
    image.SetWidth(bounds.width());
    image.SetHeight(bounds.height());
    return true;
}

const TItemSetupRegistration ImageSetup(typeid(TPrintImage), [](TPrintItem& item, TRenderDevice*) {
    return SetupImage(static_cast<TPrintImage&>(item), true);
});
// A track picture's top follows its index position, which the dialog leaves alone.
const TItemSetupRegistration FieldImageSetup(typeid(TPrintFieldImage), [](TPrintItem& item, TRenderDevice*) {
    return SetupImage(static_cast<TPrintImage&>(item), false);
});
}  // namespace

}  // namespace Plotmere
