#include "EditControls.h"

#include <QButtonGroup>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

TLabeledEdit::TLabeledEdit(const QString& caption, QWidget* parent)
    : QWidget(parent), FLabel(new QLabel(caption, this)), FEdit(new QLineEdit(this)) {
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    l->addWidget(FLabel);
    l->addWidget(FEdit);
    FLabel->setBuddy(FEdit);
}

TUpDownEdit::TUpDownEdit(QWidget* parent) : QSpinBox(parent) { setRange(0, 100); }

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), FButtons(new QButtonGroup(this)) {
    new QVBoxLayout(this);
    connect(FButtons, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) emit ItemIndexChanged(id);
    });
    SetItems(items);
}

void TRadioGroup::SetItems(const QStringList& items) {
    for (QAbstractButton* b : FButtons->buttons()) {
        FButtons->removeButton(b);
        delete b;
    }
    FItems = items;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        FButtons->addButton(b, i);
        layout()->addWidget(b);
    }
}

int TRadioGroup::ItemIndex() const { return FButtons->checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* b = FButtons->button(index)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; lift that for a moment.
    if (QAbstractButton* checked = FButtons->checkedButton()) {
        FButtons->setExclusive(false);
        checked->setChecked(false);
        FButtons->setExclusive(true);
    }
}

QAbstractButton* TRadioGroup::Button(int index) const { return FButtons->button(index); }

TCheckListBox::TCheckListBox(const QStringList& items, QWidget* parent) : QListWidget(parent) { SetItems(items); }

void TCheckListBox::SetItems(const QStringList& items) {
    clear();
    for (const QString& s : items) {
        auto* item = new QListWidgetItem(s, this);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // Every item in view: the lists are short option lists.
    setMinimumHeight(items.isEmpty() ? 0 : sizeHintForRow(0) * int(items.size()) + 2 * frameWidth() + 2);
}

bool TCheckListBox::Checked(int index) const {
    const QListWidgetItem* i = item(index);
    return i && i->checkState() == Qt::Checked;
}

void TCheckListBox::SetChecked(int index, bool checked) {
    if (QListWidgetItem* i = item(index)) i->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::SetBrushColor(TColor color) {
    FBrush = color;
    update();
}

void TShape::SetPenColor(TColor color) {
    FPen = color;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(ColorToQColor(FPen));
    p.setBrush(ColorToQColor(FBrush));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TShape::mousePressEvent(QMouseEvent* e) { emit MouseDown(e->button()); }
