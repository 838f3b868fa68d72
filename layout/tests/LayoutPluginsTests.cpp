// The project's LAS plug-ins of bin/Plugins loaded by a manager, over LAS
// files written into the folder that a temporary settings home names.
#include "DLLMan.h"
#include "Logsheaf10.h"
#include "PluginTestSupport.h"
#include "RegIniFile.h"
#include "TestSupport.h"
#include "UIServices.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace Plotmere;

namespace {

struct TCurveFile {
    QString Name;
    QStringList Curves;
    std::vector<std::vector<double>> Rows;  // -9999 is empty
};

void WriteLas(const QString& folder, const TCurveFile& f) {
    TLogsheaf t;
    t.SetFileName(folder + "/" + f.Name);
    for (const QString& c : f.Curves) t.LASFieldDefs()->Add(c, c == "DEPT" ? "M" : "U", c + " curve");
    t.SetWell(f.Name.toUpper());
    t.SetCompany("ACME");
    t.CreateTable();
    t.Open();
    for (const auto& row : f.Rows) {
        t.Append();
        for (size_t i = 0; i < row.size(); ++i) t.Fields(int(i))->SetAsFloat(row[i]);
        t.Post();
    }
    t.Close();
}

TEST(LayoutPlugins, LayoutPluginsEndToEnd) {
    TTempXdgHome home;
    QTemporaryDir lasDir;
    const TCurveFile a{"a.las", {"DEPT", "GR", "TVD"}, {{100, 50, 95}, {100.5, -9999, 95.4}, {101, 52.5, 95.8}}};
    const TCurveFile b{"b.las", {"DEPT", "RHOB"}, {{100, 2.5}, {101, 2.25}}};
    WriteLas(lasDir.path(), a);
    WriteLas(lasDir.path(), b);
    auto ui = std::make_shared<TScriptedUIServices>();
    const auto old = SetUIServices(ui);
    ui->InputAnswers.push_back(lasDir.path());

    TPluginManager m;
    m.Activate(atPath, BinDir() + "/Plugins");
    EXPECT_TRUE(ui->Messages.isEmpty()) << ui->Messages.join('\n').toStdString();
    TSystemLibrary* las = m.GetSystemByID("LAS");
    ASSERT_NE(las, nullptr);
    ASSERT_EQ(las->SourceCount(), 1);
    EXPECT_EQ(las->GetSource(0)->Descr().DataClass, 1);
    // Setup asks for the folder through the UI services and keeps it in the settings.
    ASSERT_EQ(m.GetSetupSysCount(), 1);
    las->Setup();
    EXPECT_EQ(TRegIniFile("Software\\Korva\\Plotmere").ReadString("LAS", "Folder"), lasDir.path());

    const TParamDescrArray curves = m.GetSrcParamList(las->GetSource(0)->Descr().SourceID);
    QStringList ids;
    for (const TParamDescr& p : curves) ids << p.ID;
    // Each file's curves, the index too, named with the file.
    EXPECT_EQ(ids, (QStringList{"a.las|DEPT", "a.las|GR", "a.las|TVD", "b.las|DEPT", "b.las|RHOB"}));
    EXPECT_EQ(curves[3].Path, "b.las");
    EXPECT_EQ(curves[1].Units, "U");
    EXPECT_EQ(curves[1].Name, "GR curve");
    EXPECT_EQ(curves[1].Min, 50.0);
    EXPECT_EQ(curves[1].Max, 52.5);
    EXPECT_EQ(m.GetSysParamsList("LAS").size(), 5);
    EXPECT_EQ(m.GetSysParamsList("LAS")[4].SourceID, las->GetSource(0)->Descr().SourceID);
    const TSketchTableDescrArray tables = las->GetTableList();
    ASSERT_EQ(tables.size(), 2);
    EXPECT_EQ(tables[0].TableName, "a.las");
    ASSERT_EQ(tables[0].Fields.size(), 4);
    EXPECT_EQ(tables[0].Fields[2].ID, "VALUE");

    TTestDocument doc;
    // Curve names alone, as documents saved them before: each from the first file that has it.
    doc.Params = {{"LAS", {"a.las"}}, {las->GetSource(0)->Descr().SourceID, {"GR", "RHOB"}}};
    ASSERT_TRUE(m.Load(doc));
    TDataBlock* well = doc.Blocks().GetBlockByName("a.las");
    ASSERT_NE(well, nullptr);
    const TDataSegment* mnem = well->GetDataSegment("MNEM");
    const TDataSegment* value = well->GetDataSegment("VALUE");
    ASSERT_TRUE(mnem && value);
    QMap<QString, QString> wellValues;
    for (int r = 0; r < well->GetRecordCount(); ++r) wellValues[mnem->GetAsString(r)] = value->GetAsString(r);
    EXPECT_EQ(wellValues["WELL"], "A.LAS");
    EXPECT_EQ(wellValues["COMP"], "ACME");
    EXPECT_EQ(wellValues["NULL"], "-9999");

    TDataBlock* curvesA = doc.Blocks().GetBlockByName("a");
    TDataBlock* curvesB = doc.Blocks().GetBlockByName("b");
    ASSERT_TRUE(curvesA && curvesB);
    EXPECT_EQ(curvesA->MainID(), MDSegmentID);
    EXPECT_EQ(curvesA->Start(), 100.0);
    EXPECT_EQ(curvesA->Stop(), 101.0);
    EXPECT_EQ(curvesA->GetCount(), 2);  // the index and GR
    const TDataSegment* gr = curvesA->GetDataSegment("GR");
    ASSERT_NE(gr, nullptr);
    for (size_t r = 0; r < a.Rows.size(); ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(curvesA->GetMainSegment()->GetAsDouble(int(r)), a.Rows[r][0]);
        if (a.Rows[r][1] == -9999) EXPECT_TRUE(gr->GetIsEmpty(int(r)));
        else EXPECT_EQ(gr->GetAsDouble(int(r)), a.Rows[r][1]);
    }
    EXPECT_EQ(curvesB->GetDataSegment("RHOB")->GetAsDouble(1), 2.25);

    // With the depth substituted, blocks are indexed by the true vertical
    // depth of the first file that has one.
    doc.MainIDSubst = true;
    doc.Blocks().MainIDSubst = true;
    ASSERT_TRUE(m.Load(doc));
    TDataBlock* table = doc.Blocks().GetBlockByName(MDTVDName);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetDataSegment(TVDSegmentID)->GetAsDouble(1), 95.4);
    TDataBlock* rhob = doc.Blocks().GetBlockByName("b");
    ASSERT_NE(rhob, nullptr);
    const TDataSegment* tvd = rhob->GetMainSegment();
    ASSERT_NE(tvd, nullptr);
    EXPECT_EQ(tvd->GetAsDouble(0), 95.0);
    EXPECT_EQ(tvd->GetAsDouble(1), 95.8);
    SetUIServices(old);
}

}  // namespace
