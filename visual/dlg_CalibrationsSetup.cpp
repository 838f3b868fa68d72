#include "dlg_CalibrationsSetup.h"

#include "UIServices.h"
#include "WKConsts.h"
#include "WKServices.h"
#include "dm_Service.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum { ColDate, ColName, ColSerial, ColOperator, ColText, ColActive, ColCount };

const QString SCalibrationsEmpty = QStringLiteral("Таблица калибровок пуста");
const QString SDeleteCalibration = QStringLiteral("Удалить выбранную калибровку?");

const TdmService& Service() {
    if (!dmService) throw Exception(QStringLiteral("Локальная база данных не открыта"));
    return *dmService;
}

}  // namespace

TdlgCalibrations::TdlgCalibrations(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgCalibrations"));
    setWindowTitle(QStringLiteral("Калибровки"));
    resize(720, 360);
    grCalibrations = new QTableWidget(0, ColCount, this);
    grCalibrations->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grCalibrations->setSelectionBehavior(QAbstractItemView::SelectRows);
    grCalibrations->setSelectionMode(QAbstractItemView::SingleSelection);
    grCalibrations->verticalHeader()->hide();
    grCalibrations->horizontalHeader()->setStretchLastSection(true);
    QStringList titles;
    for (const char* field : {"CalibrationDate", "Name", "Serial", "Operator", "CalibrationText", "IsActive"}) {
        QString label = QString::fromLatin1(field);
        for (const TCalibrationColumn& c : SensorsCalibrationsColumns())
            if (qstrcmp(c.Field, field) == 0) label = c.Label;
        titles << label;
    }
    titles[ColSerial] = QStringLiteral("Серийный №");
    grCalibrations->setHorizontalHeaderLabels(titles);

    btnActivate = new QPushButton(QStringLiteral("Активировать"), this);
    btnDelete = new QPushButton(QStringLiteral("Удалить..."), this);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Отмена"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnActivate);
    buttons->addWidget(btnDelete);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* main = new QVBoxLayout(this);
    main->addWidget(grCalibrations, 1);
    main->addLayout(buttons);

    connect(btnActivate, &QPushButton::clicked, this, &TdlgCalibrations::ActivateClick);
    connect(btnDelete, &QPushButton::clicked, this, &TdlgCalibrations::DeleteClick);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(grCalibrations, &QTableWidget::currentCellChanged, this, [this] { AfterScroll(); });

    QSqlQuery q = Service().dbService().Exec(
        QString(SensorsCalibrationsSql).replace(QStringLiteral("SELECT "),
                                                QStringLiteral("SELECT CalibrationData.rowid AS RowID, ")) +
        QStringLiteral("\nORDER BY CalibrationData.GID, CalibrationData.CalibrationDate"));
    while (q.next()) {
        const QSqlRecord r = q.record();
        TRow row;
        row.RowID = r.value("RowID").toLongLong();
        row.GID = r.value("GID").toInt();
        row.Serial = r.value("Serial").toString();
        row.Date = r.value("CalibrationDate").toDouble();
        row.Operator = r.value("Operator").toString();
        row.Text = r.value("CalibrationText").toString();
        row.Name = r.value("Name").toString();
        row.Active = r.value("IsActive").toInt() != 0;
        FRows.push_back(row);
    }
    Fill();
}

void TdlgCalibrations::Fill() {
    const int current = grCalibrations->currentRow();
    const QSignalBlocker blocker(grCalibrations);
    grCalibrations->setRowCount(int(FRows.size()));
    for (int i = 0; i < int(FRows.size()); ++i) {
        const TRow& r = FRows[i];
        const QString cells[ColCount] = {FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), r.Date),
                                         r.Name,
                                         r.Serial,
                                         r.Operator,
                                         r.Text,
                                         r.Active ? QStringLiteral("Да") : QStringLiteral("Нет")};
        for (int c = 0; c < ColCount; ++c) grCalibrations->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    if (!FRows.empty()) grCalibrations->setCurrentCell(std::clamp(current, 0, int(FRows.size()) - 1), 0);
    AfterScroll();
}

void TdlgCalibrations::AfterScroll() {
    const int row = grCalibrations->currentRow();
    const bool any = !FRows.empty();
    btnDelete->setEnabled(any);
    btnActivate->setVisible(any);
    if (any && row >= 0 && row < int(FRows.size()))
        btnActivate->setText(FRows[row].Active ? QStringLiteral("Выключить") : QStringLiteral("Включить"));
}

void TdlgCalibrations::ActivateClick() {
    const int row = grCalibrations->currentRow();
    if (row < 0 || row >= int(FRows.size())) return;
    const TRow current = FRows[row];
    const bool on = !current.Active;
    for (TRow& r : FRows) {
        if (r.GID != current.GID || r.Serial.compare(current.Serial, Qt::CaseInsensitive) != 0) continue;
        const bool active = on && r.Date == current.Date;
        if (r.Active != active) {
            r.Active = active;
            r.Changed = true;
        }
    }
    Fill();
}

void TdlgCalibrations::DeleteClick() {
    const int row = grCalibrations->currentRow();
    if (FRows.empty() || row < 0 || row >= int(FRows.size())) {
        UIServices().MessageDlg(SCalibrationsEmpty, mtInformation, mbOK);
        return;
    }
    if (UIServices().MessageDlg(SDeleteCalibration, mtConfirmation, mbOK | mbCancel) != mrOk) return;
    FDeleted.push_back(FRows[row]);
    FRows.erase(FRows.begin() + row);
    Fill();
}

void TdlgCalibrations::ApplyChanges() {
    const TDataConnection& db = Service().dbService();
    db.Transaction();
    try {
        for (const TRow& r : FDeleted)
            db.Exec(QStringLiteral("DELETE FROM CalibrationData WHERE GID = ? AND CalibrationDate = ?"),
                    {r.GID, r.Date});
        for (const TRow& r : FRows)
            if (r.Changed)
                db.Exec(QStringLiteral("UPDATE CalibrationData SET IsActive = ? WHERE rowid = ?"),
                        {r.Active ? 1 : 0, r.RowID});
        db.Commit();
    } catch (...) {
        db.Rollback();
        throw;
    }
    FDeleted.clear();
    for (TRow& r : FRows) r.Changed = false;
    if (PrimaryServices) PrimaryServices->NotifyServices(seCalibrationsChanged, nullptr);
    if (SecondaryServices) SecondaryServices->NotifyServices(seCalibrationsChanged, nullptr);
}

void TdlgCalibrations::done(int result) {
    if (result == QDialog::Accepted) {
        try {
            ApplyChanges();
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TdlgCalibrations.ApplyChanges: ") + QString::fromUtf8(e.what()));
            UIServices().MessageDlg(QString::fromUtf8(e.what()), mtError, mbOK);
            return;  // the dialog stays open with its staged changes
        }
    }
    QDialog::done(result);
}
