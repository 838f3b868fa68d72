#include "DebugOutput.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "WKDictionary.h"
#include "dm_Wells.h"
#include "WellDatabase.h"

#include <QFile>
#include <gtest/gtest.h>
#include <dlfcn.h>

namespace {
// Loads the built library by file name, as its callers do, and unloads it at
// the end, which frees its module and cache.
class Dictionary : public ::testing::Test {
protected:
    void SetUp() override {
        InitWKConsts({"-DEBUG"}, BinDir() + "/Welvista2");
        FLibrary = dlopen(QFile::encodeName(BinDir() + "/libWKDictionary.so").constData(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(FLibrary, nullptr) << dlerror();
        FTranslate = reinterpret_cast<TTranslateFunc>(dlsym(FLibrary, "Translate"));
        FGetLanguages = reinterpret_cast<TGetLanguagesFunc>(dlsym(FLibrary, "GetLanguages"));
        FFindLanguage = reinterpret_cast<TFindLanguageFunc>(dlsym(FLibrary, "FindLanguage"));
        ASSERT_TRUE(FTranslate && FGetLanguages && FFindLanguage);
    }
    void TearDown() override {
        if (FLibrary) dlclose(FLibrary);
        InitWKConsts({}, BinDir() + "/Welvista2");
    }

    QString Translate(int id, const QString& text) const { return QString::fromUtf16(FTranslate(id, reinterpret_cast<const char16_t*>(text.utf16()))); }
    QString GetLanguages() const { return QString::fromUtf16(FGetLanguages()); }
    int FindLanguage(const QString& name) const { return FFindLanguage(reinterpret_cast<const char16_t*>(name.utf16())); }

    // Rows on their own attachment of the embedded database, committed.
    static void Sql(const QStringList& statements) {
        EnsureEmbeddedWellDatabase(EmbeddedWellDatabasePath());
        TDataConnection db = TDataConnection::OpenFirebird(EmbeddedWellDatabasePath(), "SYSDBA", "x");
        db.Transaction();
        for (const QString& s : statements) db.Exec(s);
        db.Commit();
    }

    TTempXdgHome FHome;
    void* FLibrary = nullptr;
    TTranslateFunc FTranslate = nullptr;
    TGetLanguagesFunc FGetLanguages = nullptr;
    TFindLanguageFunc FFindLanguage = nullptr;
};

TEST_F(Dictionary, TranslationsCachedAndMissesAskedAgain) {
    Sql({"insert into REF_LANGUAGES (LANGUAGEID, LANGUAGENAME) values (1, 'English')",
         "insert into REF_LANGUAGES (LANGUAGEID, LANGUAGENAME) values (2, 'Deutsch')",
         "insert into REF_DICTIONARY (LANGUAGEID, SRCTEXT, RESTEXT) values (1, 'Глубина', 'Depth')",
         "insert into REF_DICTIONARY (LANGUAGEID, SRCTEXT, RESTEXT) values (2, 'Глубина', 'Tiefe')"});
    // One source text in two languages: each gets its own translation.
    EXPECT_EQ(Translate(1, "Глубина"), "Depth");
    EXPECT_EQ(Translate(2, "Глубина"), "Tiefe");
    // Letter case counts; no language gives the text back.
    EXPECT_EQ(Translate(1, "глубина"), "глубина");
    EXPECT_EQ(Translate(NoLanguageID, "Глубина"), "Глубина");
    EXPECT_EQ(Translate(1, ""), "");

    // The whole dictionary was read by the first call: removing the rows now
    // changes nothing (cache hits).
    Sql({"delete from REF_DICTIONARY"});
    EXPECT_EQ(Translate(2, "Глубина"), "Tiefe");

    // A miss is not cached: the database is asked again, and a found
    // translation is kept from then on.
    EXPECT_EQ(Translate(1, "Время"), "Время");
    Sql({"insert into REF_DICTIONARY (LANGUAGEID, SRCTEXT, RESTEXT) values (1, 'Время', 'Time')"});
    EXPECT_EQ(Translate(1, "Время"), "Time");
    Sql({"delete from REF_DICTIONARY"});
    EXPECT_EQ(Translate(1, "Время"), "Time");
}

TEST_F(Dictionary, LanguageListAndLookUp) {
    EXPECT_EQ(GetLanguages(), "");
    EXPECT_EQ(FindLanguage("English"), NoLanguageID);
    dlclose(FLibrary);  // the language list is read once per load
    Sql({"insert into REF_LANGUAGES (LANGUAGEID, LANGUAGENAME) values (7, 'РУССКИЙ')",
         "insert into REF_LANGUAGES (LANGUAGEID, LANGUAGENAME) values (12, 'ENGLISH')",
         "insert into REF_LANGUAGES (LANGUAGEID, LANGUAGENAME) values (3, 'Ёлочный')"});
    SetUp();
    // In the database's name order, "ID=name" lines each ended by CR LF.
    EXPECT_EQ(GetLanguages(), "12=ENGLISH\r\n3=Ёлочный\r\n7=РУССКИЙ\r\n");
    struct Case {
        const char* name;
        int id;
    };
    for (const Case& c : {Case{"English", 12}, Case{"english", 12}, Case{"русский", 7}, Case{"Русский", 7},
                          Case{"ёЛОЧНЫЙ", 3}, Case{"Russian", NoLanguageID}, Case{"", NoLanguageID}})
        EXPECT_EQ(FindLanguage(QString::fromUtf8(c.name)), c.id) << c.name;
    // A returned text stays valid until the next call.
    const char16_t* list = FGetLanguages();
    EXPECT_EQ(QString::fromUtf16(list), "12=ENGLISH\r\n3=Ёлочный\r\n7=РУССКИЙ\r\n");
}

TEST_F(Dictionary, HostProgramTranslatesAndEndsNormally) {
    // No well database: the source text, and no database file made for it.
    TProgramRun run = RunProgram("wkdicthost", {"English", "Глубина", "Время"});
    EXPECT_TRUE(run.Succeeded()) << run.Err.toStdString();
    EXPECT_EQ(QString::fromUtf8(run.Out), QString::number(NoLanguageID) + "\nГлубина\nВремя\n");
    EXPECT_FALSE(QFile::exists(EmbeddedWellDatabasePath()));
    EXPECT_EQ(Translate(1, "Глубина"), "Глубина");  // in this process as well
    EXPECT_FALSE(QFile::exists(EmbeddedWellDatabasePath()));

    Sql({"insert into REF_LANGUAGES (LANGUAGEID, LANGUAGENAME) values (4, 'English')",
         "insert into REF_DICTIONARY (LANGUAGEID, SRCTEXT, RESTEXT) values (4, 'Глубина', 'Depth')"});
    run = RunProgram("wkdicthost", {"english", "Глубина", "Время"});
    EXPECT_TRUE(run.Succeeded()) << run.Err.toStdString();
    EXPECT_EQ(QString::fromUtf8(run.Out), "4\nDepth\nВремя\n");
}

TEST_F(Dictionary, PlainCHostEndsNormally) {
    // No Qt and no application object in the host: the module's connection
    // must still close before Qt SQL and the database client go away.
    struct Case {
        const char* what;
        int language;
        const char* expected;
    };
    const Case withoutDatabase[] = {{"no well database", 4, "Глубина"}};
    const Case withDatabase[] = {{"a translation", 4, "Depth"},
                                 {"no translation", 5, "Глубина"},
                                 {"no language, the database not asked", NoLanguageID, "Глубина"}};
    const auto run = [](const Case& c) {
        SCOPED_TRACE(c.what);
        const TProgramRun r = RunProgram("wkdictchost", {QString::number(c.language), "Глубина"});
        EXPECT_TRUE(r.Finished);
        EXPECT_TRUE(r.NormalExit) << "ended by a signal: " << r.Err.toStdString();
        EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        EXPECT_EQ(QString::fromUtf8(r.Out), QString::fromUtf8(c.expected) + "\n");
    };
    for (const Case& c : withoutDatabase) run(c);
    EXPECT_FALSE(QFile::exists(EmbeddedWellDatabasePath()));
    Sql({"insert into REF_LANGUAGES (LANGUAGEID, LANGUAGENAME) values (4, 'English')",
         "insert into REF_DICTIONARY (LANGUAGEID, SRCTEXT, RESTEXT) values (4, 'Глубина', 'Depth')"});
    for (const Case& c : withDatabase) run(c);
}

TEST_F(Dictionary, DatabaseFailureGivesTheFallbackAndALine) {
    // Port 1 of the loopback: nothing listens there.
    TdmWells::SetRemoteComputerName("127.0.0.1/1");
    TDebugOutputCapture cap;
    EXPECT_EQ(Translate(1, "Глубина"), "Глубина");
    EXPECT_EQ(GetLanguages(), "");
    EXPECT_EQ(FindLanguage("English"), NoLanguageID);
    EXPECT_EQ(cap.Count("WKDictionary."), 3);
    EXPECT_TRUE(cap.Contains("WKDictionary.Translate: Ошибка подключения к базе Boremont"));
    // No language does not need the database at all.
    cap.Clear();
    EXPECT_EQ(Translate(NoLanguageID, "abc"), "abc");
    EXPECT_EQ(cap.Count("WKDictionary."), 0);
    // Once the database is reachable the next call connects.
    TdmWells::SetRemoteComputerName("");
    Sql({"insert into REF_DICTIONARY (LANGUAGEID, SRCTEXT, RESTEXT) values (1, 'Глубина', 'Depth')"});
    EXPECT_EQ(Translate(1, "Глубина"), "Depth");
}
}  // namespace
