#include "dlg_SelectParam.h"

#include "ConvSys.h"
#include "Express.h"
#include "ModalDialogs.h"
#include "StateTree.h"
#include "WKConsts.h"
#include "dlg_FormulaProperties.h"
#include "dm_Wells.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString FormulasGroup = QStringLiteral("Формулы");

// What identifies an offered description across reloads of the list.
QString DescrKey(const TSensDescr& d) {
    const QChar sep(0x1f);
    return d.Name + sep + d.StrID + sep + QString::number(d.GID) + sep + d.StreamID + sep + d.StreamName;
}

// A node by the texts from the top of the tree down to it.
QString NodePath(const QTreeWidgetItem* item) {
    QString path = item->text(0);
    for (const QTreeWidgetItem* p = item->parent(); p; p = p->parent()) path = p->text(0) + QChar(0x1f) + path;
    return path;
}

QIcon ColoredIcon(const QColor& fill, bool round) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(fill);
    p.setPen(fill.darker());
    if (round)
        p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
    else
        p.drawRect(QRectF(1.5, 3.5, 13, 10));
    return QIcon(pm);
}

// Group, (unused), parameter, formula.
QList<QIcon> NodeImages() {
    return {ColoredIcon(QColor(0xE8, 0xC0, 0x50), false), QIcon(), ColoredIcon(QColor(0x40, 0x80, 0xC0), true),
            ColoredIcon(QColor(0x40, 0xA0, 0x40), true)};
}

// A stored formula as a description.
TSensDescr FormulaDescr(const TFormulaRow& row) {
    TSensDescr d;
    d.Name = row.FORMULANAME;
    d.FullName = row.FORMULANAME;
    d.Group = FormulasGroup;
    d.Flags = TSensorFlags{sfCalculated};
    d.StrID = row.FORMULATEXT;
    // A plain RGB colour: the high byte of a colour value marks system colours.
    d.Color = int(QRandomGenerator::global()->bounded(0x1000000u));
    d.Precision = 5;
    return d;
}
}  // namespace

TdlgSelectParam::TdlgSelectParam(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Выбор параметров"));
    lblProfile = new QLabel(QStringLiteral("Профиль"), this);
    cbProfile = new QComboBox(this);
    lblProfile->setBuddy(cbProfile);
    cbPrimary = new QCheckBox(QStringLiteral("Измеряемые параметры"), this);
    tvParams = new TStateTreeView(this);
    tvParams->SetImages(NodeImages());
    edFilter = new QLineEdit(this);
    edFilter->setClearButtonEnabled(true);
    btnExpand = new QToolButton(this);
    btnExpand->setToolTip(QStringLiteral("Развернуть все"));
    btnExpand->setText(QStringLiteral("+"));
    btnCollapse = new QToolButton(this);
    btnCollapse->setToolTip(QStringLiteral("Свернуть все"));
    btnCollapse->setText(QStringLiteral("−"));
    btnFormulaEditor = new QToolButton(this);
    btnFormulaEditor->setToolTip(QStringLiteral("Добавить формулу..."));
    btnFormulaEditor->setText(QStringLiteral("ƒ"));
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Отмена"), this);
    tmrUpdateTree = new QTimer(this);
    tmrUpdateTree->setInterval(250);

    auto* top = new QHBoxLayout;
    top->addWidget(lblProfile);
    top->addWidget(cbProfile, 1);
    auto* filter = new QHBoxLayout;
    filter->addWidget(edFilter, 1);
    filter->addWidget(btnExpand);
    filter->addWidget(btnCollapse);
    filter->addWidget(btnFormulaEditor);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* body = new QVBoxLayout(this);
    body->addLayout(top);
    body->addWidget(cbPrimary);
    body->addLayout(filter);
    body->addWidget(tvParams, 1);
    body->addLayout(buttons);
    resize(360, 480);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnExpand, &QToolButton::clicked, tvParams, &QTreeWidget::expandAll);
    connect(btnCollapse, &QToolButton::clicked, tvParams, &QTreeWidget::collapseAll);
    connect(btnFormulaEditor, &QToolButton::clicked, this, &TdlgSelectParam::btnFormulaEditorClick);
    connect(edFilter, &QLineEdit::textChanged, this, [this] { tmrUpdateTree->start(); });
    connect(tmrUpdateTree, &QTimer::timeout, this, &TdlgSelectParam::tmrUpdateTreeTimer);
    connect(cbProfile, &QComboBox::activated, this, [this] { UpdateParamList(false); });
    connect(cbPrimary, &QCheckBox::clicked, this, [this] { UpdateParamList(false); });
    connect(tvParams, &TStateTreeView::MousePressed, this,
            [this](const QPoint& pos, Qt::MouseButton button) {
                if (button == Qt::LeftButton) TreeMouseDown(pos);
            });
    connect(tvParams, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (SingleParam && OKBtn->isEnabled()) OKBtn->click();
    });
    tvParams->installEventFilter(this);
}

TdlgSelectParam::~TdlgSelectParam() = default;

int TdlgSelectParam::Execute() {
    PrepareShow();
    return ShowModal(*this);
}

void TdlgSelectParam::PrepareShow() {
    cbPrimary->setVisible(WKMainApplication() && !Selection.Contains(ssHidePrimary));
    if (cbPrimary->isHidden()) cbPrimary->setChecked(false);
    QStringList profiles;
    FillProfileNames(profiles);
    cbProfile->clear();
    cbProfile->addItems(profiles);
    cbProfile->setCurrentIndex(0);
    cbProfile->setVisible(cbProfile->count() > 1);
    lblProfile->setVisible(cbProfile->count() > 1);
    if (!Selection.Contains(ssTime) || FOnGetCustomParams) {
        cbPrimary->setChecked(false);
        cbPrimary->setVisible(false);
    }
    btnFormulaEditor->setVisible(Selection.Contains(ssFormulas) && dmWells());
    UpdateParamList(false);
    EnableOk(false);
}

void TdlgSelectParam::UpdateParamList(bool onlyFilter) {
    if (cbPrimary->isChecked()) {
        Selection.Include(ssPrimary);
        Selection.Include(ssOnlyAttached);
    } else {
        Selection.Exclude(ssPrimary);
        Selection.Exclude(ssOnlyAttached);
    }
    const QString profile = cbProfile->currentIndex() > 0 ? cbProfile->currentText() : QString();
    // A rebuilt tree keeps what the user checked and the groups the user opened.
    QSet<QString> checked, expanded;
    if (!onlyFilter) {
        for (const TTreeNode* n : tvParams->Nodes()) {
            if (!n->Data.isValid()) {
                if (n->isExpanded()) expanded.insert(NodePath(n));
            } else if (n->StateIndex() == pnsChecked && n->Data.toInt() < FParams.size()) {
                checked.insert(DescrKey(FParams[n->Data.toInt()]));
            }
        }
        if (FOnGetCustomParams)
            FParams = FOnGetCustomParams(profile);
        else
            GetSensDescrArray(profile, FParams, Selection);
        AppendFormulas();
    }

    tvParams->BeginUpdate();
    if (!onlyFilter) {
        BuildTree();
        for (TTreeNode* n : tvParams->Nodes()) {
            if (!n->Data.isValid()) n->setExpanded(expanded.contains(NodePath(n)));
            else if (!SingleParam && checked.contains(DescrKey(FParams[n->Data.toInt()]))) n->SetStateIndex(pnsChecked);
        }
    }
    ApplyFilter(edFilter->text().toUpper().trimmed());
    TTreeNode* first = nullptr;
    for (int i = 0; i < tvParams->topLevelItemCount() && !first; ++i)
        if (!tvParams->topLevelItem(i)->isHidden()) first = static_cast<TTreeNode*>(tvParams->topLevelItem(i));
    // With check boxes OK follows what is checked: a reload must not offer an OK that adds nothing.
    if (SingleParam) OKBtn->setEnabled(first != nullptr);
    else EnableOk(false);
    if (first) tvParams->SetSelected(first);
    tvParams->EndUpdate();
}

void TdlgSelectParam::BuildTree() {
    tvParams->clear();
    FGroups.clear();
    const bool byStream = Selection.Contains(ssTime) && Selection.Contains(ssDepth);
    for (int i = 0; i < FParams.size(); ++i) {
        const TSensDescr& d = FParams[i];
        const QString path = byStream ? d.StreamName + QLatin1Char('\\') + d.Group : d.Group;
        TTreeNode* node = tvParams->AddChild(GroupNode(path), d.Name);
        node->Data = i;
        const int image = d.Flags.Contains(sfCalculated) ? pniFormula : pniParameter;
        node->SetImageIndex(image);
        node->SetSelectedIndex(image);
        node->SetStateIndex(SingleParam ? pnsNone : pnsUnchecked);
    }
    tvParams->CustomSort([](const TTreeNode& a, const TTreeNode& b) {
        if (a.ImageIndex() != b.ImageIndex()) return a.ImageIndex() > b.ImageIndex();
        return QString::localeAwareCompare(a.text(0), b.text(0)) < 0;
    });
}

// The filter hides what it does not match instead of dropping it, so checks
// made before a change of the filter are kept.
void TdlgSelectParam::ApplyFilter(const QString& filter) {
    std::function<bool(QTreeWidgetItem*)> apply = [&](QTreeWidgetItem* item) {
        const auto* node = static_cast<TTreeNode*>(item);
        bool visible = false;
        if (node->Data.isValid()) {
            visible = filter.isEmpty() || FParams[node->Data.toInt()].Name.toUpper().contains(filter);
        } else {
            for (int i = 0; i < item->childCount(); ++i) visible = apply(item->child(i)) || visible;
        }
        item->setHidden(!visible);
        return visible;
    };
    for (int i = 0; i < tvParams->topLevelItemCount(); ++i) apply(tvParams->topLevelItem(i));
}

void TdlgSelectParam::AppendFormulas() {
    TdmWells* wells = dmWells();
    if (!Selection.Contains(ssFormulas) || !wells) return;
    for (const TFormulaRow& row : wells->Formulas(FFormulaSubset)) FParams.append(FormulaDescr(row));
}

TTreeNode* TdlgSelectParam::GroupNode(QString path) {
    while (path.endsWith(QLatin1Char('\\'))) path.chop(1);
    if (path.isEmpty()) return nullptr;
    const QString key = path.toUpper();
    if (TTreeNode* known = FGroups.value(key)) return known;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    TTreeNode* parent = slash >= 0 ? GroupNode(path.left(slash)) : nullptr;
    TTreeNode* node = tvParams->AddChild(parent, path.mid(slash + 1));
    node->SetImageIndex(pniGroup);
    node->SetSelectedIndex(pniGroup);
    FGroups.insert(key, node);
    return node;
}

void TdlgSelectParam::tmrUpdateTreeTimer() {
    tmrUpdateTree->stop();
    tvParams->BeginUpdate();
    UpdateParamList(true);
    tvParams->expandAll();
    tvParams->EndUpdate();
    EnableOk(false);
}

bool TdlgSelectParam::AnyChecked() const {
    for (const TTreeNode* n : tvParams->Nodes())
        if (n->StateIndex() == pnsChecked) return true;
    return false;
}

void TdlgSelectParam::EnableOk(bool on) { OKBtn->setEnabled(on || AnyChecked()); }

void TdlgSelectParam::ToggleSelected() {
    TTreeNode* node = tvParams->Selected();
    if (!node || node->StateIndex() <= 0) return;
    const bool checked = node->StateIndex() != pnsChecked;
    node->SetStateIndex(checked ? pnsChecked : pnsUnchecked);
    EnableOk(checked);
}

void TdlgSelectParam::TreeMouseDown(const QPoint& pos) {
    if (SingleParam) {
        const TTreeNode* node = tvParams->Selected();
        OKBtn->setEnabled(node && node->ImageIndex() > 1);
        return;
    }
    if (tvParams->StateImageAt(pos)) ToggleSelected();
}

bool TdlgSelectParam::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tvParams && event->type() == QEvent::KeyPress && !SingleParam &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        ToggleSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

TSensDescrArray TdlgSelectParam::GetSensDescriptions() const {
    TSensDescrArray result;
    const auto descr = [this](const TTreeNode* n) -> const TSensDescr* {
        if (!n || !n->Data.isValid()) return nullptr;
        const int i = n->Data.toInt();
        return i >= 0 && i < FParams.size() ? &FParams[i] : nullptr;
    };
    if (SingleParam) {
        if (const TSensDescr* d = descr(tvParams->Selected())) result.append(*d);
        return result;
    }
    // Checks live on the nodes; the filter only hides what it does not
    // match, so checked nodes outside the filter are still counted.
    for (const TTreeNode* n : tvParams->Nodes())
        if (n->StateIndex() == pnsChecked)
            if (const TSensDescr* d = descr(n)) result.append(*d);
    return result;
}

void TdlgSelectParam::btnFormulaEditorClick() {
    TdmWells* wells = dmWells();
    if (!wells) return;
    TFormulaRow row;
    row.SUBSET = FFormulaSubset;
    TdlgFormulaProperties& dlg = dlgFormulaProperties();
    dlg.FFormulaParser = FFormulaParser ? FFormulaParser : &RParser();
    dlg.FOnGetCustomParams = FOnGetCustomParams;
    if (dlg.EditNewRow(row) == mrOk) UpdateParamList(false);
}
