// LAS6.ssl: the "LAS" system. Its curves are those of its data source; its
// tables are the well sections of the files; asked for the depth table it
// gives "__DEPTH__" and "__TVD__" of the first file with a TVD curve, in
// metres.
#include "Exceptions.h"
#include "LasFolder.h"
#include "Logsheaf10.h"
#include "PluginInterface.h"
#include "UIServices.h"

#include <QFileInfo>
#include <cmath>
#include <limits>

using namespace Plotmere;

namespace {

const QStringList WellColumns = {QStringLiteral("MNEM"), QStringLiteral("UNIT"), QStringLiteral("VALUE"), QStringLiteral("DESCR")};

// A table's name: the file's name.
QString TableName(const QString& file) { return QFileInfo(file).fileName(); }

TDataBlock* NewBlock(TDataBlockList& data, const TDataSelection& range, const QString& name, const QString& sourceID) {
    TDataBlock* b = data.Add();
    b->SetName(name);
    b->SetBlockID(name);
    b->SetSystemID(LasPlugin::LASSystemID);
    b->SetSourceID(sourceID);
    b->SetGroup(range.Group);
    b->SetEnvironment(range.Environment);
    return b;
}

void AddWellTable(TDataBlockList& data, const TDataSelection& range, const QString& file) {
    TLogsheaf t;
    t.SetFileName(file);
    t.SetReadOnly(true);
    t.SetHeaderOnly(true);
    t.Open();
    TDataBlock* b = NewBlock(data, range, TableName(file), LasPlugin::LASSystemID);
    std::vector<TDataSegment*> cols;
    for (const QString& c : WellColumns) cols.push_back(b->AddSegment(std::make_unique<TStringDataSegment>(c)));
    for (const QString& line : t.GetSection(lsWell).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const TLASLineParts p = SplitString(t.StringToText(line));
        if (p.ID.isEmpty()) continue;
        cols[0]->AddData(t.TextToString(p.ID));
        cols[1]->AddData(t.TextToString(p.Ext));
        cols[2]->AddData(t.TextToString(p.Value));
        cols[3]->AddData(t.TextToString(p.Comment));
    }
}

// The depth table of one file; false when it has no TVD curve.
bool AddDepthTable(TDataBlockList& data, const TDataSelection& range, const QString& file) {
    TLogsheaf t;
    t.SetFileName(file);
    t.SetReadOnly(true);
    t.Open();
    int tvd = -1;
    for (int i = 1; i < t.FieldCount(); ++i)
        if (t.Fields(i)->FieldName().compare(QStringLiteral("TVD"), Qt::CaseInsensitive) == 0) tvd = i;
    if (tvd < 0) return false;
    TDataBlock* b = NewBlock(data, range, MDTVDName, MDTVDName);
    b->SetMainID(MDSegmentID);
    auto* md = static_cast<TDoubleDataSegment*>(b->AddSegment(std::make_unique<TDoubleDataSegment>()));
    auto* tv = static_cast<TDoubleDataSegment*>(b->AddSegment(std::make_unique<TDoubleDataSegment>()));
    md->SetID(MDSegmentID);
    tv->SetID(TVDSegmentID);
    md->AllocBuffer(t.RecordCount());
    tv->AllocBuffer(t.RecordCount());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double mdToMetres = LasPlugin::IndexToMetres(t.LASField(0)->Units);
    const double tvdToMetres = LasPlugin::IndexToMetres(t.LASField(tvd)->Units);
    for (t.First(); !t.Eof(); t.Next()) {
        md->AddDouble(t.Fields(0)->IsNull() ? nan : t.Fields(0)->AsFloat() * mdToMetres);
        tv->AddDouble(t.Fields(tvd)->IsNull() ? nan : t.Fields(tvd)->AsFloat() * tvdToMetres);
    }
    b->CropBuffers();
    return true;
}

bool AddDepthTable(TDataBlockList& data, const TDataSelection& range) {
    QStringList problems;
    bool found = false;
    for (const QString& file : LasPlugin::LasFiles()) {
        try {
            found = AddDepthTable(data, range, file);
        } catch (const std::exception& e) {
            problems << LasPlugin::FileProblem(file, ExceptionMessage(e));
        }
        if (found) break;
    }
    LasPlugin::ReportSkippedFiles(problems);
    return found;
}

}  // namespace

PLOTMERE_ENTRY TSystemDescr GetDescription() { return {LasPlugin::LASSystemID, QStringLiteral("LAS")}; }

PLOTMERE_ENTRY TParamDescrArray GetParamList() { return LasPlugin::CurveList(); }

PLOTMERE_ENTRY TSketchTableDescrArray GetTableList() {
    TSketchTableDescrArray tables;
    for (const QString& file : LasPlugin::LasFiles()) {
        TSketchTableDescr t{LasPlugin::LASSystemID, TableName(file), TableName(file), {}};
        for (const QString& c : WellColumns) t.Fields.append({c, c, dtString, 0, clBlack});
        tables.append(t);
    }
    return tables;
}

PLOTMERE_ENTRY void Setup() {
    QString folder = LasPlugin::LasFolder();
    if (!UIServices().InputQuery(QStringLiteral("LAS"), QStringLiteral("Папка с файлами LAS"), folder)) return;
    // Nothing may leave a plug-in entry: a settings file that cannot be
    // written is told here.
    try {
        LasPlugin::SetLasFolder(folder);
    } catch (const std::exception& e) {
        UIServices().MessageDlg(ExceptionMessage(e), mtError, mbOK);
    }
}

PLOTMERE_ENTRY bool Load(TDataSelection& Range, const QStringList* GIDs, TDataBlockList& Data, bool) {
    if (!GIDs) return Range.Environment == MDTVDName && AddDepthTable(Data, Range);
    QStringList problems;
    for (const QString& file : LasPlugin::LasFiles()) {
        if (!GIDs->contains(TableName(file))) continue;
        try {
            AddWellTable(Data, Range, file);
        } catch (const std::exception& e) {
            problems << LasPlugin::FileProblem(file, ExceptionMessage(e));
        }
    }
    LasPlugin::ReportSkippedFiles(problems);
    // The curves come from the data source, which loads only after a True.
    return true;
}
