#include "fm_TCPCLSetup.h"

#include "UIServices.h"
#include "WK2TCPClient.h"
#include "WKUtils.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
struct TRange {
    QLineEdit* Edit;
    int Min, Max;
};

// The numeric edit's own check: a whole number within its range.
bool CheckRange(const TRange& r) {
    bool ok = false;
    const int v = r.Edit->text().trimmed().toInt(&ok);
    if (ok && v >= r.Min && v <= r.Max) return true;
    MessageDlg(QStringLiteral("Значение должно быть в пределах от %1 до %2").arg(r.Min).arg(r.Max), mtError, mbOK);
    r.Edit->setFocus();
    r.Edit->selectAll();
    return false;
}
}  // namespace

TfmTCPCLSetup::TfmTCPCLSetup(QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("fmTCPCLSetup"));
    setWindowTitle(QStringLiteral("Настройка соединения"));
    setModal(true);

    leAddress = new QLineEdit(this);
    btnSelectHost = new QPushButton(QStringLiteral("Выбор..."), this);
    nePort = new QLineEdit(this);
    leAccessCode = new QLineEdit(this);
    lblState = new QLabel(this);
    lblState->setWordWrap(true);
    GroupBox1 = new QGroupBox(QStringLiteral("Буфер отображения данных"), this);
    neBufferSize = new QLineEdit(GroupBox1);
    neFetchSize = new QLineEdit(GroupBox1);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    CancelBtn = new QPushButton(QStringLiteral("Отмена"), this);
    OKBtn->setDefault(true);
    tmrState = new QTimer(this);
    tmrState->setInterval(500);

    auto* host = new QHBoxLayout;
    host->addWidget(leAddress, 1);
    host->addWidget(btnSelectHost);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("IP адрес или имя хоста"), host);
    form->addRow(QStringLiteral("Порт (4150)"), nePort);
    form->addRow(QStringLiteral("Код доступа"), leAccessCode);
    auto* buffer = new QFormLayout(GroupBox1);
    buffer->addRow(QStringLiteral("Размер буфера (часов)"), neBufferSize);
    buffer->addRow(QStringLiteral("Загрузка данных при подключении (часов)"), neFetchSize);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(lblState);
    main->addWidget(GroupBox1);
    main->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, &TfmTCPCLSetup::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &TfmTCPCLSetup::reject);
    connect(btnSelectHost, &QPushButton::clicked, this, &TfmTCPCLSetup::SelectHost);
    connect(tmrState, &QTimer::timeout, this, &TfmTCPCLSetup::RefreshState);
}

void TfmTCPCLSetup::SetClient(TWK2TCPClient* Client) {
    FClient = Client;
    if (FClient) tmrState->start();
    else tmrState->stop();
}

void TfmTCPCLSetup::RefreshState() {
    if (FClient) SetStateText(FClient->GetState());
}

void TfmTCPCLSetup::SelectHost() {
    QString name;
    if (SelectComputer(name) && !name.isEmpty()) leAddress->setText(name);
}

QString TfmTCPCLSetup::Address() const { return leAddress->text(); }
void TfmTCPCLSetup::SetAddress(const QString& Value) { leAddress->setText(Value); }
int TfmTCPCLSetup::Port() const { return nePort->text().trimmed().toInt(); }
void TfmTCPCLSetup::SetPort(int Value) { nePort->setText(QString::number(Value)); }
QString TfmTCPCLSetup::AccessCode() const { return leAccessCode->text(); }
void TfmTCPCLSetup::SetAccessCode(const QString& Value) { leAccessCode->setText(Value); }
void TfmTCPCLSetup::SetStateText(const QString& Value) { lblState->setText(Value); }
QString TfmTCPCLSetup::StateText() const { return lblState->text(); }
int TfmTCPCLSetup::BufferSize() const { return neBufferSize->text().trimmed().toInt(); }
void TfmTCPCLSetup::SetBufferSize(int Value) { neBufferSize->setText(QString::number(Value)); }
int TfmTCPCLSetup::FetchSize() const { return neFetchSize->text().trimmed().toInt(); }
void TfmTCPCLSetup::SetFetchSize(int Value) { neFetchSize->setText(QString::number(Value)); }

void TfmTCPCLSetup::accept() {
    for (const TRange& r : {TRange{nePort, 1, 65535}, TRange{neBufferSize, 1, 36}, TRange{neFetchSize, 0, 36}})
        if (!CheckRange(r)) return;
    tmrState->stop();
    QDialog::accept();
}
