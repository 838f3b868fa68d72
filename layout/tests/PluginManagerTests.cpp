// The plug-in manager over the fixture plug-ins of tests/fixtures.
#include "DLLMan.h"
#include "DebugOutput.h"
#include "PluginTestSupport.h"
#include "RegIniFile.h"
#include "TestSupport.h"
#include "UIServices.h"

#include <gtest/gtest.h>

using namespace Plotmere;

namespace {

QString Fixtures(const QString& set) { return BinDir() + "/test-plugins/" + set; }

QStringList FixLines(const TDebugOutputCapture& debug, const QString& fragment = {}) {
    QStringList lines;
    for (const QString& l : debug.Lines())
        if (l.startsWith("FIX ") && l.contains(fragment)) lines << l;
    return lines;
}

class PluginManager : public ::testing::Test {
protected:
    void SetUp() override { FOld = SetUIServices(FUI); }
    void TearDown() override { SetUIServices(FOld); }
    std::shared_ptr<TScriptedUIServices> FUI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> FOld;
    TDebugOutputCapture Debug;
};

TEST_F(PluginManager, FolderLoadsDataSourcesFirstAndSystemsFindTheirs) {
    TPluginManager m;
    m.Activate(atPath, Fixtures("basic"));
    ASSERT_EQ(m.GetSrcCount(), 2);
    ASSERT_EQ(m.GetSysCount(), 1);
    EXPECT_EQ(m.GetRenderCount(), 1);
    EXPECT_EQ(m.GetDataSource(0)->Descr().SourceID, "FIXSRC");  // name order
    TSystemLibrary* fix = m.GetSystemByID("FIX");
    ASSERT_NE(fix, nullptr);
    ASSERT_EQ(fix->SourceCount(), 2);
    EXPECT_EQ(fix->GetSourceByID("FIXTIME"), m.GetSourceByID("FIXTIME"));
    EXPECT_EQ(fix->GetSourceByName("FIXSRC source"), m.GetSourceByID("FIXSRC"));
    const QStringList described = FixLines(Debug, "GetDescription");
    EXPECT_EQ(described, (QStringList{"FIX FIXSRC GetDescription", "FIX FIXTIME GetDescription", "FIX FIX GetDescription"}));
    EXPECT_EQ(m.GetSysList(), (TSystemNameList{{"FIX system", fix}}));
    EXPECT_EQ(m.GetSetupSysCount(), 1);
    EXPECT_EQ(m.GetSysParamsList().size(), 1);
    EXPECT_EQ(m.GetSysParamsList("FIX").first().ID, "S1");
    EXPECT_TRUE(m.GetSysParamsList("NONE").isEmpty());
    EXPECT_EQ(m.GetSrcParamList("FIXSRC").first().ID, "P1");
    EXPECT_TRUE(m.GetSrcParamList("NONE").isEmpty());
    EXPECT_TRUE(FUI->Messages.isEmpty());
    // A second activation loads nothing more.
    m.Activate(atPath, Fixtures("second"));
    EXPECT_EQ(m.GetSystemByID("LAS"), nullptr);
    EXPECT_TRUE(m.Started());
}

TEST_F(PluginManager, FoldersBesideTheProgram) {
    TPluginManager m;
    m.ActivatePluginGroup(1, "test-plugins/basic", "FixTime6");
    ASSERT_EQ(m.GetSrcCount(), 1);
    EXPECT_EQ(m.GetDataSource(0)->Descr().SourceID, "FIXTIME");
    EXPECT_FALSE(m.Started());
    m.Activate(atRelativePath, "test-plugins/second");
    EXPECT_NE(m.GetSystemByID("LAS"), nullptr);
    EXPECT_TRUE(m.Started());
    m.ActivatePluginGroup(0, "test-plugins/basic", "FixSys6");
    ASSERT_NE(m.GetSystemByID("FIX"), nullptr);
    EXPECT_EQ(m.GetSystemByID("FIX")->SourceCount(), 1);
}

TEST_F(PluginManager, RegistryActivationLoadsEveryFolderOfPlugins) {
    TTempXdgHome home;
    TRegIniFile settings(PlotmereRegistryKey);
    settings.WriteString("Plugins", "1", Fixtures("basic"));
    settings.WriteString("Plugins", "2", Fixtures("second"));
    TPluginManager m;
    m.Activate(atRegistry, {});
    EXPECT_NE(m.GetSystemByID("FIX"), nullptr);
    EXPECT_NE(m.GetSystemByID("LAS"), nullptr);
    EXPECT_EQ(m.GetSrcCount(), 2);
    TPluginManager none;
    none.Activate(atNone, Fixtures("basic"));
    EXPECT_EQ(none.GetSysCount(), 0);
    EXPECT_TRUE(none.Started());
}

TEST_F(PluginManager, FilesThatCannotLoadAreReportedAndSkipped) {
    TPluginManager m;
    m.Activate(atPath, Fixtures("bad"));
    EXPECT_EQ(m.GetSysCount(), 1);
    EXPECT_EQ(m.GetSystem(0)->Descr().SystemID, "GOOD");
    EXPECT_EQ(m.GetSrcCount(), 0);
    ASSERT_EQ(FUI->Messages.size(), 3);
    for (const QString& text : FUI->Messages) EXPECT_TRUE(text.startsWith(SLoadModuleError)) << text.toStdString();
    EXPECT_TRUE(FUI->Messages.join('\n').contains("Не удается загрузить библиотеку"));
    EXPECT_TRUE(FUI->Messages.join('\n').contains("fixture refuses to initialise"));
    EXPECT_TRUE(FUI->Messages.join('\n').contains("GetDescription"));
}

TEST_F(PluginManager, LoadAsksSystemsThenTheirSourcesOfTheDocumentsClass) {
    TPluginManager m;
    m.Activate(atPath, Fixtures("basic"));
    TTestDocument doc;
    doc.Params = {{"FIX", {"S1"}}, {"FIXSRC", {"P1"}}, {"FIXTIME", {"T1"}}};
    doc.Groups = {"g1"};
    EXPECT_TRUE(m.Load(doc, true));
    EXPECT_EQ(FixLines(Debug, " Load "),
              (QStringList{"FIX FIX Load ids=S1,P1,T1 group=g1 env= reload=1", "FIX FIXSRC Load ids=P1 group=g1 env= reload=0"}));
    EXPECT_EQ(doc.LoadingChanges, (QList<bool>{true, false}));
    ASSERT_EQ(doc.Blocks().Count(), 2);
    EXPECT_EQ(doc.Blocks().GetBlock(0)->Name(), "blk-FIX");
    EXPECT_EQ(doc.Blocks().GetBlock(1)->GetDataSegment("P1")->GetAsDouble(2), 30.0);
    // Loading again replaces the blocks of that source and group.
    m.Load(doc);
    EXPECT_EQ(doc.Blocks().Count(), 2);
}

TEST_F(PluginManager, SystemWithoutParametersIsNotCalledNorAreItsSources) {
    TPluginManager m;
    m.Activate(atPath, Fixtures("basic"));
    TTestDocument doc;
    EXPECT_TRUE(m.Load(doc));
    EXPECT_TRUE(FixLines(Debug, " Load ").isEmpty());
    doc.Groups.clear();
    EXPECT_FALSE(m.Load(doc));
    EXPECT_EQ(FUI->Messages, QStringList{SNoDataElements});
}

TEST_F(PluginManager, FalseOrAnExceptionFromLoadLeavesTheBlocks) {
    TPluginManager m;
    m.Activate(atPath, Fixtures("basic"));
    TTestDocument doc;
    doc.Params = {{"FIX", {"S1"}}, {"FIXSRC", {"P1"}}};
    m.Load(doc);
    ASSERT_EQ(doc.Blocks().Count(), 2);
    TDataBlock* first = doc.Blocks().GetBlock(0);
    doc.Range().Name = "false";
    EXPECT_TRUE(m.Load(doc));
    EXPECT_EQ(doc.Blocks().Count(), 2);
    EXPECT_EQ(doc.Blocks().GetBlock(0), first);
    doc.Range().Name = "throw";
    try {
        m.Load(doc);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "fixture load failed");
    }
    EXPECT_FALSE(doc.Loading);
    EXPECT_EQ(doc.Blocks().Count(), 2);
    EXPECT_EQ(doc.Blocks().GetBlock(0), first);
}

TEST_F(PluginManager, DepthSubstitutionNeedsTheLASSystem) {
    TPluginManager m;
    m.Activate(atPath, Fixtures("basic"));
    TTestDocument doc;
    doc.MainIDSubst = true;
    doc.Params = {{"FIX", {"S1"}}};
    try {
        m.Load(doc);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), SNoLASSystem);
    }
    EXPECT_FALSE(doc.Loading);
}

TEST_F(PluginManager, DepthTableComesFirstAndTheEnvironmentIsRestored) {
    TTempXdgHome home;
    TRegIniFile settings(PlotmereRegistryKey);
    settings.WriteString("Plugins", "1", Fixtures("basic"));
    settings.WriteString("Plugins", "2", Fixtures("second"));
    TPluginManager m;
    m.Activate(atRegistry, {});
    TTestDocument doc;
    doc.MainIDSubst = true;
    doc.Blocks().MainIDSubst = true;
    doc.Params = {{"FIX", {"S1"}}};
    doc.Range().Environment = "mine";
    m.Load(doc);
    const QStringList loads = FixLines(Debug, " Load ");
    ASSERT_GE(loads.size(), 2);
    EXPECT_EQ(loads[0], "FIX LAS Load ids=nil group= env=__MDTVD__ reload=0");
    EXPECT_EQ(loads[1], "FIX FIX Load ids=S1 group= env=mine reload=0");
    EXPECT_EQ(doc.Range().Environment, "mine");
    ASSERT_NE(doc.Blocks().GetBlockByName(MDTVDName), nullptr);
    // Without a depth table the group is passed over.
    Debug.Clear();
    doc.Range().Name = "nomdtvd";
    m.Load(doc);
    EXPECT_EQ(FixLines(Debug, " Load "), QStringList{"FIX LAS Load ids=nil group= env=__MDTVD__ reload=0"});
    EXPECT_EQ(doc.Range().Environment, "mine");
}

TEST_F(PluginManager, SaveDataWritesThroughSourcesAndReturnsWhatNoneTook) {
    for (const bool mainProgram : {false, true}) {
        SCOPED_TRACE(mainProgram);
        Debug.Clear();
        TPluginManager m(mainProgram ? TPluginManagerOptions::MainProgram() : TPluginManagerOptions{});
        m.Activate(atPath, Fixtures("basic"));
        TTestDocument doc;
        doc.Range().RequestedStart = 5;
        doc.Range().RequestedStop = 7;
        doc.Params = {{"FIX", {"S1", "S0", "S1"}}, {"FIXSRC", {"P1"}}};
        m.Load(doc);
        EXPECT_EQ(FixLines(Debug, " Load ").first(),
                  mainProgram ? "FIX FIX Load ids=P1,S0,S1 group= env= reload=0" : "FIX FIX Load ids=S1,S0,S1,P1 group= env= reload=0");
        TDataBlock* sys = doc.Blocks().GetBlockByID("FIX");
        TDataBlock* src = doc.Blocks().GetBlockByID("FIXSRC");
        TDataBlock* time = doc.Blocks().Add();
        time->SetSourceID("FIXTIME");
        TDataBlock* none = doc.Blocks().Add();
        for (TDataBlock* b : {sys, src, time, none}) b->SetChanged(true);
        none->SetChanged(false);
        const QList<TDataBlock*> unsaved = m.SaveData(doc);
        EXPECT_EQ(unsaved, (QList<TDataBlock*>{sys, time}));
        EXPECT_EQ(FixLines(Debug, "SaveData"),
                  QStringList{mainProgram ? "FIX FIXSRC SaveData block=blk-FIXSRC start=5 stop=7 ids=nil group= env= reload=0"
                                          : "FIX FIXSRC SaveData block=blk-FIXSRC start=0 stop=100 ids=nil group= env= reload=0"});
        EXPECT_TRUE(sys->Changed() && src->Changed() && time->Changed());
        EXPECT_EQ(Debug.Count("TPluginManager.SaveData"), 2);
    }
}

}  // namespace
