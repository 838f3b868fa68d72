// The statistics frame and its edit dialog offscreen, every dialog scripted
// through the UI services, on the embedded well database.
#include "TubingStatSupport.h"

#include "DBGrids.h"
#include "DebugOutput.h"
#include "Forms.h"
#include "Menus.h"
#include "ModalDialogs.h"
#include "Numfield.h"
#include "StringGrid.h"
#include "WKFormText.h"
#include "dlg_SetupTubingStatFrame.h"
#include "dlg_TubingStatEdit.h"
#include "fr_Align.h"
#include "fr_TubingStat.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTimeEdit>
#include <QPushButton>

namespace {

class TubingStatFrame : public TubingStatFixture {
protected:
    // Three rows: elements 1 and 2 with drilling and common hours, and an assembly row.
    void ThreeRows() {
        RunSql({"insert into TUBINGSTAT (WELLID, STARTTIME, RUNNO, ITEMNO, SUBITEMNO, ISBHA, ITEMMODEL, SUMWEIGHT, "
                "SURVEYDEPTH, SENSORDEPTH, COMMONTIME, DRILLTIME) values (1, timestamp '2026-12-08 06:00:00', 1, 1, 0, 0, "
                "'ТБПК-127', 300, 9.5, 100, 1.5, 1)",
                "insert into TUBINGSTAT (WELLID, STARTTIME, RUNNO, ITEMNO, SUBITEMNO, ISBHA, ITEMMODEL, SUMWEIGHT, "
                "COMMONTIME, DRILLTIME) values (1, timestamp '2026-12-08 07:30:00', 1, 2, 0, 0, 'ТБПК-127', 600, 0.25, 0)",
                "insert into TUBINGSTAT (WELLID, STARTTIME, RUNNO, ISBHA, ITEMMODEL, SUMWEIGHT, COMMONTIME) values (1, "
                "timestamp '2026-12-08 08:00:00', 1, 1, 'Долото', 0, 2)"});
    }
    std::unique_ptr<TfrTubingStat> Frame() {
        auto f = std::make_unique<TfrTubingStat>();
        f->resize(900, 300);
        f->ActionUpdate();
        return f;
    }
    int Column(TfrTubingStat& f, const QString& field) {
        for (int i = 0; i < f.grTubingStat->Columns()->Count(); ++i)
            if (f.grTubingStat->Column(i)->FieldName() == field) return i;
        return -1;
    }
    void SaveImage(QWidget& w, const QString& name) {
        const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS");
        if (dir.isEmpty()) return;
        QDir().mkpath(dir);
        w.grab().save(dir + "/" + name + ".png");
    }
    static QList<QAction*> Actions(TfrTubingStat& f) {
        return {f.actCopy, f.actCopyAll, f.actCopyAllTubing, f.actEdit, f.actDelete};
    }
};

TEST_F(TubingStatFrame, ColumnsRowsAndSums) {
    ThreeRows();
    Start();
    auto f = Frame();
    TDBGrid& g = *f->grTubingStat;
    const QStringList titles{"Начало", "Глубина", "№ рейса", "№ элемента", "№ сегмента", "КНБК", "Типоразмер",
                             "Глубина по свечам", "Суммарный вес", "Общее время", "Циркуляция", "Бурение",
                             "Бурение слайдом", "Бурение ротором", "Наращивание", "Подъём", "Спуск"};
    ASSERT_EQ(g.Columns()->Count(), 17);
    for (int i = 0; i < 17; ++i) EXPECT_EQ(g.Column(i)->TitleText(), titles[i]) << i;
    ASSERT_EQ(g.DataRowCount(), 3);
    EXPECT_EQ(g.CellText(0, 0), "08.12.2026 06:00:00");
    EXPECT_EQ(g.CellText(1, 0), "100");
    EXPECT_EQ(g.CellText(7, 0), "9.5");
    EXPECT_EQ(g.CellText(9, 0), "1:30:00");
    EXPECT_EQ(g.CellText(5, 2), "Да");
    EXPECT_EQ(g.CellText(3, 2), "");
    // The strip: each time column's sum under it, nothing under the others.
    TStringGrid& s = *f->sgSumTimings;
    EXPECT_EQ(s.ColCount(), 17);
    EXPECT_EQ(s.Cells(9, 0), "3:45:00");
    EXPECT_EQ(s.Cells(11, 0), "1:00:00");
    EXPECT_EQ(s.Cells(16, 0), "0:00:00");
    EXPECT_EQ(s.Cells(0, 0), "");
    EXPECT_EQ(s.Cells(6, 0), "");
    for (int i = 0; i < 17; ++i) EXPECT_EQ(s.ColWidths(i), g.ColWidths(i)) << i;
    for (QAction* a : Actions(*f)) EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    EXPECT_EQ(f->pmTubingStat->DefaultItem(), f->actEdit);
    SaveImage(*f, "TubingStatFrame");

    // A moved column carries its sum; a resize reaches the strip on mouse-up.
    g.MoveColumn(9, 0);
    EXPECT_EQ(g.Column(0)->FieldName(), "VSL_COMMONTIME");
    EXPECT_EQ(s.Cells(0, 0), "3:45:00");
    EXPECT_EQ(s.Cells(1, 0), "");
    EXPECT_EQ(g.CellText(0, 0), "1:30:00");
    g.SetColWidths(3, 150);
    f->grTubingStatMouseUp();
    EXPECT_EQ(s.ColWidths(3), 150);
    // Scrolling sideways scrolls the strip once the grid paints.
    g.SetLeftCol(5);
    f->grab();
    EXPECT_EQ(s.LeftCol(), 5);
    // The sums grow with every step the service accounts (eleven here), written or not.
    Run(3, 1000, 12);
    f->ActionUpdate();
    EXPECT_EQ(s.Cells(0, 0), "3:45:11");
}

TEST_F(TubingStatFrame, WithoutTheModuleEverythingIsDisabled) {
    ThreeRows();
    auto f = Frame();
    EXPECT_EQ(f->grTubingStat->DataRowCount(), 0);
    for (QAction* a : Actions(*f)) EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    f->grTubingStatDblClick();
    EXPECT_TRUE(UI->ShownDialogs.isEmpty());
    // The module that comes later is found, and going again leaves the frame empty.
    Start();
    f->ActionUpdate();
    EXPECT_EQ(f->grTubingStat->DataRowCount(), 3);
    EXPECT_TRUE(f->actEdit->isEnabled());
    Service.reset();
    f->ActionUpdate();
    EXPECT_EQ(f->grTubingStat->DataRowCount(), 0);
    for (QAction* a : Actions(*f)) EXPECT_FALSE(a->isEnabled());
}

TEST_F(TubingStatFrame, CopiesAndDeleteGoThroughTheUIServices) {
    ThreeRows();
    Start();
    auto f = Frame();
    f->actCopy->trigger();
    EXPECT_EQ(UI->ClipboardData.AsText().count("\r\n"), 2);
    f->actCopyAll->trigger();
    EXPECT_EQ(UI->ClipboardData.AsText().count("\r\n"), 4);
    f->actCopyAllTubing->trigger();
    EXPECT_EQ(UI->ClipboardData.AsText().count("\r\n"), 3);  // stands 1 and 2

    UI->MessageResults = {mrCancel};
    f->actDelete->trigger();
    EXPECT_EQ(Stored().size(), 3u);
    EXPECT_EQ(UI->Messages.value(0), "Вы действительно хотите удалить запись статистики?");
    dmTubingStat()->dsTubingStat.First();
    UI->MessageResults = {mrOk};
    f->actDelete->trigger();
    ASSERT_EQ(Stored().size(), 2u);
    EXPECT_EQ(Stored()[0].ItemNo, QVariant(2));
    EXPECT_EQ(f->grTubingStat->DataRowCount(), 2);
    EXPECT_EQ(f->sgSumTimings->Cells(9, 0), "2:15:00");
}

// A cell of the time grid (column -1: both numbers) filled with a text, and the message OK gives.
struct TEditCase {
    const char* Name;
    int Col, Row;
    const char* Text;
    const char* Message;
};

TEST_F(TubingStatFrame, EditChecksKeepTheDialogOpenAndWriteNothing) {
    ThreeRows();
    Start();
    auto f = Frame();
    const TEditCase cases[] = {
        {"minutes 60", 2, 3, "60", "Значение параметра \"минуты\" для операции \"Бурение\" должно быть >= 0 и < 60"},
        {"hours -1", 1, 1, "-1", "Значение параметра \"часы\" для операции \"Общее время\" должно быть >= 0"},
        {"seconds not a number", 3, 8, "x", "Значение параметра \"секунды\" для операции \"Спуск\" должно быть числом"},
        {"hours not whole", 1, 2, "1.5", "Значение параметра \"часы\" для операции \"Циркуляция\" должно быть числом"},
        {"both numbers 0", -1, -1, "", "Неверный номер свечи или трубки"},
    };
    const auto before = Stored();
    for (const TEditCase& c : cases) {
        SCOPED_TRACE(c.Name);
        UI->Messages.clear();
        bool stayedOpen = false;
        UI->ScriptDialogOnce("TdlgTubingStatEdit", [&](QObject* o) {
            auto* d = static_cast<TdlgTubingStatEdit*>(o);
            if (c.Col < 0) {
                d->neItemNo->setText("0");
                d->neSubItemNo->setText("0");
            } else {
                d->sgTimings->SetCells(c.Col, c.Row, QString::fromUtf8(c.Text));
            }
            d->btnOK->click();
            stayedOpen = DialogResult(*d) == mrCancel;
            if (c.Col >= 0) EXPECT_EQ(d->sgTimings->Col(), c.Col);
            d->btnCancel->click();
            return DialogResult(*d);
        });
        dmTubingStat()->dsTubingStat.First();
        f->actEdit->trigger();
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(UI->Messages, QStringList{QString::fromUtf8(c.Message)});
    }
    const auto after = Stored();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].Times, before[i].Times);
    // A number field's own limit.
    UI->Messages.clear();
    UI->ScriptDialogOnce("TdlgTubingStatEdit", [&](QObject* o) {
        auto* d = static_cast<TdlgTubingStatEdit*>(o);
        d->neItemNo->setText("301");
        d->btnOK->click();
        d->btnCancel->click();
        return DialogResult(*d);
    });
    f->actEdit->trigger();
    ASSERT_EQ(UI->Messages.size(), 1);
    EXPECT_TRUE(UI->Messages[0].contains("300"));
}

TEST_F(TubingStatFrame, EditShowsAndSavesTheRow) {
    ThreeRows();
    Start();
    auto f = Frame();
    QStringList shown;
    UI->ScriptDialogOnce("TdlgTubingStatEdit", [&](QObject* o) {
        auto* d = static_cast<TdlgTubingStatEdit*>(o);
        for (int c = 1; c <= 3; ++c) shown << d->sgTimings->Cells(c, 1);
        shown << d->neItemNo->text() << d->neSubItemNo->text() << d->edItemModel->text() << d->neSurveyDepth->text()
              << d->dtpStartTime->time().toString("HH:mm:ss");
        d->sgTimings->SetCells(2, 7, "15");  // pulling out: 15 minutes
        d->btnOK->click();
        return DialogResult(*d);
    });
    dmTubingStat()->dsTubingStat.First();
    f->grTubingStatDblClick();
    EXPECT_EQ(shown, QStringList({"01", "30", "00", "1", "0", "ТБПК-127", "9.5", "06:00:00"}));
    EXPECT_TRUE(UI->Messages.isEmpty());
    auto rows = Stored();
    EXPECT_EQ(rows[0].Times[0], 1.5);  // saved back exactly
    EXPECT_EQ(rows[0].Times[2], 1.0);
    EXPECT_EQ(rows[0].Times[6], 0.25);
    EXPECT_EQ(f->sgSumTimings->Cells(15, 0), "0:15:00");

    // The assembly flag: numbers put aside and back, saved as empty numbers.
    UI->ScriptDialogOnce("TdlgTubingStatEdit", [&](QObject* o) {
        auto* d = static_cast<TdlgTubingStatEdit*>(o);
        d->cbIsBHA->setChecked(true);
        EXPECT_EQ(d->neItemNo->text(), "");
        EXPECT_FALSE(d->neItemNo->isEnabled());
        d->cbIsBHA->setChecked(false);
        EXPECT_EQ(d->neItemNo->text(), "2");
        d->cbIsBHA->setChecked(true);
        d->btnOK->click();
        return DialogResult(*d);
    });
    dmTubingStat()->dsTubingStat.Locate({"ITEMNO"}, {2});
    f->actEdit->trigger();
    EXPECT_TRUE(UI->Messages.isEmpty());
    rows = Stored();
    EXPECT_TRUE(rows[1].ItemNo.isNull());
    EXPECT_TRUE(rows[1].SubItemNo.isNull());
    EXPECT_EQ(rows[1].IsBHA, 1);

    // A start time that another row has: the save is refused, the dialog stays open.
    UI->ScriptDialogOnce("TdlgTubingStatEdit", [&](QObject* o) {
        auto* d = static_cast<TdlgTubingStatEdit*>(o);
        d->dtpStartTime->setTime(QTime(6, 0, 0));
        d->btnOK->click();
        const int stayed = DialogResult(*d);
        d->btnCancel->click();
        return stayed == mrCancel ? DialogResult(*d) : mrOk;
    });
    dmTubingStat()->dsTubingStat.Last();
    f->actEdit->trigger();
    EXPECT_EQ(UI->Messages, QStringList{"Запись с таким начальным временем уже существует"});
    EXPECT_EQ(Stored().size(), 3u);
}

TEST_F(TubingStatFrame, SetupAndFormTextRoundTrip) {
    ThreeRows();
    Start();
    InitWKControls();
    TForm form;
    form.SetName("frmStat");
    auto* f = new TfrTubingStat(&form);
    f->SetName("frTubingStat1");
    f->SetParentWidget(&form);
    f->grTubingStat->MoveColumn(9, 0);
    f->grTubingStat->Column(2)->SetWidth(33);
    // An option of the grid's own kind that the frame does not set itself.
    f->grTubingStat->SetDBOptions(f->grTubingStat->DBOptions() & ~TDBGrid::TDBGridOptions(TDBGrid::dgIndicator));

    UI->ScriptDialogOnce("TdlgSetupTubingStatFrame", [](QObject* o) {
        auto* d = static_cast<TdlgSetupTubingStatFrame*>(o);
        EXPECT_TRUE(d->cbBeveled->isChecked());
        d->cbBeveled->setChecked(false);
        d->frAlign->SetCtlAlign(TControl::alClient);
        d->OKBtn->click();
        return DialogResult(*d);
    });
    f->Setup();
    EXPECT_FALSE(f->Ctl3D());
    EXPECT_EQ(f->Align(), TControl::alClient);

    const QString text = ComponentToString(&form);
    EXPECT_TRUE(text.contains("inline frTubingStat1: TfrTubingStat"));
    EXPECT_TRUE(text.contains("object grTubingStat: TDBGrid"));
    EXPECT_TRUE(text.contains("object sgSumTimings: TStringGrid"));
    std::unique_ptr<TComponentBase> again;
    {
        // Every property written reads back: no reading error is logged and passed over.
        TDebugOutputCapture cap;
        again.reset(StringToComponent(text, nullptr));
        EXPECT_FALSE(cap.Contains("Error reading")) << cap.Lines().join('\n').toStdString();
    }
    ASSERT_TRUE(again);
    auto* g = again->FindComponentAs<TfrTubingStat>("frTubingStat1");
    ASSERT_TRUE(g);
    ASSERT_TRUE(g->grTubingStat);
    EXPECT_EQ(g->grTubingStat->DBOptions(), f->grTubingStat->DBOptions());
    EXPECT_TRUE(g->grTubingStat->DBOptions().testFlag(TDBGrid::dgRowSelect));
    EXPECT_FALSE(g->grTubingStat->DBOptions().testFlag(TDBGrid::dgIndicator));
    EXPECT_FALSE(g->Ctl3D());
    EXPECT_EQ(g->Align(), TControl::alClient);
    ASSERT_TRUE(g->grTubingStat);
    EXPECT_EQ(g->grTubingStat->Owner(), g);
    EXPECT_EQ(g->grTubingStat->Columns()->Count(), 17);
    EXPECT_EQ(g->grTubingStat->Column(0)->FieldName(), "VSL_COMMONTIME");
    EXPECT_EQ(g->grTubingStat->Column(2)->Width(), 33);
    EXPECT_EQ(g->grTubingStat->DataRowCount(), 3);
    EXPECT_EQ(g->sgSumTimings->Cells(0, 0), "3:45:00");
    EXPECT_EQ(g->sgSumTimings->ColWidths(2), 33);
    // Exactly one grid and one strip: the frame's own gave way to the stored ones.
    EXPECT_EQ(g->findChildren<TDBGrid*>().size(), 1);
    EXPECT_EQ(g->findChildren<TStringGrid*>().size(), 1);
    EXPECT_EQ(ComponentToString(again.get()), text);
}

}  // namespace
