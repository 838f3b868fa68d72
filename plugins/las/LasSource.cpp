// LAS6.sds: the data source of the "LAS" system, depth class. One block per
// LAS file that holds a requested curve: the index and the requested curves
// as doubles, empty values as NaN. The index is the block's "__DEPTH__"
// column, in metres, so that blocks can be re-indexed by true vertical depth; asked for
// by its own ID, the index curve is delivered as a column of its own too.
// A file that cannot be read is passed over and named in a message.
#include "DebugOutput.h"
#include "Exceptions.h"
#include "LasFolder.h"
#include "Logsheaf10.h"
#include "PluginInterface.h"

#include <QFileInfo>
#include <cmath>
#include <limits>

using namespace Plotmere;

namespace {

// Appends the block of one file with the wanted (segment ID, field name)
// columns; false when the file holds none of them (any more).
bool LoadFile(const QString& file, const std::vector<std::pair<QString, QString>>& wanted, const TDataSelection& range,
              TDataBlockList& data) {
    TLogsheaf t;
    t.SetFileName(file);
    t.SetReadOnly(true);
    t.Open();
    // Column 0 of the block is the index; then the wanted fields.
    std::vector<int> columns{0};
    QStringList ids{MDSegmentID};
    for (const auto& [id, field] : wanted)
        for (int i = 0; i < t.FieldCount(); ++i)
            if (t.Fields(i)->FieldName() == field) {
                columns.push_back(i);
                ids << id;
                break;
            }
    if (columns.size() < 2) return false;
    TDataBlock* block = data.Add();
    block->SetBlockID(QFileInfo(file).fileName());
    block->SetName(QFileInfo(file).completeBaseName());
    block->SetSystemID(LasPlugin::LASSystemID);
    block->SetSourceID(LasPlugin::LASSourceID);
    block->SetGroup(range.Group);
    block->SetEnvironment(range.Environment);
    block->SetMainID(MDSegmentID);
    std::vector<TDoubleDataSegment*> segments;
    for (const QString& id : ids) {
        auto seg = std::make_unique<TDoubleDataSegment>();
        seg->SetID(id);
        seg->AllocBuffer(t.RecordCount());
        segments.push_back(static_cast<TDoubleDataSegment*>(block->AddSegment(std::move(seg))));
    }
    // The index (as the block's depth and as a curve of its own) in metres.
    const double toMetres = LasPlugin::IndexToMetres(t.LASField(0)->Units);
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (t.First(); !t.Eof(); t.Next())
        for (size_t k = 0; k < columns.size(); ++k) {
            double v = 0;
            if (!t.Fields(columns[k])->GetData(&v)) v = std::numeric_limits<double>::quiet_NaN();
            if (columns[k] == 0) v *= toMetres;
            segments[k]->AddDouble(v);
            if (k == 0 && !std::isnan(v)) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
    block->CropBuffers();
    if (lo <= hi) {
        block->SetStart(lo);
        block->SetStop(hi);
    }
    return true;
}

}  // namespace

PLOTMERE_ENTRY TDataSourceDescr GetDescription() {
    return {LasPlugin::LASSystemID, LasPlugin::LASSourceID, QStringLiteral("LAS files"), 1};
}

PLOTMERE_ENTRY TParamDescrArray GetParamList() { return LasPlugin::CurveList(); }

// False (the document keeps the blocks it has) when files failed and nothing
// was delivered.
PLOTMERE_ENTRY bool Load(TDataSelection& Range, const QStringList* GIDs, TDataBlockList& Data, bool) {
    if (!GIDs) return false;
    const QList<LasPlugin::TLasFileCurves> files = LasPlugin::FolderCurves(false);
    QStringList problems;
    bool delivered = false;
    for (int i = 0; i < files.size(); ++i) {
        const QString& file = files[i].File;
        if (!files[i].Error.isEmpty()) {
            problems << LasPlugin::FileProblem(file, files[i].Error);
            continue;
        }
        const auto wanted = LasPlugin::RequestedCurves(files, i, *GIDs);
        if (wanted.empty()) continue;
        try {
            delivered = LoadFile(file, wanted, Range, Data) || delivered;
        } catch (const std::exception& e) {
            // The file changed or vanished since its curves were listed.
            const QString why = ExceptionMessage(e);
            OutputDebugString(QStringLiteral("LAS plug-in Load: %1: %2").arg(file, why));
            problems << LasPlugin::FileProblem(file, why);
        }
    }
    LasPlugin::ReportSkippedFiles(problems);
    return delivered || problems.isEmpty();
}
