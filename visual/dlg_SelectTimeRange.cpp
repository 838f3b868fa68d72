#include "dlg_SelectTimeRange.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QTimeEdit>

namespace {
TDateTime Combine(const QDateEdit* date, const QTimeEdit* time) {
    return double(Trunc(QDateTimeToDateTime(date->date().startOfDay()))) +
           time->time().msecsSinceStartOfDay() / 86400000.0;
}

void Split(TDateTime value, QDateEdit* date, QTimeEdit* time) {
    const QDateTime dt = DateTimeToQDateTime(value);
    date->setDate(dt.date());
    time->setTime(dt.time());
}

QHBoxLayout* Row(QWidget* a, QWidget* b) {
    auto* row = new QHBoxLayout;
    row->addWidget(a);
    row->addWidget(b);
    return row;
}
}  // namespace

TdlgSelectTimeRange::TdlgSelectTimeRange(QWidget* parent) : TSetupDialog(QStringLiteral("Выбор диапазона времени"), parent) {
    const auto dateEdit = [this] {
        auto* e = new QDateEdit(this);
        e->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        e->setCalendarPopup(true);
        return e;
    };
    const auto timeEdit = [this] {
        auto* e = new QTimeEdit(this);
        e->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        return e;
    };
    dtpStartDate = dateEdit();
    dtpStartTime = timeEdit();
    dtpStopDate = dateEdit();
    dtpStopTime = timeEdit();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("С"), Row(dtpStartDate, dtpStartTime));
    form->addRow(QStringLiteral("По"), Row(dtpStopDate, dtpStopTime));
    Body()->addLayout(form);
}

TDateTime TdlgSelectTimeRange::StartTime() const { return Combine(dtpStartDate, dtpStartTime); }
TDateTime TdlgSelectTimeRange::StopTime() const { return Combine(dtpStopDate, dtpStopTime); }
void TdlgSelectTimeRange::SetStartTime(TDateTime value) { Split(value, dtpStartDate, dtpStartTime); }
void TdlgSelectTimeRange::SetStopTime(TDateTime value) { Split(value, dtpStopDate, dtpStopTime); }
