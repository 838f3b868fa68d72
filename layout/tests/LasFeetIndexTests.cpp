// The LAS plug-ins hand depth in metres, the document's depth, whatever unit
// a file's index is written in.
#include "DLLMan.h"
#include "Logsheaf10.h"
#include "PluginTestSupport.h"
#include "TestSupport.h"
#include "UIServices.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Plotmere;

namespace {

// A file whose index DEPT is in `unit`, with a GR curve, and a TVD curve in
// the same unit when asked.
void WriteIndexedLas(const QString& path, const QString& unit, const std::vector<double>& index, bool tvd) {
    TLogsheaf t;
    t.SetFileName(path);
    t.LASFieldDefs()->Add("DEPT", unit, "Depth");
    t.LASFieldDefs()->Add("GR", "API", "Gamma ray");
    if (tvd) t.LASFieldDefs()->Add("TVD", unit, "True vertical depth");
    t.CreateTable();
    t.Open();
    for (const double v : index) {
        t.Append();
        t.Fields(0)->SetAsFloat(v);
        t.Fields(1)->SetAsFloat(50);
        if (tvd) t.Fields(2)->SetAsFloat(v / 2);
        t.Post();
    }
    t.Close();
}

}  // namespace

TEST(LayoutPlugins, FeetIndexComesInMetres) {
    struct TCase {
        const char* File;
        const char* Unit;
        double ToMetres;
    };
    // Feet in the spellings files use; metres and anything else unchanged.
    const TCase cases[] = {{"a.las", "FT", 0.3048}, {"b.las", "f", 0.3048}, {"c.las", "Feet", 0.3048},
                           {"d.las", "M", 1}, {"e.las", "S", 1}};
    const std::vector<double> index{100, 110, 120};
    TTempXdgHome home;
    QTemporaryDir lasDir;
    for (const TCase& c : cases) WriteIndexedLas(lasDir.filePath(c.File), c.Unit, index, QString(c.File) == "a.las");
    auto ui = std::make_shared<TScriptedUIServices>();
    const auto old = SetUIServices(ui);
    ui->InputAnswers.push_back(lasDir.path());
    TPluginManager m;
    m.Activate(atPath, BinDir() + "/Plugins");
    TSystemLibrary* las = m.GetSystemByID("LAS");
    ASSERT_NE(las, nullptr) << ui->Messages.join('\n').toStdString();
    las->Setup();
    const QString source = las->GetSource(0)->Descr().SourceID;

    // The index offered by the feet file says it comes in metres.
    const TParamDescrArray curves = m.GetSrcParamList(source);
    const auto depth = std::find_if(curves.begin(), curves.end(), [](const TParamDescr& p) { return p.ID == "a.las|DEPT"; });
    ASSERT_NE(depth, curves.end());
    EXPECT_EQ(depth->Path, "a.las");
    EXPECT_EQ(depth->Units, "M");
    EXPECT_TRUE(depth->Name.contains("переведено из футов в метры")) << depth->Name.toStdString();
    EXPECT_DOUBLE_EQ(depth->Min, 100 * 0.3048);
    EXPECT_DOUBLE_EQ(depth->Max, 120 * 0.3048);

    TTestDocument doc;
    QStringList gr;
    for (const TCase& c : cases) gr << QString(c.File) + "|GR";
    doc.Params = {{source, gr}};
    ASSERT_TRUE(m.Load(doc));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        TDataBlock* block = doc.Blocks().GetBlockByName(QString(c.File).chopped(4));
        ASSERT_NE(block, nullptr);
        for (int r = 0; r < int(index.size()); ++r)
            EXPECT_DOUBLE_EQ(block->GetMainSegment()->GetAsDouble(r), index[size_t(r)] * c.ToMetres);
        EXPECT_DOUBLE_EQ(block->Start(), 100 * c.ToMetres);
        EXPECT_DOUBLE_EQ(block->Stop(), 120 * c.ToMetres);
        EXPECT_EQ(block->GetDataSegment(QString(c.File) + "|GR")->GetAsDouble(1), 50.0) << "curves keep their values";
    }

    // The depth table of a feet file: measured and true vertical depth in metres.
    doc.MainIDSubst = true;
    doc.Blocks().MainIDSubst = true;
    ASSERT_TRUE(m.Load(doc));
    TDataBlock* table = doc.Blocks().GetBlockByName(MDTVDName);
    ASSERT_NE(table, nullptr);
    EXPECT_DOUBLE_EQ(table->GetDataSegment(MDSegmentID)->GetAsDouble(2), 120 * 0.3048);
    EXPECT_DOUBLE_EQ(table->GetDataSegment(TVDSegmentID)->GetAsDouble(2), 60 * 0.3048);
    SetUIServices(old);
}
