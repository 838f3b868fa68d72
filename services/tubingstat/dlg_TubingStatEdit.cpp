#include "dlg_TubingStatEdit.h"

#include "Exceptions.h"
#include "Numfield.h"
#include "StringGrid.h"
#include "UIServices.h"
#include "dm_TubingStat.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cmath>

namespace {
TNumField* NumberField(QWidget* parent, int decimals, double max, const QString& format) {
    auto* f = new TNumField(parent);
    f->SetDecimals(decimals);
    f->SetRange(f->MinValue(), max);
    f->DisplayFormat = format;
    return f;
}

// A whole number from a cell; false when the text is none.
bool CellInt(const QString& text, int& value) {
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}
}  // namespace

TdlgTubingStatEdit::TdlgTubingStatEdit(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Редактирование статистики"));
    neItemNo = NumberField(this, 0, 300, "0");
    neSubItemNo = NumberField(this, 0, 300, "0");
    cbIsBHA = new QCheckBox(QStringLiteral("КНБК"), this);
    dtpStartDate = new QDateEdit(this);
    dtpStartDate->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    dtpStartTime = new QTimeEdit(this);
    dtpStartTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    edItemModel = new QLineEdit(this);
    neSensorDepth = NumberField(this, 2, 10000, "0.##");
    neSurveyDepth = NumberField(this, 2, 10000, "0.##");
    neSumWeight = NumberField(this, 2, 10000, "0.##");
    sgTimings = new TStringGrid(this);
    sgTimings->SetColCount(4);
    sgTimings->SetRowCount(9);
    sgTimings->SetFixedCols(1);
    sgTimings->SetFixedRows(1);
    sgTimings->SetDefaultRowHeight(20);
    sgTimings->SetColWidths(0, 120);
    sgTimings->SetOptions(sgTimings->Options() | TCustomGrid::goEditing);
    sgTimings->SetBounds(0, 0, 120 + 3 * 64 + 8, 9 * 21 + 4);
    sgTimings->setMinimumSize(sgTimings->width(), sgTimings->height());
    // FormCreate: the titles and the operations.
    const QString titles[] = {QString(), QStringLiteral("часы"), QStringLiteral("минуты"), QStringLiteral("секунды")};
    for (int c = 0; c < 4; ++c) sgTimings->SetCells(c, 0, titles[c]);
    for (int r = 1; r <= 8; ++r) sgTimings->SetCells(0, r, TdmTubingStat::TimeLabels[size_t(r - 1)]);

    btnOK = new QPushButton(QStringLiteral("ОК"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);

    auto* form = new QFormLayout;
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(neItemNo);
    numbers->addWidget(neSubItemNo);
    numbers->addWidget(cbIsBHA);
    form->addRow(QStringLiteral("Номер свечи / трубки"), numbers);
    auto* start = new QHBoxLayout;
    start->addWidget(dtpStartDate);
    start->addWidget(dtpStartTime);
    form->addRow(QStringLiteral("Начальное время"), start);
    form->addRow(QStringLiteral("Типоразмер"), edItemModel);
    form->addRow(QStringLiteral("Глубина"), neSensorDepth);
    form->addRow(QStringLiteral("Глубина по свечам"), neSurveyDepth);
    form->addRow(QStringLiteral("Вес колонны"), neSumWeight);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(sgTimings);
    layout->addLayout(buttons);

    connect(cbIsBHA, &QCheckBox::toggled, this, [this] { cbIsBHAClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TdlgTubingStatEdit::ShowTime(int row, double h) {
    auto empty = [&] {
        for (int c = 1; c <= 3; ++c) sgTimings->SetCells(c, row, QString());
    };
    if (!std::isfinite(h) || h < 0 || h > 1e9) return empty();
    // Whole seconds first, so that a time just under a whole hour shows that hour.
    const qint64 seconds = qint64(std::llround(h * 3600.0));
    sgTimings->SetCells(1, row, QString::asprintf("%.2lld", seconds / 3600));
    sgTimings->SetCells(2, row, QStringLiteral("%1").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0')));
    sgTimings->SetCells(3, row, QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

void TdlgTubingStatEdit::GetCurrRecordFromDB() {
    TdmTubingStat* m = dmTubingStat();
    if (!m) return;
    int itemNo = 0, subItemNo = 0;
    bool bha = false;
    QString model;
    double survey = 0, weight = 0;
    TTubingStatItem item;
    m->GetCurrRecordFromDB(itemNo, subItemNo, bha, model, survey, weight, item);
    FItemNo = itemNo;
    FSubItemNo = subItemNo;
    // The click handler runs only on a change of state: the fields are set here as well.
    cbIsBHA->setChecked(bha);
    neItemNo->setEnabled(!bha);
    neSubItemNo->setEnabled(!bha);
    if (bha) {
        neItemNo->clear();
        neSubItemNo->clear();
    } else {
        neItemNo->SetValue(itemNo);
        neSubItemNo->SetValue(subItemNo);
    }
    edItemModel->setText(model);
    neSurveyDepth->SetValue(survey);
    neSensorDepth->SetValue(item.SensorDepth);
    neSumWeight->SetValue(weight);
    const QDateTime start = DateTimeToQDateTime(item.StartTime);
    dtpStartDate->setDate(start.date());
    dtpStartTime->setTime(start.time());
    const double times[] = {item.CommonTime,      item.MudCirculationTime, item.DrillTime,      item.SlideDrillTime,
                            item.RotaryDrillTime, item.ConnectionTime,     item.PullingOutTime, item.RunInTime};
    for (int r = 1; r <= 8; ++r) ShowTime(r, times[r - 1]);
}

void TdlgTubingStatEdit::cbIsBHAClick() {
    if (cbIsBHA->isChecked()) {
        int v = 0;
        if (CellInt(neItemNo->text(), v)) FItemNo = v;
        if (CellInt(neSubItemNo->text(), v)) FSubItemNo = v;
        neItemNo->clear();
        neSubItemNo->clear();
        neItemNo->setEnabled(false);
        neSubItemNo->setEnabled(false);
    } else {
        neItemNo->setText(QString::number(FItemNo));
        neSubItemNo->setText(QString::number(FSubItemNo));
        neItemNo->setEnabled(true);
        neSubItemNo->setEnabled(true);
    }
}

void TdlgTubingStatEdit::FailCell(int col, int row, const QString& message) {
    sgTimings->setFocus();
    sgTimings->SetSelection(col, row);
    throw Exception(message);
}

void TdlgTubingStatEdit::CheckEntries() {
    if (!cbIsBHA->isChecked()) {
        const int itemNo = neItemNo->CheckIntValue();
        const int subItemNo = neSubItemNo->CheckIntValue();
        if (itemNo == 0 && subItemNo == 0) {
            neItemNo->setFocus();
            throw Exception(QStringLiteral("Неверный номер свечи или трубки"));
        }
    }
    neSurveyDepth->CheckFloatValue();
    neSensorDepth->CheckFloatValue();
    neSumWeight->CheckFloatValue();
    const QString numberMsg = QStringLiteral("Значение параметра \"%1\" для операции \"%2\" должно быть числом");
    const QString lowerMsg = QStringLiteral("Значение параметра \"%1\" для операции \"%2\" должно быть >= 0");
    for (int r = 1; r <= 8; ++r) {
        const QString op = sgTimings->Cells(0, r);
        for (int c = 1; c <= 3; ++c) {
            const QString p = sgTimings->Cells(c, 0);
            int v = 0;
            if (!CellInt(sgTimings->Cells(c, r), v)) FailCell(c, r, numberMsg.arg(p, op));
            if (c == 1 && v < 0) FailCell(c, r, lowerMsg.arg(p, op));
            if (c > 1 && (v < 0 || v >= 60)) FailCell(c, r, (lowerMsg + QStringLiteral(" и < 60")).arg(p, op));
        }
    }
}

TDateTime TdlgTubingStatEdit::StartTime() const {
    return QDateTimeToDateTime(QDateTime(dtpStartDate->date(), QTime(0, 0))) +
           dtpStartTime->time().msecsSinceStartOfDay() / 86400000.0;
}

void TdlgTubingStatEdit::SetCurrRecordToDB() {
    TTubingStatItem item;
    item.StartTime = StartTime();
    item.SensorDepth = neSensorDepth->Value();
    double* times[] = {&item.CommonTime,      &item.MudCirculationTime, &item.DrillTime,      &item.SlideDrillTime,
                       &item.RotaryDrillTime, &item.ConnectionTime,     &item.PullingOutTime, &item.RunInTime};
    for (int r = 1; r <= 8; ++r) {
        int h = 0, m = 0, s = 0;
        CellInt(sgTimings->Cells(1, r), h);
        CellInt(sgTimings->Cells(2, r), m);
        CellInt(sgTimings->Cells(3, r), s);
        *times[r - 1] = h + m / 60.0 + s / 3600.0;
    }
    // The assembly flag empties the numbers: they are not read from the emptied fields.
    const bool bha = cbIsBHA->isChecked();
    const int itemNo = bha ? 0 : neItemNo->CheckIntValue();
    const int subItemNo = bha ? 0 : neSubItemNo->CheckIntValue();
    TdmTubingStat* m = dmTubingStat();
    if (!m || !m->SaveCurrRecord(itemNo, subItemNo, bha, edItemModel->text(), neSurveyDepth->Value(),
                                 neSumWeight->Value(), item))
        throw Exception(QStringLiteral("Запись с таким начальным временем уже существует"));
}

void TdlgTubingStatEdit::btnOKClick() {
    try {
        CheckEntries();
        SetCurrRecordToDB();
    } catch (const std::exception& e) {
        MessageDlg(QString::fromUtf8(e.what()), mtError, mbOK);
        return;
    }
    accept();
}
