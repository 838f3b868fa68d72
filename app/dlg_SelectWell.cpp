#include "dlg_SelectWell.h"

#include "WKWells.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TdlgSelectWell::TdlgSelectWell(const TWells& wells, const QString& currentWellID, QWidget* parent)
    : QDialog(parent), FWells(std::make_unique<TWells>(wells)) {
    setWindowTitle(QStringLiteral("Выбор скважины"));
    lvWells = new QTreeWidget(this);
    lvWells->setObjectName(QStringLiteral("lvWells"));
    lvWells->setRootIsDecorated(false);
    lvWells->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvWells->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvWells->setHeaderLabels({QStringLiteral("Скважина"), QStringLiteral("Куст"), QStringLiteral("Площадь"),
                              QStringLiteral("Месторождение")});
    const int widths[] = {100, 100, 200, 200};
    for (int i = 0; i < 4; ++i) lvWells->header()->resizeSection(i, widths[i]);

    auto* none = new QTreeWidgetItem(lvWells, {QStringLiteral("[Не задана]")});
    QTreeWidgetItem* focused = none;
    TWellItems items;
    FWells->ToStrings(items, QStringLiteral("%s"));
    for (const TWellItem& item : items) {
        TWellDescr* w = item.Well;
        auto* row = new QTreeWidgetItem(lvWells, {w->GetWell(), w->GetPad(), w->GetField(), w->GetOilfield()});
        row->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(w)));
        if (!currentWellID.isEmpty() && w->GetWellID() == currentWellID) focused = row;
    }
    lvWells->setCurrentItem(focused);

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(btnOK, &QPushButton::clicked, this, &TdlgSelectWell::OkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lvWells, &QTreeWidget::itemSelectionChanged, this, &TdlgSelectWell::UpdateOK);
    connect(lvWells, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (btnOK->isEnabled()) OkClick();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lvWells);
    layout->addWidget(buttons);
    resize(640, 360);
    UpdateOK();
}

TdlgSelectWell::~TdlgSelectWell() = default;

bool TdlgSelectWell::HasSelection() const { return !lvWells->selectedItems().isEmpty(); }

TWellDescr* TdlgSelectWell::SelectedWell() const {
    const QList<QTreeWidgetItem*> selected = lvWells->selectedItems();
    if (selected.isEmpty()) return nullptr;
    return static_cast<TWellDescr*>(selected.first()->data(0, Qt::UserRole).value<void*>());
}

void TdlgSelectWell::UpdateOK() { btnOK->setEnabled(HasSelection()); }

void TdlgSelectWell::OkClick() {
    if (HasSelection()) accept();
}

TWellChoice WellChoiceOf(const TWellDescr* well) {
    if (!well) return {};
    return {QStringLiteral("Скважина: ") + well->GetWell(), well->GetWellID()};
}
