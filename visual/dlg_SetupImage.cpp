#include "dlg_SetupImage.h"

#include "UIServices.h"
#include "fr_Align.h"

#include <QBuffer>
#include <QFile>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupImage::TdlgSetupImage(QWidget* parent) : TSetupDialog(QStringLiteral("Настройка изображения"), parent) {
    frAlign = new TfrAlign(this);
    Image = new QLabel(this);
    Image->setFixedSize(160, 120);
    Image->setAlignment(Qt::AlignCenter);
    Image->setFrameShape(QFrame::Box);
    btnOpen = DialogButton(QStringLiteral("Изображение..."), this);
    auto* preview = new QVBoxLayout;
    preview->addWidget(Image);
    preview->addWidget(btnOpen);
    preview->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(frAlign);
    row->addLayout(preview);
    Body()->addLayout(row);
    connect(btnOpen, &QPushButton::clicked, this, &TdlgSetupImage::btnOpenClick);
}

void TdlgSetupImage::SetPicture(const QImage& picture, const QByteArray& data) {
    FPicture = picture;
    FPictureData = data;
    Image->setPixmap(picture.isNull() ? QPixmap()
                                      : QPixmap::fromImage(picture.scaled(Image->size(), Qt::KeepAspectRatio,
                                                                          Qt::SmoothTransformation)));
}

bool TdlgSetupImage::LoadPicture(const QString& fileName) {
    QFile file(fileName);
    QByteArray data;
    if (file.open(QIODevice::ReadOnly)) data = file.readAll();
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        MessageDlg(QStringLiteral("Не удалось загрузить изображение ") + fileName, mtError, mbOK);
        return false;
    }
    SetPicture(picture, data);
    return true;
}

void TdlgSetupImage::btnOpenClick() {
    if (od.Execute()) LoadPicture(od.FileName());
}
