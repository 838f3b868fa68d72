#include "dlg_SelectRangeParam.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
enum TColumn { colName, colRange };
constexpr int kSensorRole = Qt::UserRole;
constexpr int kCheckedRole = Qt::UserRole + 1;
}  // namespace

TdlgSelectRangeParam::TdlgSelectRangeParam(const TSensDescrArray& Sensors, const TRangeCheckList& Params,
                                           const TPictureList& Images, TRangeAction SetRange,
                                           TRangeAction ResetRange, QWidget* Owner)
    : QDialog(Owner),
      FSensors(Sensors),
      FParams(Params),
      FImages(Images),
      FSetRange(std::move(SetRange)),
      FResetRange(std::move(ResetRange)) {
    setWindowTitle(QStringLiteral("Контроль диапазона параметров"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Выберите параметр для контроля выхода из диапазона"), this));

    auto* filter = new QHBoxLayout;
    filter->addWidget(new QLabel(QStringLiteral("Фильтр названий"), this));
    edFilter = new QLineEdit(this);
    edFilter->setObjectName(QStringLiteral("edFilter"));
    filter->addWidget(edFilter, 1);
    layout->addLayout(filter);

    lvParams = new QTreeWidget(this);
    lvParams->setObjectName(QStringLiteral("lvParams"));
    lvParams->setRootIsDecorated(false);
    lvParams->setUniformRowHeights(true);
    lvParams->setSelectionMode(QAbstractItemView::SingleSelection);
    lvParams->setHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Контроль")});
    lvParams->header()->setSectionResizeMode(colName, QHeaderView::Stretch);
    lvParams->header()->setStretchLastSection(false);
    lvParams->header()->resizeSection(colRange, 140);
    lvParams->setMinimumSize(480, 320);
    layout->addWidget(lvParams, 1);

    auto* boxes = new QHBoxLayout;
    cbShowHidden = new QCheckBox(QStringLiteral("Показывать скрытые"), this);
    cbShowHidden->setObjectName(QStringLiteral("cbShowHidden"));
    cbOnlyControlled = new QCheckBox(QStringLiteral("Показывать только контролируемые"), this);
    cbOnlyControlled->setObjectName(QStringLiteral("cbOnlyControlled"));
    boxes->addWidget(cbShowHidden);
    boxes->addWidget(cbOnlyControlled);
    boxes->addStretch(1);
    layout->addLayout(boxes);

    auto* buttons = new QHBoxLayout;
    btnControl = new QPushButton(QStringLiteral("Контролировать..."), this);
    btnControl->setObjectName(QStringLiteral("btnControl"));
    btnControl->setDefault(true);
    btnNoControl = new QPushButton(QStringLiteral("Отмена контроля"), this);
    btnNoControl->setObjectName(QStringLiteral("btnNoControl"));
    btnExit = new QPushButton(QStringLiteral("Выход"), this);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    buttons->addWidget(btnControl);
    buttons->addWidget(btnNoControl);
    buttons->addStretch(1);
    buttons->addWidget(btnExit);
    layout->addLayout(buttons);

    connect(edFilter, &QLineEdit::textChanged, this, &TdlgSelectRangeParam::BuildList);
    connect(cbShowHidden, &QCheckBox::clicked, this, &TdlgSelectRangeParam::BuildList);
    connect(cbOnlyControlled, &QCheckBox::clicked, this, &TdlgSelectRangeParam::BuildList);
    connect(lvParams, &QTreeWidget::currentItemChanged, this, &TdlgSelectRangeParam::UpdateButtons);
    connect(lvParams, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (btnControl->isEnabled()) ControlClick();
    });
    connect(btnControl, &QPushButton::clicked, this, &TdlgSelectRangeParam::ControlClick);
    connect(btnNoControl, &QPushButton::clicked, this, &TdlgSelectRangeParam::NoControlClick);
    connect(btnExit, &QPushButton::clicked, this, &QDialog::accept);
    BuildList();
}

void TdlgSelectRangeParam::BuildList() {
    struct TRow {
        int Index;
        const TRangeCheckItem* Item;
    };
    const QString filter = edFilter->text().trimmed().toUpper();
    std::vector<TRow> rows;
    for (int i = 0; i < FSensors.size(); ++i) {
        const TSensDescr& d = FSensors[i];
        if (d.Flags.Contains(sfHidden) && !cbShowHidden->isChecked()) continue;
        if (!filter.isEmpty() && !d.FullName.toUpper().contains(filter)) continue;
        const TRangeCheckItem* item = FindParamLink(FParams, d.GID);
        const bool checked = item && item->AnyCheck();
        if (cbOnlyControlled->isChecked() && !checked) continue;
        rows.push_back({i, checked ? item : nullptr});
    }
    std::stable_sort(rows.begin(), rows.end(), [this](const TRow& a, const TRow& b) {
        return QString::compare(FSensors[a.Index].FullName, FSensors[b.Index].FullName, Qt::CaseInsensitive) < 0;
    });
    lvParams->clear();
    // Rows without the mark keep its place, so that the names line up.
    QPixmap blank(FImages.Image(0).size());
    blank.fill(Qt::transparent);
    for (const TRow& r : rows) {
        auto* row = new QTreeWidgetItem(lvParams);
        row->setText(colName, FSensors[r.Index].FullName);
        row->setData(colName, kSensorRole, r.Index);
        row->setData(colName, kCheckedRole, r.Item != nullptr);
        row->setIcon(colName, QIcon(r.Item ? FImages.Image(0) : blank));
        if (r.Item) row->setText(colRange, RangeText(*r.Item));
    }
    lvParams->setCurrentItem(lvParams->topLevelItem(0));
    UpdateButtons();
}

const TSensDescr* TdlgSelectRangeParam::Selected() const {
    const QTreeWidgetItem* row = lvParams->currentItem();
    if (!row) return nullptr;
    const int i = row->data(colName, kSensorRole).toInt();
    return i >= 0 && i < FSensors.size() ? &FSensors[i] : nullptr;
}

void TdlgSelectRangeParam::UpdateButtons() {
    const QTreeWidgetItem* row = lvParams->currentItem();
    btnControl->setEnabled(row != nullptr);
    btnNoControl->setEnabled(row && row->data(colName, kCheckedRole).toBool());
}

void TdlgSelectRangeParam::ControlClick() {
    if (const TSensDescr* d = Selected()) {
        const TSensDescr descr = *d;
        if (FSetRange) FSetRange(descr);
    }
    BuildList();
}

void TdlgSelectRangeParam::NoControlClick() {
    if (const TSensDescr* d = Selected()) {
        const TSensDescr descr = *d;
        if (FResetRange) FResetRange(descr);
    }
    BuildList();
}
