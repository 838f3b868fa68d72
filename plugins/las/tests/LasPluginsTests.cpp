// The LAS plug-ins as the plug-in manager calls them: loaded from the build's
// Plugins folder, the folder of LAS files named by a temporary settings home.
#include "DataStructures.h"
#include "Logsheaf10.h"
#include "PluginInterface.h"
#include "RegIniFile.h"
#include "TestSupport.h"
#include "UIServices.h"

#include <QDateTime>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace Plotmere;

namespace {

using TRows = std::vector<std::vector<double>>;

// A folder of LAS files, the data source plug-in and scripted message boxes.
struct TLasFolder {
    TLasFolder() {
        TRegIniFile("Software\\Korva\\Plotmere").WriteString("LAS", "Folder", Dir.path());
        if (!Source.load()) throw std::runtime_error(Source.errorString().toStdString());
        GetParamList = reinterpret_cast<TGetParamListProc>(Source.resolve(EntryGetParamList));
        LoadProc = reinterpret_cast<TLoadProc>(Source.resolve(EntryLoad));
    }
    ~TLasFolder() { SetUIServices(PreviousUI); }

    QString Path(const QString& name) const { return Dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) const {
        QFile f(Path(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    // A depth log of the curves through the table; -9999 is empty.
    void WriteLas(const QString& name, const QStringList& curves, const TRows& rows) const {
        TLogsheaf t;
        t.SetFileName(Path(name));
        for (const QString& c : curves) t.LASFieldDefs()->Add(c, c == "DEPT" ? "M" : "API", c + " curve");
        t.CreateTable();
        t.Open();
        for (const auto& row : rows) {
            t.Append();
            for (size_t i = 0; i < row.size(); ++i) t.Fields(int(i))->SetAsFloat(row[i]);
            t.Post();
        }
        t.Close();
    }
    bool Load(const QStringList& ids, TDataBlockList& data) const {
        TDataSelection range;
        range.Group = "G";
        return LoadProc(range, &ids, data, false);
    }
    // The ID and path of every offered curve.
    QStringList Offered() const {
        QStringList list;
        for (const TParamDescr& d : GetParamList()) list << d.Path + " " + d.ID;
        return list;
    }

    TTempXdgHome Home;
    QTemporaryDir Dir;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> PreviousUI = SetUIServices(UI);
    QLibrary Source{BinDir() + "/Plugins/LAS6.sds"};
    TGetParamListProc GetParamList = nullptr;
    TLoadProc LoadProc = nullptr;
};

std::vector<double> Column(const TDataBlock& b, const QString& id) {
    std::vector<double> v;
    const TDataSegment* s = b.GetDataSegment(id);
    if (!s) return v;
    for (int i = 0; i < s->GetCount(); ++i) v.push_back(s->GetAsDouble(i));
    return v;
}

std::vector<double> Range(double first, double step, int n) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(first + i * step);
    return v;
}

TRows Rows(const std::vector<double>& depth, const std::vector<double>& values) {
    TRows rows;
    for (size_t i = 0; i < depth.size(); ++i) rows.push_back({depth[i], values[i]});
    return rows;
}

TEST(LasPlugins, BadFileIsSkippedAndNamed) {
    TLasFolder f;
    // An empty folder offers nothing, loads nothing and says nothing.
    TDataBlockList none;
    EXPECT_TRUE(f.Offered().isEmpty());
    EXPECT_TRUE(f.Load({"good.las|GR"}, none));
    EXPECT_EQ(none.Count(), 0);
    EXPECT_TRUE(f.UI->Messages.isEmpty());

    f.WriteLas("good.las", {"DEPT", "GR"}, Rows(Range(10, 1, 5), Range(50, 1, 5)));
    QFile good(f.Path("good.las"));
    good.open(QIODevice::ReadOnly);
    const QByteArray goodBytes = good.readAll();
    f.Write("half.las", goodBytes.left(goodBytes.indexOf("~C")));
    f.Write("las30.las", "~Version\r\nVERS. 3.0 : CWLS LOG ASCII STANDARD - VERSION 3.0\r\n~Curve\r\nDEPT.M : d\r\n"
                         "~Log_Data | Log_Definition\r\n10\r\n");
    f.Write("noise.las", "\x13\x7f\n~C\nxx. :\n~A\n\xde\xad beef\n");
    EXPECT_EQ(f.Offered(), (QStringList{"good.las good.las|DEPT", "good.las good.las|GR"}));
    // The picker's list says once which files it passed over and why.
    ASSERT_EQ(f.UI->Messages.size(), 1);
    const QString listed = f.UI->Messages[0];
    EXPECT_TRUE(listed.contains("half.las: ~ASCII Log data section not found")) << listed.toStdString();
    EXPECT_TRUE(listed.contains("las30.las: LAS 3.0 is not supported: " + f.Path("las30.las"))) << listed.toStdString();
    EXPECT_TRUE(listed.contains("noise.las: ~ASCII Log data section holds no numbers")) << listed.toStdString();
    EXPECT_FALSE(listed.contains("good.las"));
    f.GetParamList();
    EXPECT_EQ(f.UI->Messages.size(), 1) << "an unchanged file is not reported again";

    // Loading takes the good file and names the bad ones.
    TDataBlockList data;
    EXPECT_TRUE(f.Load({"good.las|GR"}, data));
    ASSERT_EQ(data.Count(), 1);
    EXPECT_EQ(Column(*data.GetBlock(0), "good.las|GR"), Range(50, 1, 5));
    ASSERT_EQ(f.UI->Messages.size(), 2);
    EXPECT_TRUE(f.UI->Messages[1].contains("half.las: ") && f.UI->Messages[1].contains("las30.las: ") &&
                f.UI->Messages[1].contains("noise.las: "))
        << f.UI->Messages[1].toStdString();

    // The good file half-copied over again: nothing to deliver, and the
    // answer False keeps what the document holds.
    f.Write("good.las", goodBytes.left(goodBytes.size() / 3));
    TDataBlockList after;
    EXPECT_FALSE(f.Load({"good.las|GR"}, after));
    EXPECT_EQ(after.Count(), 0);
    ASSERT_EQ(f.UI->Messages.size(), 3);
    EXPECT_TRUE(f.UI->Messages[2].contains("good.las: ")) << f.UI->Messages[2].toStdString();
}

TEST(LasPlugins, CurvesComeFromTheChosenFile) {
    TLasFolder f;
    // Two wells with curves of one name over other depths and values.
    f.WriteLas("a.las", {"DEPT", "GR", "RHOB"}, {{100, 1, 2.1}, {101, 2, 2.2}, {102, 3, 2.3}});
    f.WriteLas("b.las", {"DEPT", "GR"}, {{500, 70}, {501, 80}});
    const TParamDescrArray params = f.GetParamList();
    EXPECT_EQ(f.Offered(), (QStringList{"a.las a.las|DEPT", "a.las a.las|GR", "a.las a.las|RHOB", "b.las b.las|DEPT",
                                        "b.las b.las|GR"}));
    ASSERT_EQ(params.size(), 5);
    EXPECT_EQ(params[4].ShortName, "GR");
    EXPECT_EQ(std::make_pair(params[4].Min, params[4].Max), std::make_pair(70.0, 80.0));
    EXPECT_EQ(std::make_pair(params[1].Min, params[1].Max), std::make_pair(1.0, 3.0));
    // Each curve has a colour of its own, the same for one name in every file.
    EXPECT_EQ(params[1].Color, params[4].Color);
    EXPECT_NE(params[1].Color, params[2].Color);
    EXPECT_NE(params[1].Color, clBlack);

    TDataBlockList data;
    EXPECT_TRUE(f.Load({"b.las|GR"}, data));
    ASSERT_EQ(data.Count(), 1);
    const TDataBlock& b = *data.GetBlock(0);
    EXPECT_EQ(b.BlockID(), "b.las");
    EXPECT_EQ(b.SourceID(), "LAS.Curves");
    EXPECT_EQ(b.Group(), "G");
    EXPECT_EQ(Column(b, MDSegmentID), (std::vector<double>{500, 501}));
    EXPECT_EQ(Column(b, "b.las|GR"), (std::vector<double>{70, 80}));
    EXPECT_EQ(std::make_pair(b.Start(), b.Stop()), std::make_pair(500.0, 501.0));

    // Curves of both files, each in its file's block.
    TDataBlockList both;
    EXPECT_TRUE(f.Load({"a.las|GR", "b.las|GR", "a.las|RHOB"}, both));
    ASSERT_EQ(both.Count(), 2);
    EXPECT_EQ(Column(*both.GetBlock(0), "a.las|GR"), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(Column(*both.GetBlock(0), "a.las|RHOB"), (std::vector<double>{2.1, 2.2, 2.3}));
    EXPECT_EQ(both.GetBlock(0)->GetDataSegment("b.las|GR"), nullptr);
    EXPECT_EQ(Column(*both.GetBlock(1), "b.las|GR"), (std::vector<double>{70, 80}));

    // A name alone, as forms saved it before, is the first file's curve only.
    TDataBlockList legacy;
    EXPECT_TRUE(f.Load({"GR"}, legacy));
    ASSERT_EQ(legacy.Count(), 1);
    EXPECT_EQ(legacy.GetBlock(0)->BlockID(), "a.las");
    EXPECT_EQ(Column(*legacy.GetBlock(0), "GR"), (std::vector<double>{1, 2, 3}));
    EXPECT_TRUE(f.UI->Messages.isEmpty()) << f.UI->Messages.join('\n').toStdString();
}

TEST(LasPlugins, IndexCurveIsDelivered) {
    TLasFolder f;
    // Recorded bottom-up: the index falls.
    f.WriteLas("up.las", {"DEPT", "GR"}, {{102.5, 3}, {102, -9999}, {101.5, 1}});
    const TParamDescrArray params = f.GetParamList();
    ASSERT_EQ(params.size(), 2);
    EXPECT_EQ(params[0].ID, "up.las|DEPT");
    EXPECT_EQ(params[0].Units, "M");
    EXPECT_EQ(std::make_pair(params[0].Min, params[0].Max), std::make_pair(101.5, 102.5));
    TDataBlockList data;
    EXPECT_TRUE(f.Load({"up.las|DEPT", "up.las|GR"}, data));
    ASSERT_EQ(data.Count(), 1);
    const TDataBlock& b = *data.GetBlock(0);
    EXPECT_EQ(b.MainID(), MDSegmentID);
    EXPECT_EQ(Column(b, "up.las|DEPT"), (std::vector<double>{102.5, 102, 101.5}));
    EXPECT_EQ(Column(b, MDSegmentID), (std::vector<double>{102.5, 102, 101.5}));
    const std::vector<double> gr = Column(b, "up.las|GR");
    ASSERT_EQ(gr.size(), 3u);
    EXPECT_TRUE(std::isnan(gr[1]));
    EXPECT_EQ(std::make_pair(b.Start(), b.Stop()), std::make_pair(101.5, 102.5));
    // The index alone is delivered too.
    TDataBlockList only;
    EXPECT_TRUE(f.Load({"up.las|DEPT"}, only));
    ASSERT_EQ(only.Count(), 1);
    EXPECT_EQ(Column(*only.GetBlock(0), "up.las|DEPT"), (std::vector<double>{102.5, 102, 101.5}));
}

TEST(LasPlugins, FileIsReadAgainOnlyWhenItChanged) {
    TLasFolder f;
    f.WriteLas("w.las", {"DEPT", "GR"}, {{1, 10}, {2, 20}});
    ASSERT_EQ(f.GetParamList().size(), 2);
    QFile file(f.Path("w.las"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QDateTime time = file.fileTime(QFileDevice::FileModificationTime);
    QByteArray bytes = file.readAll();
    // Same size, same time: the header is not read again.
    bytes.replace("GR  .API", "XX  .API");
    ASSERT_TRUE(bytes.contains("XX  .API"));
    file.seek(0);
    file.write(bytes);
    file.flush();
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(f.GetParamList()[1].ShortName, "GR");
    // A new time: read again.
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time.addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    const TParamDescrArray again = f.GetParamList();
    ASSERT_EQ(again.size(), 2);
    EXPECT_EQ(again[1].ShortName, "XX");
}

}  // namespace
