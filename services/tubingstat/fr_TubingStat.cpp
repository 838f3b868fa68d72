#include "fr_TubingStat.h"

#include "ComponentStreaming.h"
#include "DBGrids.h"
#include "Menus.h"
#include "ModalDialogs.h"
#include "StringGrid.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "dlg_SetupTubingStatFrame.h"
#include "dlg_TubingStatEdit.h"
#include "dm_TubingStat.h"
#include "fr_Align.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QTimer>
#include <QToolBar>

namespace {
const char* const kColumns[] = {"STARTTIME",       "SENSORDEPTH",        "RUNNO",          "ITEMNO",
                                "SUBITEMNO",       "VSL_ISBHA",          "ITEMMODEL",      "SURVEYDEPTH",
                                "SUMWEIGHT",       "VSL_COMMONTIME",     "VSL_MUDCIRCULATIONTIME",
                                "VSL_DRILLTIME",   "VSL_SLIDEDRILLTIME", "VSL_ROTARYDRILLTIME",
                                "VSL_CONNECTIONTIME", "VSL_PULLOUTTIME", "VSL_RUNINTIME"};
const char* const kTitles[] = {"Начало",          "Глубина",        "№ рейса",         "№ элемента",
                               "№ сегмента",      "КНБК",           "Типоразмер",      "Глубина по свечам",
                               "Суммарный вес",   "Общее время",    "Циркуляция",      "Бурение",
                               "Бурение слайдом", "Бурение ротором", "Наращивание",    "Подъём",
                               "Спуск"};
constexpr int kUpdateInterval = 500;  // ms between command updates while shown
}  // namespace

TfrTubingStat::TfrTubingStat(QObject* owner) : TControl(owner) {
    SetState(TComponentStateItem::csInline, true);
    SetBounds(0, 0, 640, 240);
    dsrcTubingStat = new TDataSource(this);
    dsrcTubingStat->SetName(QStringLiteral("dsrcTubingStat"));
    dsrcTubingStat->OnDataChange = [this](TField* f) { dsrcTubingStatDataChange(f); };

    auto action = [this](const QString& caption, const QString& hint, std::function<void()> run) {
        auto* a = new QAction(caption, this);
        a->setToolTip(hint);
        a->setStatusTip(hint);
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, [this, run = std::move(run)] {
            try {
                run();
            } catch (const std::exception& e) {
                DebugLog(QStringLiteral("TfrTubingStat.ActionExecute: %1").arg(QString::fromUtf8(e.what())));
            }
        });
        return a;
    };
    actCopy = action("Копировать", "Копировать строку", [] {
        if (dmTubingStat()) dmTubingStat()->CopyToClipboard(false);
    });
    actCopyAll = action("Копировать всё", "Копировать все", [] {
        if (dmTubingStat()) dmTubingStat()->CopyToClipboard(true);
    });
    actCopyAllTubing = action("Копировать по свечам", "Копировать сумму по свечам", [] {
        if (dmTubingStat()) dmTubingStat()->CopyTubingsToClipboard();
    });
    actEdit = action("Редактировать", "Редактировать строку", [this] { actEditExecute(); });
    actDelete = action("Удалить", "Удалить строку", [this] { actDeleteExecute(); });

    // The tool bar stands in a strip of its own above the grid.
    auto* bar = new TControl(this);
    bar->SetParentWidget(this);
    bar->SetAlign(alTop);
    bar->SetHeight(26);
    tbStat = new QToolBar(bar);
    tbStat->setGeometry(0, 0, 600, 26);
    tbStat->setIconSize(QSize(16, 16));
    tbStat->addAction(actCopy);
    tbStat->addAction(actCopyAll);
    tbStat->addAction(actCopyAllTubing);
    tbStat->addSeparator();
    tbStat->addAction(actEdit);
    tbStat->addAction(actDelete);

    pmTubingStat = new TPopupMenu(this);
    pmTubingStat->SetName(QStringLiteral("pmTubingStat"));
    QMenu* menu = pmTubingStat->Menu();
    menu->addAction(actEdit);
    menu->setDefaultAction(actEdit);
    menu->addAction(actCopy);
    menu->addAction(actCopyAll);
    menu->addAction(actCopyAllTubing);
    menu->addSeparator();
    QAction* deleteItem = menu->addAction(QStringLiteral("Удалить..."));
    connect(deleteItem, &QAction::triggered, actDelete, &QAction::trigger);
    connect(actDelete, &QAction::changed, deleteItem, [deleteItem, this] { deleteItem->setEnabled(actDelete->isEnabled()); });
    deleteItem->setEnabled(false);

    CreateGrids();
    BindDataSet();
    UpdateSumLinks();
    ActionUpdate();
    FUpdateTimer = new QTimer(this);
    FUpdateTimer->setInterval(kUpdateInterval);
    connect(FUpdateTimer, &QTimer::timeout, this, [this] {
        if (isVisible()) ActionUpdate();
    });
    FUpdateTimer->start();
}

TfrTubingStat::~TfrTubingStat() {
    FTubingSumTimingIndexs.clear();
    DestroyComponent();
}

void TfrTubingStat::CreateGrids() {
    grTubingStat = new TDBGrid(this);
    grTubingStat->SetName(QStringLiteral("grTubingStat"));
    grTubingStat->SetParentWidget(this);
    SetupGrid();
    const QFontMetrics metrics(grTubingStat->font());
    for (size_t i = 0; i < std::size(kColumns); ++i) {
        auto* c = qobject_cast<TColumn*>(grTubingStat->Columns()->Add());
        c->SetFieldName(QString::fromLatin1(kColumns[i]));
        const int text = metrics.horizontalAdvance(i == 0 ? QStringLiteral("00.00.0000 00:00:00") : QString::fromUtf8(kTitles[i]));
        c->SetWidth(std::max(i == 6 ? 110 : 64, text + 10));
    }
    sgSumTimings = new TStringGrid(this);
    sgSumTimings->SetName(QStringLiteral("sgSumTimings"));
    sgSumTimings->SetParentWidget(this);
    SetupStrip();
}

void TfrTubingStat::SetupGrid() {
    grTubingStat->SetAlign(alClient);
    grTubingStat->SetReadOnly(true);
    grTubingStat->SetDBOptions(grTubingStat->DBOptions() | TDBGrid::dgRowSelect | TDBGrid::dgAlwaysShowSelection);
    grTubingStat->SetDataSource(dsrcTubingStat);
    // The menu belongs to the frame, not to the stored grid: it is opened here.
    grTubingStat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grTubingStat, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        ActionUpdate();
        pmTubingStat->Popup(grTubingStat, grTubingStat->mapToGlobal(pos));
    });
}

void TfrTubingStat::SetupStrip() {
    sgSumTimings->SetAlign(alBottom);
    sgSumTimings->SetHeight(20);
    sgSumTimings->SetRowCount(1);
    sgSumTimings->SetFixedRows(0);
    if (sgSumTimings->ColCount() > 0) sgSumTimings->SetFixedCols(0);
    sgSumTimings->SetDefaultRowHeight(18);
    sgSumTimings->SetEnabled(false);
    sgSumTimings->SetHint(QStringLiteral("Суммарная статистика по свечам"));
    sgSumTimings->SetShowHint(true);
    sgSumTimings->Font()->SetStyle(sgSumTimings->Font()->Style() | TFont::fsBold);
}

void TfrTubingStat::BindDataSet() {
    TDataSet* want = dmTubingStat() ? &dmTubingStat()->dsTubingStat : nullptr;
    if (dsrcTubingStat->DataSet() != want) dsrcTubingStat->SetDataSet(want);
}

void TfrTubingStat::SetCtl3D(bool v) {
    FCtl3D = v;
    if (grTubingStat) grTubingStat->SetBorderStyle(v ? TCustomGrid::bsSingle : TCustomGrid::bsNone);
}

void TfrTubingStat::UpdateSumLinks() {
    if (sgSumTimings) sgSumTimings->SetSelection(-1, -1);
    if (dmTubingStat() && grTubingStat && sgSumTimings) {
        const int n = grTubingStat->Columns()->Count();
        sgSumTimings->SetColCount(std::max(1, n));
        if (sgSumTimings->FixedCols() != 0) sgSumTimings->SetFixedCols(0);
        FTubingSumTimingIndexs.assign(size_t(n), -1);
        for (int i = 0; i < n; ++i) {
            sgSumTimings->SetColWidths(i, grTubingStat->ColWidths(i));
            const TField* f = grTubingStat->Column(i)->Field();
            FTubingSumTimingIndexs[size_t(i)] = f ? f->Tag : TdmTubingStat::SumIndex(grTubingStat->Column(i)->FieldName());
        }
        dsrcTubingStatDataChange(nullptr);
    }
    if (grTubingStat) {
        grTubingStat->OnColumnMoved = [this](int, int) { grTubingStatColumnMoved(); };
        grTubingStat->OnDblClick = [this] { grTubingStatDblClick(); };
        grTubingStat->OnDrawColumnCell = [this](const QRect&, int, TColumn*) { SetLeftVisibleGridCol(); };
        grTubingStat->OnMouseUp = [this](Qt::MouseButton, const QPoint&) { grTubingStatMouseUp(); };
    }
}

void TfrTubingStat::dsrcTubingStatDataChange(TField* Field) {
    TdmTubingStat* m = dmTubingStat();
    if (!m || !sgSumTimings || !grTubingStat || FTubingSumTimingIndexs.empty()) return;
    if (Field && Field->Tag != 7) return;
    for (size_t i = 0; i < FTubingSumTimingIndexs.size(); ++i) {
        sgSumTimings->SetCells(int(i), 0, m->GetSumTiming(FTubingSumTimingIndexs[i]));
        sgSumTimings->SetColWidths(int(i), grTubingStat->ColWidths(int(i)));
    }
}

void TfrTubingStat::grTubingStatColumnMoved() {
    TdmTubingStat* m = dmTubingStat();
    const int n = grTubingStat->Columns()->Count();
    FTubingSumTimingIndexs.assign(size_t(n), -1);
    for (int i = 0; i < n; ++i) {
        sgSumTimings->SetColWidths(i, grTubingStat->ColWidths(i));
        const TField* f = grTubingStat->Column(i)->Field();
        FTubingSumTimingIndexs[size_t(i)] = f ? f->Tag : TdmTubingStat::SumIndex(grTubingStat->Column(i)->FieldName());
        sgSumTimings->SetCells(i, 0, m ? m->GetSumTiming(FTubingSumTimingIndexs[size_t(i)]) : QString());
    }
}

void TfrTubingStat::grTubingStatMouseUp() {
    try {
        for (int i = 0; i < grTubingStat->ColCount() && i < sgSumTimings->ColCount(); ++i)
            sgSumTimings->SetColWidths(i, grTubingStat->ColWidths(i));
    } catch (const std::exception&) {
    }
}

void TfrTubingStat::SetLeftVisibleGridCol() {
    if (sgSumTimings && grTubingStat && sgSumTimings->LeftCol() != grTubingStat->LeftCol())
        sgSumTimings->SetLeftCol(grTubingStat->LeftCol());
}

void TfrTubingStat::grTubingStatDblClick() {
    ActionUpdate();
    if (actEdit->isEnabled()) actEdit->trigger();
}

void TfrTubingStat::ActionUpdate() {
    BindDataSet();
    const TdmTubingStat* m = dmTubingStat();
    const bool on = m && m->dsTubingStat.Active() && !m->dsTubingStat.IsEmpty();
    for (QAction* a : {actCopy, actCopyAll, actCopyAllTubing, actEdit, actDelete}) a->setEnabled(on);
    // The sums grow while acquiring: the strip shows them as they stand.
    if (on) dsrcTubingStatDataChange(nullptr);
}

void TfrTubingStat::actEditExecute() {
    if (!FEditDialog) FEditDialog = new TdlgTubingStatEdit(QApplication::activeWindow());
    FEditDialog->setResult(0);
    FEditDialog->GetCurrRecordFromDB();
    ShowModal(*FEditDialog);
}

void TfrTubingStat::actDeleteExecute() {
    if (MessageDlg(QStringLiteral("Вы действительно хотите удалить запись статистики?"), mtConfirmation, mbOK | mbCancel) !=
        mrOk)
        return;
    if (dmTubingStat()) dmTubingStat()->DeleteCurrRecord();
}

void TfrTubingStat::Setup() {
    TdlgSetupTubingStatFrame dlg;
    dlg.cbBeveled->setChecked(Ctl3D());
    dlg.frAlign->SetCtlAlign(Align());
    if (ShowModal(dlg) != mrOk) return;
    SetCtl3D(dlg.cbBeveled->isChecked());
    SetAlign(dlg.frAlign->GetCtlAlign());
}

void TfrTubingStat::GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) {
    Q_UNUSED(root);
    if (grTubingStat) proc(grTubingStat);
    if (sgSumTimings) proc(sgSumTimings);
}

void TfrTubingStat::DefineProperties(TFiler& filer) {
    TControl::DefineProperties(filer);
    if (filer.Writing()) return;
    // ReadState: the stored grid and strip are read in place of the frame's own.
    delete grTubingStat;
    grTubingStat = nullptr;
    delete sgSumTimings;
    sgSumTimings = nullptr;
}

void TfrTubingStat::Loaded() {
    TControl::Loaded();
    if (!grTubingStat) grTubingStat = FindComponentAs<TDBGrid>(QStringLiteral("grTubingStat"));
    if (!sgSumTimings) sgSumTimings = FindComponentAs<TStringGrid>(QStringLiteral("sgSumTimings"));
    if (!grTubingStat || !sgSumTimings) {
        delete grTubingStat;
        delete sgSumTimings;
        CreateGrids();
    } else {
        SetupGrid();
        SetupStrip();
    }
    SetCtl3D(FCtl3D);
    BindDataSet();
    grTubingStat->DataChanged();
    UpdateSumLinks();
    Realign();
}
