#pragma once
// The real-time chart form: one live chart filling a monitoring form.
#include "fm_BaseMDIForm.h"

#include <QPointer>

#pragma GCC visibility push(default)

class TWKChart;

class TfmRealtimeChart : public TBaseMDIForm {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TfmRealtimeChart(QObject* owner = nullptr);

    // A form with a new chart on time or depth, its caption and top given.
    static TfmRealtimeChart* CreateWithChart(QObject* owner, bool isDateTime, const QString& caption, int top);

    // The form's chart; a form read from text takes its first control.
    TWKChart* Chart();

private:
    QPointer<TWKChart> FChart;
};

#pragma GCC visibility pop
