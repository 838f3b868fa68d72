#include "ClassRegistry.h"
#include "ComServer.h"
#include "DataAccess.h"
#include "PackageLoader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class TRegistryProbe : public QObject {
    Q_OBJECT
public:
    explicit TRegistryProbe(QObject* owner = nullptr) : QObject(owner) {}
};

TEST(ClassRegistry, CaseInsensitiveLookupAndResolver) {
    RegisterClass({"TRegistryProbe", &TRegistryProbe::staticMetaObject, [](QObject* o) { return new TRegistryProbe(o); }});
    const TClassInfo* c = FindClass("tregistryprobe");
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->InheritsFrom(&QObject::staticMetaObject));
    std::unique_ptr<QObject> obj(c->Create(nullptr));
    EXPECT_NE(qobject_cast<TRegistryProbe*>(obj.get()), nullptr);

    QStringList asked;
    SetClassResolver([&](const QString& name) {
        asked << name;
        if (name == "TLateClass") {
            RegisterClass({"TLateClass", &QObject::staticMetaObject, nullptr});
            return true;
        }
        return false;
    });
    EXPECT_NE(ResolveClass("TLateClass"), nullptr);
    EXPECT_EQ(ResolveClass("TNoSuchClass"), nullptr);
    EXPECT_NE(ResolveClass("TRegistryProbe"), nullptr);  // known: resolver not asked
    EXPECT_EQ(asked, QStringList({"TLateClass", "TNoSuchClass"}));
    SetClassResolver(nullptr);
    UnregisterClass("TLateClass");
}

TEST(PackageLoader, MissingOrBrokenFilesRaise) {
    QTemporaryDir dir;
    EXPECT_THROW(LoadPackage(dir.filePath("Missing.so")), Exception);
    QFile junk(dir.filePath("Junk.so"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an ELF file");
    junk.close();
    EXPECT_THROW(LoadPackage(junk.fileName()), Exception);
    EXPECT_FALSE(IsPackageLoaded(junk.fileName()));
}

TEST(PackageLoader, ModulesAreFoundByTheirFileNameWhateverTheFolder) {
    const QString platform = QFileInfo(ModuleFileOf(reinterpret_cast<const void*>(&LoadPackage))).fileName();
    ASSERT_FALSE(platform.isEmpty());
    EXPECT_TRUE(IsModuleNameLoaded(platform));
    EXPECT_TRUE(IsModuleNameLoaded("/no/such/folder/" + platform));
    EXPECT_FALSE(IsModuleNameLoaded(platform.toUpper()));
    EXPECT_FALSE(IsModuleNameLoaded("Missing.so"));
    EXPECT_FALSE(IsModuleNameLoaded(""));
}

TEST(DataAccess, SQLiteIsNeverCreatedByOpening) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("WK.db");
    EXPECT_THROW(TDataConnection::OpenSQLite(missing), EDatabaseError);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_THROW(TDataConnection::OpenSQLite(dir.path()), EDatabaseError);  // a folder
}

TEST(DataAccess, ScriptsParametersAndScalars) {
    QTemporaryDir dir;
    const QString file = dir.filePath("t.db");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));  // SQLite accepts an empty file as a new database
    }
    TDataConnection c = TDataConnection::OpenSQLite(file);
    c.ExecScript("-- a comment; with a semicolon\nCREATE TABLE T (A INTEGER, B TEXT);\n"
                 "INSERT INTO T VALUES (1, 'x;y');\nINSERT INTO T VALUES (2, 'it''s');");
    EXPECT_EQ(c.Scalar("SELECT count(*) FROM T").toInt(), 2);
    EXPECT_EQ(c.Scalar("SELECT B FROM T WHERE A = ?", {2}).toString(), "it's");
    EXPECT_EQ(c.Scalar("SELECT B FROM T WHERE B = ?", {"x';--"}), QVariant());
    EXPECT_THROW(c.Exec("SELECT nope FROM T"), EDatabaseError);
    TDataConnection moved = std::move(c);
    EXPECT_TRUE(moved.Connected());
    EXPECT_FALSE(c.Connected());
}
}  // namespace

#include "RegistryAndDataTests.moc"
