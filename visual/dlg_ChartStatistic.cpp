#include "dlg_ChartStatistic.h"

#include "UIServices.h"

#include <QAction>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TdlgChartStatistic::TdlgChartStatistic(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgChartStatistic"));
    setWindowTitle(QStringLiteral("Статистика"));
    sgStat = new QTableWidget(this);
    sgStat->setObjectName(QStringLiteral("sgStat"));
    sgStat->horizontalHeader()->hide();
    sgStat->verticalHeader()->hide();
    sgStat->setEditTriggers(QAbstractItemView::NoEditTriggers);
    actCopy = new QAction(QStringLiteral("Копировать"), this);
    actCopy->setObjectName(QStringLiteral("actCopy"));
    actCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    actCopy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(actCopy);
    sgStat->setContextMenuPolicy(Qt::ActionsContextMenu);
    sgStat->addAction(actCopy);
    connect(actCopy, &QAction::triggered, this, [this] { UIServices().Clipboard().SetAsText(SelectedText()); });
    btnExit = new QPushButton(QStringLiteral("Выход"), this);
    connect(btnExit, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sgStat);
    layout->addLayout(buttons);
    resize(520, 240);
}

void TdlgChartStatistic::SetRows(const QList<QStringList>& Rows) {
    sgStat->clear();
    sgStat->setRowCount(static_cast<int>(Rows.size()));
    sgStat->setColumnCount(4);
    const QFontMetrics fm(sgStat->font());
    int first = sgStat->columnWidth(0);
    for (int r = 0; r < Rows.size(); ++r)
        for (int c = 0; c < 4 && c < Rows[r].size(); ++c) {
            sgStat->setItem(r, c, new QTableWidgetItem(Rows[r][c]));
            if (c == 0 && r > 0) first = std::max(first, fm.horizontalAdvance(Rows[r][c]) + 10);
        }
    sgStat->setColumnWidth(0, first);
}

QString TdlgChartStatistic::SelectedText() const {
    const QList<QTableWidgetSelectionRange> ranges = sgStat->selectedRanges();
    const QTableWidgetSelectionRange all(0, 0, sgStat->rowCount() - 1, sgStat->columnCount() - 1);
    const QTableWidgetSelectionRange r = ranges.isEmpty() ? all : ranges.first();
    QStringList lines;
    for (int row = r.topRow(); row <= r.bottomRow(); ++row) {
        QStringList cells;
        for (int col = r.leftColumn(); col <= r.rightColumn(); ++col) {
            const QTableWidgetItem* item = sgStat->item(row, col);
            cells << (item ? item->text() : QString());
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}
