#include "ScreenshotRun.h"

#include "DebugOutput.h"
#include "SafeSave.h"
#include "fm_WelvistaMain.h"
#include "fr_Chart.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

TWKChart* FirstLiveChart(const TfmMain& main) {
    for (TBaseMDIForm* form : main.MonitoringForms()) {
        if (!form->isVisible()) continue;
        for (TWKChart* chart : form->findChildren<TWKChart*>()) {
            if (!chart->isVisible()) continue;
            for (int i = 0; i < chart->GetSeriesCount(); ++i) {
                auto* s = qobject_cast<TWKChartBaseSeries*>(chart->GetSeries(i));
                if (s && s->Link() && s->RecordCount() > 0) return chart;
            }
        }
    }
    return nullptr;
}

QImage WorkstationPicture(const TfmMain& main) {
    QRect all = main.frameGeometry();
    QList<TBaseMDIForm*> floating;
    for (TBaseMDIForm* form : main.MonitoringForms())
        if (form->isVisible() && form->Floating()) {
            floating << form;
            all |= form->geometry();
        }
    QImage picture(all.size(), QImage::Format_RGB32);
    picture.fill(QColor(58, 110, 165));
    QPainter p(&picture);
    p.drawPixmap(main.geometry().topLeft() - all.topLeft(), const_cast<TfmMain&>(main).grab());
    for (TBaseMDIForm* form : floating) p.drawPixmap(form->geometry().topLeft() - all.topLeft(), form->grab());
    return picture;
}

qint64 MsSinceProcessStart() {
    // Field 22 of /proc/self/stat: the start in clock ticks after boot.
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly)) return -1;
    const QByteArray statLine = stat.readAll();
    const int close = statLine.lastIndexOf(')');  // the command name may hold blanks
    const QList<QByteArray> fields = statLine.mid(close + 2).split(' ');
    if (fields.size() < 20) return -1;
    const double startTicks = fields[19].toDouble();
    const double up = uptime.readAll().split(' ').value(0).toDouble();
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return qint64(up * 1000 - startTicks * 1000 / ticks);
}

int RunScreenshot(TfmMain& main, const QString& fileName, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    bool found = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (FirstLiveChart(main)) {
            found = true;
            loop.quit();
        } else if (deadline.hasExpired()) {
            loop.quit();
        }
    });
    poll.start(20);
    loop.exec();
    int result = 1;
    if (found) {
        const QImage picture = WorkstationPicture(main);  // draws the chart with its records
        const qint64 ms = MsSinceProcessStart();
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        try {
            if (!picture.save(&png, "PNG")) throw Exception(QStringLiteral("cannot encode the picture"));
            SaveFileSafely(fileName, png.data());
            std::printf("first live chart: %lld ms\n", static_cast<long long>(ms));
            result = 0;
        } catch (const Exception& e) {
            std::fprintf(stderr, "Welvista2: cannot write %s: %s\n", qPrintable(fileName), qPrintable(e.Message()));
        }
    } else {
        std::fprintf(stderr, "Welvista2: no live chart within %d s\n", timeoutMs / 1000);
    }
    std::fflush(stdout);
    main.close();
    return result;
}
