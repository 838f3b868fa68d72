#include "dlg_SetupAutoComment.h"

#include "DLLMan.h"
#include "EditControls.h"
#include "Exceptions.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintSeries.h"
#include "SketchDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Plotmere {

namespace {
const QString NoSource = QStringLiteral("[Нет источника]");
}

TdlgSetupAutoComment::TdlgSetupAutoComment(QWidget* parent) : TdlgSetupComment(parent) {
    setWindowTitle(QStringLiteral("Настройка авто-комментария"));
    for (QWidget* w : std::initializer_list<QWidget*>{lbPosition, edPosition, cbNoClip, rgAlign}) w->hide();
    lbOffset->setText(QStringLiteral("Смещение (мм)"));

    auto* extra = new QWidget(this);
    auto* form = new QFormLayout(extra);
    form->setContentsMargins(0, 0, 0, 0);
    cbGroup = new QComboBox(extra);
    cbGroup->setEditable(true);
    form->addRow(new QLabel(QStringLiteral("Группа"), extra), cbGroup);
    cbSource = new QComboBox(extra);
    form->addRow(new QLabel(QStringLiteral("Источник данных"), extra), cbSource);
    auto* varRow = new QHBoxLayout;
    lbVariables = new QListWidget(extra);
    btAddVariable = new QToolButton(extra);
    btAddVariable->setText(QStringLiteral(">"));
    btAddVariable->setToolTip(QStringLiteral("Добавить переменную из списка"));
    varRow->addWidget(lbVariables, 1);
    varRow->addWidget(btAddVariable, 0, Qt::AlignTop);
    form->addRow(new QLabel(QStringLiteral("Переменные"), extra), varRow);
    auto* main = static_cast<QVBoxLayout*>(layout());
    main->insertWidget(main->count() - 1, extra);

    connect(cbSource, &QComboBox::currentIndexChanged, this, &TdlgSetupAutoComment::FillVariables);
    connect(btAddVariable, &QToolButton::clicked, this, &TdlgSetupAutoComment::InsertVariable);
    connect(lbVariables, &QListWidget::itemDoubleClicked, this, &TdlgSetupAutoComment::InsertVariable);
}

void TdlgSetupAutoComment::SetValues(const TPrintAutoCommentSeries& series, const QStringList& groups,
                                     const QList<TSystemTable>& tables) {
    FTables = tables;
    meText->setPlainText(series.Text());
    btFont->SetFont(*series.Font());
    meText->setFont(btFont->Font().ToQFont());
    cbAngle->setCurrentIndex((((series.Rotation() % 360) + 360) % 360) / 90);
    edOffset->setText(QString::number(series.Offset()));
    cbGroup->clear();
    cbGroup->addItems(groups);
    cbGroup->setEditText(series.Group());
    const QSignalBlocker block(cbSource);
    cbSource->clear();
    cbSource->addItem(NoSource);
    int current = 0;
    for (int i = 0; i < FTables.size(); ++i) {
        const TSystemTable& t = FTables.at(i);
        cbSource->addItem(t.Caption());
        if (current == 0 && !series.BlockName().isEmpty() && t.Table.BlockName == series.BlockName() &&
            t.SystemID == series.SourceID())
            current = i + 1;
    }
    cbSource->setCurrentIndex(current);
    FillVariables();
}

void TdlgSetupAutoComment::GetValues(TPrintAutoCommentSeries& series) const {
    series.SetText(meText->toPlainText());
    series.SetFont(&btFont->Font());
    series.SetRotation(std::max(cbAngle->currentIndex(), 0) * 90);
    series.SetOffset(StrToInt(edOffset->text()));
    series.SetGroup(cbGroup->currentText());
    const int index = cbSource->currentIndex() - 1;
    if (index >= 0 && index < FTables.size()) {
        const TSystemTable& t = FTables.at(index);
        series.SetBlockName(t.Table.BlockName);
        series.SetTableName(t.Table.TableName);
        series.SetSourceID(t.SystemID);
    } else {
        series.SetBlockName(QString());
        series.SetTableName(QString());
        series.SetSourceID(QString());
    }
}

void TdlgSetupAutoComment::Validate() {
    bool ok = false;
    edOffset->text().trimmed().toInt(&ok);
    if (!ok) throw Exception(QStringLiteral("Смещение должно быть целым числом"));
}

void TdlgSetupAutoComment::FillVariables() {
    lbVariables->clear();
    const int index = cbSource->currentIndex() - 1;
    if (index < 0 || index >= FTables.size()) return;
    for (const TSketchFieldDescr& field : FTables.at(index).Table.Fields) {
        auto* item = new QListWidgetItem(field.Name.isEmpty() ? field.ID : field.Name, lbVariables);
        item->setData(Qt::UserRole, field.ID);
    }
    lbVariables->setCurrentRow(0);
}

void TdlgSetupAutoComment::InsertVariable() {
    const QListWidgetItem* item = lbVariables->currentItem();
    if (!item) return;
    meText->insertPlainText(QStringLiteral("{~") + item->data(Qt::UserRole).toString() + QLatin1Char('}'));
    meText->setFocus();
}

namespace {
bool SetupAutoComment(TPrintItem& item, TRenderDevice*) {
    auto& series = static_cast<TPrintAutoCommentSeries&>(item);
    QStringList groups;
    if (TSketchDocument* doc = series.GetSketchDocument()) doc->RegisterGroups(groups, true);
    auto& dialog = KeptDialog<TdlgSetupAutoComment>();
    dialog.SetValues(series, groups, SystemTableList(PluginManager()));
    if (ShowModal(dialog) != mrOk) return false;
    dialog.GetValues(series);
    return true;
}

const TItemSetupRegistration AutoCommentSetup(typeid(TPrintAutoCommentSeries), SetupAutoComment);
}  // namespace

}  // namespace Plotmere
