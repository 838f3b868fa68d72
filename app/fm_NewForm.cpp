#include "fm_NewForm.h"

#include "FormIcons.h"
#include "FormsHost.h"
#include "GroupedIconList.h"
#include "ModalDialogs.h"
#include "WKConsts.h"
#include "WKSensGrid.h"
#include "fm_DigitalView.h"
#include "fm_RealtimeChart.h"
#include "fm_TabbedForm.h"
#include "fm_WKComplexForm.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
struct TBuiltIn {
    TfmNewForm::TEntryKind Kind;
    const char* Caption;
    TfmNewForm::TGroup Group;
};
const TBuiltIn BuiltIns[] = {
    {TfmNewForm::nfChartTime, "Простая форма по времени", TfmNewForm::grWatch},
    {TfmNewForm::nfChartDepth, "Простая форма по глубине", TfmNewForm::grWatch},
    {TfmNewForm::nfGridTime, "Таблица по времени", TfmNewForm::grWatch},
    {TfmNewForm::nfGridDepth, "Таблица по глубине", TfmNewForm::grWatch},
    {TfmNewForm::nfComplex, "Составная форма из файла", TfmNewForm::grWatch},
    {TfmNewForm::nfReviewTime, "Просмотр записи по времени", TfmNewForm::grReview},
    {TfmNewForm::nfReviewDepth, "Просмотр записи по глубине", TfmNewForm::grReview},
    {TfmNewForm::nfTabsTime, "Вкладки по времени", TfmNewForm::grWatch},
    {TfmNewForm::nfTabsDepth, "Вкладки по глубине", TfmNewForm::grWatch},
};
// The images of template entries: a user form file, or any other form file.
constexpr int ComplexTemplateImage = 4;
constexpr int OtherTemplateImage = 8;
}  // namespace

TfmNewForm::TfmNewForm(bool withReview, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Новая форма"));
    auto* label = new QLabel(QStringLiteral("Название формы"), this);
    leName = new QLineEdit(this);
    leName->setObjectName(QStringLiteral("leName"));
    label->setBuddy(leName);
    lvForms = new TGroupedIconList();
    lvForms->setObjectName(QStringLiteral("lvForms"));
    lvForms->SetGroups({QStringLiteral("Наблюдение"), QStringLiteral("Просмотр"),
                        QStringLiteral("Комбинированные формы"), QStringLiteral("Готовые шаблоны")});
    lvForms->SetImages(MonitoringFormIcons());
    lvForms->SetSpacing(100, 80);
    for (const TBuiltIn& b : BuiltIns) {
        if (!withReview && b.Group == grReview) continue;
        lvForms->AddEntry({QString::fromUtf8(b.Caption), b.Group, int(b.Kind), int(b.Kind)});
    }
    AddTemplates();
    lvForms->SetSelected(0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(lvForms);
    scroll->setWidgetResizable(true);
    scroll->setMinimumSize(440, 300);

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    btnOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lvForms, &TGroupedIconList::EntryDoubleClicked, this, [this] {
        if (lvForms->Selected() >= 0) btnOK->click();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(leName);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
    resize(480, 440);
}

QString TfmNewForm::TemplatesFolder() { return GetHomePath() + QStringLiteral("Templates/"); }

void TfmNewForm::AddTemplates() {
    // No folder, no templates: the built-in entries alone.
    const QFileInfoList files = QDir(TemplatesFolder()).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& f : files) {
        const int i = FFiles.size();
        FFiles << f.absoluteFilePath();
        const bool complex = QStringLiteral(".") + f.suffix().toUpper() == QStringLiteral(".WKF");
        lvForms->AddEntry({f.completeBaseName(), grTemplates, complex ? ComplexTemplateImage : OtherTemplateImage,
                           nfFirstTemplate + i});
    }
}

int TfmNewForm::SelectedIndex() const {
    const int selected = lvForms->Selected();
    return selected >= 0 ? lvForms->Entry(selected).Data : -1;
}

QString TfmNewForm::SelectedCaption() const {
    const int selected = lvForms->Selected();
    return selected >= 0 ? lvForms->Entry(selected).Caption : QString();
}

QString TfmNewForm::GetSelectedFile() const {
    const int index = SelectedIndex();
    return index >= nfFirstTemplate ? FFiles.value(index - nfFirstTemplate) : QString();
}

QString TfmNewForm::FormName() const {
    return leName->text().isEmpty() ? SelectedCaption() : leName->text();
}

bool TfmNewForm::SelectCaption(const QString& caption) {
    const int index = lvForms->FindCaption(caption);
    lvForms->SetSelected(index);
    return index >= 0;
}

void NewFormCommand(IWKFormsHost& host) {
    const TFormKindHooks& hooks = FormKindHooks();
    TfmNewForm gallery(bool(hooks.CreateReviewForm), host.HostWindow());
    if (ShowModal(gallery) != mrOk) return;
    const int index = gallery.SelectedIndex();
    if (index < 0) return;
    const QString name = gallery.FormName();
    const QRect main = host.HostBounds();
    const int below = main.top() + main.height();
    switch (index) {
    case TfmNewForm::nfChartTime:
    case TfmNewForm::nfChartDepth: {
        TfmRealtimeChart* form =
            TfmRealtimeChart::CreateWithChart(nullptr, index == TfmNewForm::nfChartTime, name, below + 1);
        form->ShowForm();
        if (hooks.AddChartSeries) hooks.AddChartSeries(form->Chart());
        break;
    }
    case TfmNewForm::nfGridTime:
    case TfmNewForm::nfGridDepth: {
        auto* form = new TfmDigitalView();
        TSensGrid* grid = form->CreateGrid();
        grid->SetIsDateTime(index == TfmNewForm::nfGridTime);
        form->SetShortCaption(name);
        form->ShowForm();
        grid->AddToPosition(0);
        break;
    }
    case TfmNewForm::nfComplex: {
        QString file;
        if (!host.ChooseComplexFormFile(file)) break;
        TfmWKComplexForm* form = TfmWKComplexForm::CreateFromFile(nullptr, file);
        form->SetShortCaption(name);
        form->ShowForm();
        break;
    }
    case TfmNewForm::nfReviewTime:
    case TfmNewForm::nfReviewDepth: {
        TBaseMDIForm* form = hooks.CreateReviewForm(index == TfmNewForm::nfReviewTime);
        form->SetTop(below);
        form->SetShortCaption(name);
        form->ShowForm();
        break;
    }
    case TfmNewForm::nfTabsTime:
    case TfmNewForm::nfTabsDepth: {
        auto* form = new TfmTabbedForm();
        form->SetIsDateTime(index == TfmNewForm::nfTabsTime);
        form->TabsAddClick(nullptr);
        form->SetShortCaption(name);
        form->ShowForm();
        break;
    }
    default:
        host.OpenFile(gallery.GetSelectedFile());
        break;
    }
    host.ApplyActiveFormRule();
}
