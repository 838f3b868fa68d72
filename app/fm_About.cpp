#include "fm_About.h"

#include "ExeInfo.h"
#include "FormIcons.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

TfmAbout::TfmAbout(const TExeInfo& info, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("О программе"));
    imgLogo = new QLabel(this);
    imgLogo->setPixmap(QPixmap::fromImage(MonitoringFormIcons().value(0).scaled(96, 64, Qt::KeepAspectRatio,
                                                                               Qt::SmoothTransformation)));
    lbProduct = new QLabel(QStringLiteral("Welvista"), this);
    QFont big = lbProduct->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    lbProduct->setFont(big);
    lbVersion = new QLabel(QStringLiteral("Версия ") + info.FileVersion(), this);
    lbVersion->setObjectName(QStringLiteral("lbVersion"));
    const QDate built = QDate::fromString(info.BuildDate(), Qt::ISODate);
    lbBuildDate = new QLabel(built.isValid() ? QStringLiteral("Сборка от ") + built.toString(QStringLiteral("dd.MM.yyyy"))
                                             : QString(),
                             this);
    lbBuildDate->setObjectName(QStringLiteral("lbBuildDate"));
    lbDescription = new QLabel(QStringLiteral("Наблюдение за бурением и работами на скважине в реальном времени"), this);
    lbDescription->setWordWrap(true);
    lbCopyright = new QLabel(info.LegalCopyright() == TExeInfo::NotRead ? QString() : info.LegalCopyright(), this);
    lbComputer = new QLabel(QStringLiteral("Компьютер: %1\nСистема: %2").arg(info.ComputerName(), info.OSName()), this);
    lbComputer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* grid = new QGridLayout(this);
    grid->addWidget(imgLogo, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(lbProduct, 0, 1);
    grid->addWidget(lbVersion, 1, 1);
    grid->addWidget(lbBuildDate, 2, 1);
    grid->addWidget(lbDescription, 3, 1);
    grid->addWidget(lbCopyright, 4, 1);
    grid->addWidget(lbComputer, 5, 1);
    grid->addWidget(buttons, 6, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(420);
}
