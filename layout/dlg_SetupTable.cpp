#include "dlg_SetupTable.h"

#include "DLLMan.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintTables.h"
#include "SketchDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace Plotmere {

namespace {
const QString NoSource = QStringLiteral("[Нет источника]");
const QString SNoFieldSource = QStringLiteral("Источника для поля таблицы не найдено");
}  // namespace

QList<TSystemTable> SystemTableList(const TPluginManager& manager) {
    QList<TSystemTable> tables;
    for (const auto& [name, system] : manager.GetSysList())
        for (const TSketchTableDescr& table : system->GetTableList()) tables.append({name, system->Descr().SystemID, table});
    return tables;
}

TdlgSetupTable::TdlgSetupTable(QWidget* parent) : TLayoutSetupDialog(parent) {
    setWindowTitle(QStringLiteral("Настройка таблицы"));
    auto* body = new QVBoxLayout(this);
    pcPages = new QTabWidget(this);
    body->addWidget(pcPages);

    auto* data = new QWidget(pcPages);
    auto* dataLayout = new QVBoxLayout(data);
    auto* sourceRow = new QFormLayout;
    cbSource = new QComboBox(data);
    cbGroup = new QComboBox(data);
    cbGroup->setEditable(true);
    sourceRow->addRow(QStringLiteral("Источник данных"), cbSource);
    sourceRow->addRow(QStringLiteral("Группа"), cbGroup);
    dataLayout->addLayout(sourceRow);
    auto* fieldsBox = new QGroupBox(QStringLiteral(" Поля (видимые отмечены) "), data);
    auto* fieldsLayout = new QHBoxLayout(fieldsBox);
    clbFields = new QListWidget(fieldsBox);
    fieldsLayout->addWidget(clbFields, 1);
    auto* moves = new QVBoxLayout;
    btnUp = new QPushButton(QStringLiteral("▲"), fieldsBox);
    btnUp->setToolTip(QStringLiteral("Переместить поле  к началу таблицы"));
    btnDown = new QPushButton(QStringLiteral("▼"), fieldsBox);
    btnDown->setToolTip(QStringLiteral("Переместить поле  к концу таблицы"));
    btnClear = new QPushButton(QStringLiteral("Очистить список"), fieldsBox);
    moves->addWidget(btnUp);
    moves->addWidget(btnDown);
    moves->addStretch();
    moves->addWidget(btnClear);
    fieldsLayout->addLayout(moves);
    dataLayout->addWidget(fieldsBox);
    gbField = new QGroupBox(QStringLiteral(" Текущее поле "), data);
    auto* fieldLayout = new QFormLayout(gbField);
    edCaption = new QLineEdit(gbField);
    swFieldColor = new TColorSwatch(gbField);
    lbPrecision = new QLabel(QStringLiteral("Точность"), gbField);
    sePrecision = new QSpinBox(gbField);
    sePrecision->setRange(0, 10);
    fieldLayout->addRow(QStringLiteral("Заголовок"), edCaption);
    fieldLayout->addRow(QStringLiteral("Цвет фона"), swFieldColor);
    fieldLayout->addRow(lbPrecision, sePrecision);
    dataLayout->addWidget(gbField);
    pcPages->addTab(data, QStringLiteral("Поля и данные"));

    auto* look = new QWidget(pcPages);
    auto* lookLayout = new QFormLayout(look);
    swHeaderColor = new TColorSwatch(look);
    swFrameColor = new TColorSwatch(look);
    cbFrameWidth = new QComboBox(look);
    for (int width = 1; width <= 5; ++width) cbFrameWidth->addItem(QString::number(width));
    btnHeaderFont = new TFontButton(QStringLiteral("Шрифт заголовка..."), look);
    swGridColor = new TColorSwatch(look);
    btnFont = new TFontButton(QStringLiteral("Шрифт таблицы..."), look);
    cbVertical = new QCheckBox(QStringLiteral("Вертикальное расположение"), look);
    lookLayout->addRow(QStringLiteral("Цвет заголовка"), swHeaderColor);
    lookLayout->addRow(QStringLiteral("Цвет рамки"), swFrameColor);
    lookLayout->addRow(QStringLiteral("Толщина рамки"), cbFrameWidth);
    lookLayout->addRow(QString(), btnHeaderFont);
    lookLayout->addRow(QStringLiteral("Цвет линий сетки"), swGridColor);
    lookLayout->addRow(QString(), btnFont);
    lookLayout->addRow(QString(), cbVertical);
    pcPages->addTab(look, QStringLiteral("Оформление"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OKBtn = buttons->button(QDialogButtonBox::Ok);
    CancelBtn = buttons->button(QDialogButtonBox::Cancel);
    CancelBtn->setText(QStringLiteral("Отмена"));
    body->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgSetupTable::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TdlgSetupTable::reject);

    connect(cbSource, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index == FBoundIndex) {
            ShowColumns(FBoundColumns);
            return;
        }
        QList<TColumnEntry> all;
        if (const TSystemTable* chosen = ChosenTable())
            for (TSketchFieldDescr descr : chosen->Table.Fields) {
                descr.Color = clWhite;  // the column's background; the plug-in's colour is not one
                all.append({descr, true});
            }
        ShowColumns(all);
    });
    connect(clbFields, &QListWidget::currentRowChanged, this, [this] { ShowCurrentField(); });
    connect(btnUp, &QPushButton::clicked, this, [this] { MoveCurrent(-1); });
    connect(btnDown, &QPushButton::clicked, this, [this] { MoveCurrent(1); });
    connect(btnClear, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < clbFields->count(); ++i) clbFields->item(i)->setCheckState(Qt::Unchecked);
    });
    connect(edCaption, &QLineEdit::textChanged, this, [this](const QString& text) {
        const int row = clbFields->currentRow();
        if (row < 0) return;
        FEntries[row].Name = text;
        clbFields->item(row)->setText(text);
    });
    connect(swFieldColor, &TColorSwatch::OnChangeColor, this, [this](TColor color) {
        if (const int row = clbFields->currentRow(); row >= 0) FEntries[row].Color = color;
    });
    connect(sePrecision, &QSpinBox::valueChanged, this, [this](int value) {
        if (const int row = clbFields->currentRow(); row >= 0) FEntries[row].Precision = value;
    });
}

const TSystemTable* TdlgSetupTable::ChosenTable() const {
    const int index = cbSource->currentIndex() - 1;
    return index >= 0 && index < FTables.size() ? &FTables.at(index) : nullptr;
}

void TdlgSetupTable::Fill(TPrintTable& table) { Fill(table, PluginManager()); }

void TdlgSetupTable::Fill(TPrintTable& table, const TPluginManager& manager) {
    FTables = SystemTableList(manager);
    FBoundColumns.clear();
    for (TPrintTableField* field : table.Fields())
        FBoundColumns.append({{field->FieldID(), field->Name(), quint16(field->DataType()), field->Precision(), field->Color()},
                              field->Visible()});
    FBoundIndex = 0;
    if (!table.TableName().isEmpty() || !table.BlockName().isEmpty()) {
        const auto bound = std::find_if(FTables.begin(), FTables.end(), [&](const TSystemTable& t) {
            return t.Table.SystemID == table.SystemID() && t.Table.TableName == table.TableName() &&
                   t.Table.BlockName == table.BlockName();
        });
        if (bound == FTables.end()) {
            // A table no plug-in offers now keeps its binding and its columns.
            TSketchTableDescr own{table.SystemID(), table.TableName(), table.BlockName(), {}};
            for (const TColumnEntry& column : FBoundColumns) own.Fields.append(column.Descr);
            FTables.append({table.SystemID(), table.SystemID(), own});
            FBoundIndex = int(FTables.size());
        } else {
            FBoundIndex = int(bound - FTables.begin()) + 1;
        }
    }
    {
        const QSignalBlocker quiet(cbSource);
        cbSource->clear();
        cbSource->addItem(NoSource);
        for (const TSystemTable& t : FTables) cbSource->addItem(t.Caption());
        cbSource->setCurrentIndex(FBoundIndex);
    }
    ShowColumns(FBoundColumns);

    cbGroup->clear();
    QStringList groups;
    if (auto* sketch = qobject_cast<TSketchDocument*>(table.GetDocument())) sketch->RegisterGroups(groups, true);
    cbGroup->addItems(groups);
    cbGroup->setCurrentText(table.Group());

    swHeaderColor->SetColor(table.HeaderColor());
    swFrameColor->SetColor(table.ExtPenColor());
    cbFrameWidth->setCurrentIndex(std::clamp(table.ExtPenWidth(), 1, 5) - 1);
    swGridColor->SetColor(table.IntPenColor());
    btnHeaderFont->SetFont(*table.HeaderFont());
    btnFont->SetFont(*table.Font());
    cbVertical->setChecked(table.Vertical());
    pcPages->setCurrentIndex(0);
}

void TdlgSetupTable::ShowColumns(const QList<TColumnEntry>& columns) {
    FEntries.clear();
    {
        const QSignalBlocker quiet(clbFields);
        clbFields->clear();
        for (const TColumnEntry& column : columns) {
            auto* item = new QListWidgetItem(column.Descr.Name, clbFields);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(column.Visible ? Qt::Checked : Qt::Unchecked);
            FEntries.append(column.Descr);
        }
        clbFields->setCurrentRow(FEntries.isEmpty() ? -1 : 0);
    }
    ShowCurrentField();
}

void TdlgSetupTable::ShowCurrentField() {
    const int row = clbFields->currentRow();
    gbField->setEnabled(row >= 0);
    btnUp->setEnabled(row > 0);
    btnDown->setEnabled(row >= 0 && row + 1 < clbFields->count());
    const QSignalBlocker quietCaption(edCaption), quietColor(swFieldColor), quietPrecision(sePrecision);
    const TSketchFieldDescr shown = row >= 0 ? FEntries.at(row) : TSketchFieldDescr{};
    edCaption->setText(shown.Name);
    swFieldColor->SetColor(row >= 0 ? shown.Color : clWhite);
    sePrecision->setValue(shown.Precision);
    lbPrecision->setVisible(row >= 0 && IsFloatDataType(shown.DataType));
    sePrecision->setVisible(lbPrecision->isVisibleTo(this));
}

void TdlgSetupTable::MoveCurrent(int step) {
    const int row = clbFields->currentRow(), to = row + step;
    if (row < 0 || to < 0 || to >= clbFields->count()) return;
    const QSignalBlocker quiet(clbFields);
    QListWidgetItem* item = clbFields->takeItem(row);
    clbFields->insertItem(to, item);
    FEntries.move(row, to);
    clbFields->setCurrentRow(to);
    ShowCurrentField();
}

void TdlgSetupTable::Validate() {
    const TSystemTable* chosen = ChosenTable();
    for (const TSketchFieldDescr& entry : FEntries) {
        const bool offered = chosen && std::any_of(chosen->Table.Fields.begin(), chosen->Table.Fields.end(),
                                                   [&](const TSketchFieldDescr& f) { return f.ID == entry.ID; });
        if (!offered) throw Exception(SNoFieldSource);
    }
}

void TdlgSetupTable::ApplyTo(TPrintTable& table) const {
    for (TPrintTableField* field : table.Fields()) delete field;
    for (int row = 0; row < FEntries.size(); ++row) {
        const TSketchFieldDescr& entry = FEntries.at(row);
        TPrintTableField* field = table.AddField(entry);
        field->SetColor(entry.Color);
        field->SetVisible(clbFields->item(row)->checkState() == Qt::Checked);
    }
    const TSystemTable* chosen = ChosenTable();
    table.SetBlockName(chosen ? chosen->Table.BlockName : QString());
    table.SetTableName(chosen ? chosen->Table.TableName : QString());
    table.SetSystemID(chosen ? chosen->Table.SystemID : QString());
    table.SetGroup(cbGroup->currentText());
    table.SetHeaderColor(swHeaderColor->Color());
    table.SetExtPenColor(swFrameColor->Color());
    table.SetExtPenWidth(cbFrameWidth->currentIndex() + 1);
    table.SetIntPenColor(swGridColor->Color());
    table.HeaderFont()->Assign(&btnHeaderFont->Font());
    table.Font()->Assign(&btnFont->Font());
    table.SetVertical(cbVertical->isChecked());
}

namespace {
const TItemSetupRegistration TableSetup(typeid(TPrintTable), [](TPrintItem& item, TRenderDevice*) {
    auto& table = static_cast<TPrintTable&>(item);
    auto& dialog = KeptDialog<TdlgSetupTable>();
    dialog.Fill(table);
    if (ShowModal(dialog) != mrOk) return false;
    dialog.ApplyTo(table);
    return true;
});
}  // namespace

}  // namespace Plotmere
