#pragma once
// The workstation's picture run (--screenshot FILE): it waits for a live
// chart to have drawn records from the server, writes the main window with
// its forms to a PNG file, tells how long that took from the start of the
// process, and closes as a user would.
#include <QImage>
#include <QString>

#pragma GCC visibility push(default)

class TfmMain;
class TWKChart;

// A shown chart of an open monitoring form whose series hold records; null
// while there is none.
TWKChart* FirstLiveChart(const TfmMain& main);
// The main window and its free-floating forms as they are drawn, in one
// picture over the rectangle that holds them all.
QImage WorkstationPicture(const TfmMain& main);
// Milliseconds since this process started (from the system's process table).
qint64 MsSinceProcessStart();

// Runs the event loop until a live chart is drawn or timeoutMs pass; writes
// the picture and the line "first live chart: N ms" to stdout, closes the
// main window; 0 on success, 1 when no chart got records in time or the file
// could not be written.
int RunScreenshot(TfmMain& main, const QString& fileName, int timeoutMs = 60000);

#pragma GCC visibility pop
