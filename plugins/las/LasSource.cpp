// LAS6.sds: the data source of the "LAS" system, depth class. One block per
// LAS file that holds a requested curve: the index and the requested curves
// as doubles, empty values as NaN. The index is the block's "__DEPTH__"
// column, in metres, so that blocks can be re-indexed by true vertical depth.
#include "LasFolder.h"
#include "Logsheaf10.h"
#include "PluginInterface.h"

#include <QFileInfo>
#include <cmath>
#include <limits>

using namespace Plotmere;

PLOTMERE_ENTRY TDataSourceDescr GetDescription() {
    return {LasPlugin::LASSystemID, LasPlugin::LASSourceID, QStringLiteral("LAS files"), 1};
}

PLOTMERE_ENTRY TParamDescrArray GetParamList() { return LasPlugin::CurveList(); }

PLOTMERE_ENTRY bool Load(TDataSelection& Range, const QStringList* GIDs, TDataBlockList& Data, bool) {
    if (!GIDs) return false;
    for (const QString& file : LasPlugin::LasFiles()) {
        TLogsheaf t;
        t.SetFileName(file);
        t.SetReadOnly(true);
        t.Open();
        std::vector<int> columns{0};
        for (int i = 1; i < t.FieldCount(); ++i)
            if (GIDs->contains(t.Fields(i)->FieldName())) columns.push_back(i);
        if (columns.size() < 2) continue;
        TDataBlock* block = Data.Add();
        block->SetBlockID(QFileInfo(file).fileName());
        block->SetName(QFileInfo(file).completeBaseName());
        block->SetSystemID(LasPlugin::LASSystemID);
        block->SetSourceID(LasPlugin::LASSourceID);
        block->SetGroup(Range.Group);
        block->SetEnvironment(Range.Environment);
        block->SetMainID(MDSegmentID);
        std::vector<TDoubleDataSegment*> segments;
        for (const int c : columns) {
            auto seg = std::make_unique<TDoubleDataSegment>();
            seg->SetID(c == 0 ? MDSegmentID : t.Fields(c)->FieldName());
            seg->AllocBuffer(t.RecordCount());
            segments.push_back(static_cast<TDoubleDataSegment*>(block->AddSegment(std::move(seg))));
        }
        const double toMetres = LasPlugin::IndexToMetres(t.LASField(0)->Units);
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        for (t.First(); !t.Eof(); t.Next())
            for (size_t k = 0; k < columns.size(); ++k) {
                double v = 0;
                if (!t.Fields(columns[k])->GetData(&v)) v = std::numeric_limits<double>::quiet_NaN();
                if (k == 0) v *= toMetres;
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
    }
    return true;
}
