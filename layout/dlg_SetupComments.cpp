#include "dlg_SetupComments.h"

#include "CommonDialogs.h"
#include "Exceptions.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintComments.h"
#include "PrintLabels.h"
#include "SketchDoc.h"
#include "UIServices.h"
#include "dlg_SetupComment.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace Plotmere {

void AssignComment(TPrintComment& to, const TPrintComment& from) {
    to.SetID(from.ID());
    to.SetComment(from.Comment());
    to.SetFont(from.Font());
    to.SetClip(from.Clip());
    to.SetTextAngle(from.TextAngle());
    to.SetTextAlign(from.TextAlign());
    to.SetXOffset(from.XOffset());
    to.SetYOffset(from.YOffset());
}

TdlgSetupComments::TdlgSetupComments(QWidget* parent) : TLayoutSetupDialog(parent) {
    setWindowTitle(QStringLiteral("Настройка комментариев"));
    auto* layout = new QVBoxLayout(this);
    auto* body = new QGridLayout;
    sgComments = new QTableWidget(1, 2, this);
    sgComments->setHorizontalHeaderLabels({QStringLiteral("Привязка"), QStringLiteral("Текст")});
    sgComments->horizontalHeader()->setStretchLastSection(true);
    sgComments->verticalHeader()->hide();
    sgComments->verticalHeader()->setDefaultSectionSize(QFontMetrics(sgComments->font()).boundingRect(QStringLiteral("Wg")).height() + 4);
    sgComments->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgComments->setSelectionMode(QAbstractItemView::ContiguousSelection);
    sgComments->setEditTriggers(QAbstractItemView::NoEditTriggers);
    body->addWidget(sgComments, 0, 0, 8, 1);
    const auto button = [this](const QString& text, const QString& hint = QString()) {
        auto* b = new QPushButton(text, this);
        b->setToolTip(hint);
        return b;
    };
    btAdd = button(QStringLiteral("Добавить..."));
    btProps = button(QStringLiteral("Свойства..."));
    btFont = button(QStringLiteral("Шрифт..."));
    btOffset = button(QStringLiteral("Отступ..."));
    btDelete = button(QStringLiteral("Удалить"));
    btPaste = button(QStringLiteral("Вставка..."), QStringLiteral("Вставка из буфера обмена"));
    btCopy = button(QStringLiteral("Копировать"), QStringLiteral("Копирование в буфер обмена"));
    int row = 0;
    for (QPushButton* b : {btAdd, btProps, btFont, btOffset, btDelete, btPaste, btCopy}) body->addWidget(b, row++, 1);
    body->setRowStretch(row, 1);
    layout->addLayout(body);
    lbNote = new QLabel(QStringLiteral("Используйте Shift чтобы выбрать и настроить несколько комментариев одновременно"), this);
    lbNote->setWordWrap(true);
    layout->addWidget(lbNote);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // A failure inside a command is shown and leaves the list as it was.
    const auto guarded = [this](void (TdlgSetupComments::*command)()) {
        return [this, command] {
            try {
                (this->*command)();
            } catch (const std::exception& e) {
                UIServices().MessageDlg(ExceptionMessage(e), mtError, mbOK);
            }
            UpdateButtons();
        };
    };
    connect(btAdd, &QPushButton::clicked, this, guarded(&TdlgSetupComments::Add));
    connect(btProps, &QPushButton::clicked, this, guarded(&TdlgSetupComments::Properties));
    connect(btFont, &QPushButton::clicked, this, guarded(&TdlgSetupComments::ChooseFont));
    connect(btOffset, &QPushButton::clicked, this, guarded(&TdlgSetupComments::ChooseOffset));
    connect(btDelete, &QPushButton::clicked, this, guarded(&TdlgSetupComments::Delete));
    connect(btPaste, &QPushButton::clicked, this, guarded(&TdlgSetupComments::Paste));
    connect(btCopy, &QPushButton::clicked, this, guarded(&TdlgSetupComments::Copy));
    connect(sgComments, &QTableWidget::cellDoubleClicked, this, [this, props = guarded(&TdlgSetupComments::Properties)] {
        if (btProps->isEnabled()) props();
    });
    connect(sgComments, &QTableWidget::itemSelectionChanged, this, &TdlgSetupComments::UpdateButtons);
}

TdlgSetupComments::~TdlgSetupComments() = default;

bool TdlgSetupComments::TimeDocument() const {
    const auto* doc = FRoot ? qobject_cast<const TSketchDocument*>(FRoot->GetDocument()) : nullptr;
    return doc && doc->DataClass() == 0;
}

TDateTime TdlgSetupComments::Today() const {
    const TPrintDocument* doc = FRoot ? FRoot->GetDocument() : nullptr;
    return doc ? doc->ClockNow() : Now();
}

QString TdlgSetupComments::PositionText(double position) const {
    return TimeDocument() ? DateTimeToStr(position) : FormatFloat(QStringLiteral("0.##"), position);
}

void TdlgSetupComments::SetValues(TPrintCommentsRoot& root) {
    FRoot = &root;
    FList.clear();
    for (const TPrintComment* comment : root.Comments()) {
        auto copy = std::make_unique<TPrintComment>();
        AssignComment(*copy, *comment);
        FList.push_back(std::move(copy));
    }
    std::stable_sort(FList.begin(), FList.end(), [](const auto& a, const auto& b) { return a->YOffset() < b->YOffset(); });
    FillGrid();
    sgComments->setCurrentCell(0, 0);
    UpdateButtons();
}

void TdlgSetupComments::ApplyTo(TPrintCommentsRoot& root) const {
    for (TPrintComment* comment : root.Comments()) delete comment;
    for (const auto& copy : FList) AssignComment(*new TPrintComment(&root), *copy);
}

void TdlgSetupComments::Release() {
    FRoot = nullptr;
    FList.clear();
    FillGrid();
}

void TdlgSetupComments::FillGrid() {
    const int current = sgComments->currentRow();
    sgComments->clearContents();
    sgComments->setRowCount(std::max<int>(1, int(FList.size())));
    for (int i = 0; i < int(FList.size()); ++i) {
        sgComments->setItem(i, 0, new QTableWidgetItem(PositionText(FList[size_t(i)]->YOffset())));
        sgComments->setItem(i, 1, new QTableWidgetItem(FList[size_t(i)]->Comment()));
    }
    if (current >= 0) sgComments->setCurrentCell(std::min(current, sgComments->rowCount() - 1), 0);
}

void TdlgSetupComments::UpdateButtons() {
    const bool any = !FList.empty();
    btProps->setEnabled(any && SelectedRows().size() == 1);
    btFont->setEnabled(any);
    btOffset->setEnabled(any);
    btDelete->setEnabled(any);
    btCopy->setEnabled(any);
}

int TdlgSetupComments::CurrentRow() const {
    const int row = sgComments->currentRow();
    return row >= 0 && row < int(FList.size()) ? row : -1;
}

std::vector<int> TdlgSetupComments::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : sgComments->selectionModel()->selectedRows())
        if (index.row() < int(FList.size())) rows.push_back(index.row());
    if (rows.empty() && CurrentRow() >= 0) rows.push_back(CurrentRow());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TdlgSetupComments::Add() {
    auto& dialog = KeptDialog<TdlgSetupComment>();
    dialog.SetTemplateMode(false);
    auto comment = std::make_unique<TPrintComment>();
    if (const int row = CurrentRow(); row >= 0) {
        const QUuid id = comment->ID();
        AssignComment(*comment, *FList[size_t(row)]);
        comment->SetID(id);
    } else {
        if (const TFont* last = LastCommentFont()) comment->Font()->Assign(last);
        // A first comment starts at the top of the document's range.
        if (const auto* doc = qobject_cast<const TSketchDocument*>(FRoot ? FRoot->GetDocument() : nullptr))
            comment->SetYOffset(doc->Min());
    }
    dialog.SetValues(*comment, TimeDocument(), Today());
    if (ShowModal(dialog) != mrOk) return;
    dialog.GetValues(*comment);
    FList.push_back(std::move(comment));
    FillGrid();
    sgComments->setCurrentCell(int(FList.size()) - 1, 0);
}

void TdlgSetupComments::Properties() {
    const int row = CurrentRow();
    if (row < 0) return;
    auto& dialog = KeptDialog<TdlgSetupComment>();
    dialog.SetTemplateMode(false);
    dialog.SetValues(*FList[size_t(row)], TimeDocument(), Today());
    if (ShowModal(dialog) != mrOk) return;
    dialog.GetValues(*FList[size_t(row)]);
    FillGrid();
}

void TdlgSetupComments::ChooseFont() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    TFontDialog dialog;
    dialog.TakeFrom(*FList[size_t(CurrentRow() >= 0 ? CurrentRow() : rows.front())]->Font());
    if (!dialog.Execute()) return;
    for (const int row : rows) dialog.ApplyTo(*FList[size_t(row)]->Font());
}

void TdlgSetupComments::ChooseOffset() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    QString value = FloatToStr(FList[size_t(CurrentRow() >= 0 ? CurrentRow() : rows.front())]->XOffset());
    if (!UIServices().InputQuery(QStringLiteral("Ввод отступа комментариев"), QStringLiteral("Отступ (мм):"), value)) return;
    const double offset = StrToFloat(value);
    for (const int row : rows) FList[size_t(row)]->SetXOffset(offset);
}

void TdlgSetupComments::Delete() {
    const std::vector<int> rows = SelectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) FList.erase(FList.begin() + *it);
    sgComments->clearSelection();
    FillGrid();
}

void TdlgSetupComments::Copy() {
    QStringList lines;
    for (const int row : SelectedRows())
        lines << PositionText(FList[size_t(row)]->YOffset()) + QLatin1Char('\t') + FList[size_t(row)]->Comment();
    if (!lines.isEmpty()) UIServices().Clipboard().SetAsText(lines.join(QStringLiteral("\r\n")));
}

void TdlgSetupComments::Paste() {
    const QString text = UIServices().Clipboard().AsText();
    if (text.isEmpty() || !FRoot) return;
    auto& dialog = KeptDialog<TdlgSetupComment>();
    dialog.SetTemplateMode(true);
    const int result = ShowModal(dialog);
    if (result == mrOk) {
        QList<TPrintItem*> objects;
        FRoot->TryConvertTextToObjects(text, objects);
        for (TPrintItem* object : objects) {
            std::unique_ptr<TPrintItem> owned(object);
            auto* comment = qobject_cast<TPrintComment*>(object);
            if (!comment) continue;
            dialog.GetValues(*comment);
            owned.release();
            FList.emplace_back(comment);
        }
        FillGrid();
    }
    dialog.SetTemplateMode(false);
}

namespace {
bool SetupComments(TPrintItem& item, TRenderDevice*) {
    auto& root = static_cast<TPrintCommentsRoot&>(item);
    auto& dialog = KeptDialog<TdlgSetupComments>();
    dialog.SetValues(root);
    const bool ok = ShowModal(dialog) == mrOk;
    if (ok) dialog.ApplyTo(root);
    dialog.Release();
    return ok;
}

const TItemSetupRegistration CommentsSetup(typeid(TPrintCommentsRoot), SetupComments);
}  // namespace

}  // namespace Plotmere
