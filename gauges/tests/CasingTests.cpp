// The casing drawing on the embedded well database: the segments and scales
// loaded from the casing strings and the latest bit, reloading on database
// changes, painting at known pixels, and the setup dialog.
#include "GaugeBusTest.h"
#include "ModalDialogs.h"
#include "WellDatabaseSupport.h"
#include "dlg_SetupCasingDsgn.h"
#include "dm_CasingCtrl.h"
#include "fr_Align.h"

#include "EditControls.h"

#include <QAbstractButton>
#include <QDir>
#include <QImage>
#include <QPushButton>

namespace {

class CasingTest : public GaugeBusTest {
public:
    void SetUp() override {
        GaugeBusTest::SetUp();
        // Named like the acquisition program: no database event subscription.
        InitAsAcquisitionProgram();
        Wells = std::make_unique<TdmWells>();
        RunSql({"insert into WELLS values (1)"});
        Wells->FCurrentWell = 1;
    }
    void TearDown() override {
        delete dmCasingCtrl;
        Wells.reset();
        GaugeBusTest::TearDown();
    }
    // A casing string (type id) with its items: model, length, inside and outside diameter.
    struct TItem { const char* Model; double Length, Inner, Outer; };
    static void AddString(int typeId, double bottom, const std::vector<TItem>& items) {
        QStringList sql{QStringLiteral("insert into CASING (WELLID, CASINGTYPEID, BOTTOMDEPTH) values (1, %1, %2)")
                            .arg(typeId).arg(bottom)};
        int no = 0;
        for (const TItem& i : items) {
            sql << QStringLiteral("update or insert into REF_CASINGITEMS (TYPEID, ITEMMODEL, INSIDEDIAMETER, OUTSIDEDIAMETER) "
                                  "values (%1, '%2', %3, %4) matching (TYPEID, ITEMMODEL)")
                       .arg(typeId).arg(QLatin1String(i.Model)).arg(i.Inner).arg(i.Outer);
            sql << QStringLiteral("insert into CASINGITEMS (WELLID, CASINGTYPEID, ITEMNO, ITEMTYPE, ITEMLENGTH, ITEMMODEL) "
                                  "values (1, %1, %2, %1, %3, '%4')")
                       .arg(typeId).arg(++no).arg(i.Length).arg(QLatin1String(i.Model));
        }
        RunSql(sql);
    }
    static void AddBit(double diameter, double start, double stop) {
        RunSql({QStringLiteral("insert into RUNS (WELLID, RUNNO, CLOSED, STARTDEPTH, STOPDEPTH) values (1, 1, 0, %1, %2)")
                    .arg(start).arg(stop),
                QStringLiteral("insert into REF_BHAITEMS (TYPEID, ITEMMODEL, OUTSIDEDIAMETER) values (67108865, 'Bit', %1)")
                    .arg(diameter),
                "insert into BOTTOMHOLEASSEMBLY (WELLID, RUNNO, ITEMORDER, TYPEID) values (1, 1, 1, 67108865)"});
    }
    // "model bottom length inner outer" per segment, in list order.
    static QString Segments(const TdmCasingCtrl& dm) {
        QStringList list;
        for (int i = 0; i < dm.FCasing->Count(); ++i) {
            const TCasingSegment* s = dm.FCasing->Segment(i);
            list << QStringLiteral("%1 %2 %3 %4 %5").arg(s->Name).arg(s->BottomDepth).arg(s->Length).arg(s->InnerDiam).arg(s->OuterDiam);
        }
        return list.join(QStringLiteral("; "));
    }

    std::unique_ptr<TdmWells> Wells;
};

TEST_F(CasingTest, LoadsSegmentsAndScales) {
    struct TCase {
        const char* What;
        std::function<void()> Fill;
        const char* Segments;
        float MaxBottom, MaxDiam, Bit;
    };
    const TCase cases[] = {
        {"nothing", [] {}, "", 1, 1, 0},
        {"a string hanging from the surface", [] { AddString(1, 0, {{"A", 10, 100, 120}, {"A", 5, 100, 120}}); },
         "A 15 15 100 120", 15, 120, 0},
        {"a different model splits a run of items",
         [] { AddString(1, 40, {{"A", 10, 100, 120}, {"A", 10, 100, 120}, {"B", 10, 100, 120}, {"A", 10, 100, 120}}); },
         "A 40 20 100 120; B 20 10 100 120; A 10 10 100 120", 40, 120, 0},
        {"each string starts its own segment",
         [] {
             AddString(1, 30, {{"A", 30, 100, 120}});
             AddString(2, 20, {{"A", 20, 100, 120}});
         },
         "A 30 30 100 120; A 20 20 100 120", 30, 120, 0},
        {"the item crossing the surface is kept, later ones dropped",
         [] { AddString(1, 12, {{"A", 5, 100, 120}, {"A", 5, 100, 120}, {"A", 5, 100, 120}, {"B", 5, 100, 120}}); },
         "A 12 15 100 120", 12, 120, 0},
        {"a wide bit sets the scale and the run the depth",
         [] {
             AddString(1, 50, {{"A", 50, 220, 245}});
             AddBit(295, 50, 180);
         },
         "A 50 50 220 245", 180, 295, 295},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        RunSql({"delete from CASINGITEMS", "delete from CASING", "delete from BOTTOMHOLEASSEMBLY", "delete from RUNS",
                "delete from REF_BHAITEMS", "delete from REF_CASINGITEMS"});
        c.Fill();
        TdmCasingCtrl dm;
        EXPECT_EQ(Segments(dm), QString::fromLatin1(c.Segments));
        EXPECT_FLOAT_EQ(dm.MaxBottomDepth, c.MaxBottom);
        EXPECT_FLOAT_EQ(dm.MaxDiam, c.MaxDiam);
        EXPECT_FLOAT_EQ(dm.BitSize, c.Bit);
    }
}

TEST_F(CasingTest, ReloadsOnRunsAndWellsOnlyAndKeepsTheListWhenReadingFails) {
    AddString(1, 30, {{"A", 30, 100, 120}});
    TCasingControl control;
    ASSERT_NE(dmCasingCtrl, nullptr);
    EXPECT_EQ(Segments(*dmCasingCtrl), "A 30 30 100 120");
    AddString(2, 60, {{"B", 60, 150, 170}});
    for (const char* table : {"LOG", "RUNS"}) {
        QString name = QString::fromLatin1(table);
        SecondaryServices->NotifyServices(seDBChange, &name);
        EXPECT_EQ(Segments(*dmCasingCtrl), table == QLatin1String("LOG") ? "A 30 30 100 120"
                                                                       : "B 60 60 150 170; A 30 30 100 120")
            << table;
    }
    // A database that cannot be read: a debug line, the segments stay.
    Wells->CloseDatabase();
    EXPECT_THROW(dmCasingCtrl->LoadCasing(), std::exception);
    QString wells = QStringLiteral("WELLS");
    SecondaryServices->NotifyServices(seDBChange, &wells);
    EXPECT_EQ(Segments(*dmCasingCtrl), "B 60 60 150 170; A 30 30 100 120");
    // A control made while reading fails still comes up.
    delete dmCasingCtrl;
    TCasingControl second;
    ASSERT_NE(dmCasingCtrl, nullptr);
    EXPECT_EQ(dmCasingCtrl->FCasing->Count(), 0);
    EXPECT_EQ(second.Width(), 100);
    EXPECT_EQ(second.Height(), 200);
}

TEST_F(CasingTest, PaintsBandTextureWallsBoreAndOpenHole) {
    AddString(1, 100, {{"A", 100, 200, 240}});
    AddBit(100, 100, 150);
    TCasingControl control;
    ASSERT_EQ(control.BackgroundImage().size(), QSize(133, 100));
    control.SetBounds(0, 0, 120, 170);
    QImage image(120, 170, QImage::Format_ARGB32);
    control.render(&image);
    const QString artifacts = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (!artifacts.isEmpty()) {
        QDir().mkpath(artifacts);
        image.save(artifacts + QStringLiteral("/casing.png"));
    }
    // Scales: x 100 px over 240 mm round the centre 60, y 150 px over 150 m from y 10.
    const QColor cream(255, 251, 240), wall(192, 192, 192);
    const auto rock = [&](QPoint p) {
        const QColor c = image.pixelColor(p);
        return c != cream && c != wall && c == control.BackgroundImage().pixelColor(p.x() % 133, (p.y() - 10) % 100);
    };
    struct TCase { const char* What; QPoint Pixel; QColor Colour; };
    const TCase cases[] = {
        {"band", {60, 4}, cream},
        {"bore", {35, 60}, cream},
        {"left wall", {14, 60}, wall},
        {"right wall", {106, 60}, wall},
        {"open hole below the casing", {60, 140}, cream},
    };
    for (const TCase& c : cases) EXPECT_EQ(image.pixelColor(c.Pixel), c.Colour) << c.What;
    EXPECT_TRUE(rock({4, 60})) << "rock beside the casing";
    EXPECT_TRUE(rock({20, 140})) << "rock beside the open hole";
    EXPECT_TRUE(rock({60, 165})) << "rock below the deepest point";
}

TEST_F(CasingTest, SetupAppliesTheAlignmentOnOK) {
    TCasingControl control;
    UI->ScriptDialogOnce(QStringLiteral("TdlgSetupCasingDsgn"), [](QObject* d) {
        auto* dlg = static_cast<TdlgSetupCasingDsgn*>(d);
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Настройка вида обсадной колонны"));
        dlg->frAlign->SetCtlAlign(TControl::alClient);
        dlg->CancelBtn->click();
        return DialogResult(*dlg);
    });
    control.Setup();
    EXPECT_EQ(control.Align(), TControl::alNone);
    UI->ScriptDialogOnce(QStringLiteral("TdlgSetupCasingDsgn"), [](QObject* d) {
        auto* dlg = static_cast<TdlgSetupCasingDsgn*>(d);
        dlg->frAlign->SetCtlAlign(TControl::alLeft);
        dlg->OKBtn->click();
        return DialogResult(*dlg);
    });
    control.Setup();
    EXPECT_EQ(control.Align(), TControl::alLeft);
}

}  // namespace
