#include "dlg_SetupPipeCount.h"

#include "Formatting.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum TColumn { colNo, colSubNo, colName, colLength, colDepth, colWeight };

QString Number(double v) { return FormatFloat(QStringLiteral("0.##"), v); }
}  // namespace

TdlgSetupPipeCount::TdlgSetupPipeCount(QWidget* Owner) : QDialog(Owner) {
    setWindowTitle(QStringLiteral("Элементы колонны"));
    auto* layout = new QVBoxLayout(this);
    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("Поиск по номеру:"), this));
    edSearch = new QLineEdit(this);
    edSearch->setObjectName(QStringLiteral("edSearch"));
    edSearch->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edSearch));
    search->addWidget(edSearch, 1);
    layout->addLayout(search);

    lvTubing = new QTreeWidget(this);
    lvTubing->setObjectName(QStringLiteral("lvTubing"));
    lvTubing->setRootIsDecorated(false);
    lvTubing->setUniformRowHeights(true);
    lvTubing->setSelectionMode(QAbstractItemView::SingleSelection);
    lvTubing->setHeaderLabels({QStringLiteral("№"), QStringLiteral("Трубка"), QStringLiteral("Название"),
                               QStringLiteral("Длина"), QStringLiteral("Глубина"), QStringLiteral("Сумм. вес")});
    lvTubing->setMinimumSize(560, 320);
    layout->addWidget(lvTubing, 1);

    cbCasingDetached = new QCheckBox(QStringLiteral("Обсадная колонна отсоединена"), this);
    cbCasingDetached->setObjectName(QStringLiteral("cbCasingDetached"));
    cbCasingDetached->setVisible(false);
    layout->addWidget(cbCasingDetached);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(edSearch, &QLineEdit::textChanged, this, &TdlgSetupPipeCount::SearchChanged);
    connect(lvTubing, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row) {
        lvTubing->setCurrentItem(row);
        accept();
    });
}

void TdlgSetupPipeCount::Fill(const TTubingArray& List, const TPictureList& Images, bool ShowCasing,
                              bool CasingDetached) {
    lvTubing->clear();
    auto* none = new QTreeWidgetItem(lvTubing);
    none->setText(colName, QStringLiteral("(Нет элементов)"));
    none->setIcon(colNo, QIcon(Images.Image(2)));
    for (const TTubingItem& t : List) {
        auto* row = new QTreeWidgetItem(lvTubing);
        row->setIcon(colNo, QIcon(Images.Image(t.IsCasing ? 3 : t.IsPipe ? 0 : 1)));
        row->setText(colNo, QString::number(t.ItemNo));
        if (t.SubItemNo > 0) row->setText(colSubNo, QString::number(t.SubItemNo));
        row->setText(colName, t.Prefix + t.Name);
        row->setText(colLength, Number(t.ItemLength));
        row->setText(colDepth, Number(t.Depth));
        row->setText(colWeight, Number(t.SumWeight / 1000));
        for (int c : {colLength, colDepth, colWeight}) row->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int c = 0; c < lvTubing->columnCount(); ++c) lvTubing->resizeColumnToContents(c);
    // The name takes the spare width, so the numbers stay beside their headers.
    lvTubing->header()->setStretchLastSection(false);
    lvTubing->header()->setSectionResizeMode(colName, QHeaderView::Stretch);
    cbCasingDetached->setVisible(ShowCasing);
    cbCasingDetached->setChecked(CasingDetached);
}

void TdlgSetupPipeCount::SelectRow(int Index) {
    QTreeWidgetItem* row = lvTubing->topLevelItem(Index);
    if (!row) row = lvTubing->topLevelItem(0);
    if (!row) return;
    lvTubing->setCurrentItem(row);
    lvTubing->scrollToItem(row);
}

int TdlgSetupPipeCount::SelectedRow() const {
    QTreeWidgetItem* row = lvTubing->currentItem();
    return row && row->isSelected() ? lvTubing->indexOfTopLevelItem(row) : 0;
}

bool TdlgSetupPipeCount::CasingDetached() const {
    return cbCasingDetached->isVisibleTo(this) && cbCasingDetached->isChecked();
}

void TdlgSetupPipeCount::SearchChanged(const QString& Text) {
    if (Text.isEmpty()) return;
    for (int i = 0; i < lvTubing->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lvTubing->topLevelItem(i);
        if (row->text(colNo).contains(Text)) {
            lvTubing->setCurrentItem(row);
            lvTubing->scrollToItem(row);
            return;
        }
    }
}
