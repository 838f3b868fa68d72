#include "WellLogTestSupport.h"

#include "Logsheaf10.h"

#include <QPainter>
#include <cmath>

using namespace Plotmere;

namespace LayoutTests {

TDataBlock* AddBlock(TSketchDocument& doc, const QString& source, const QString& name, const std::vector<double>& index,
                     const std::vector<TColumnValues>& columns, const QString& group) {
    TDataBlock* block = doc.Blocks().Add();
    block->SetSourceID(source);
    block->SetSystemID(source);
    block->SetName(name);
    block->SetGroup(group);
    block->SetMainID(MDSegmentID);
    auto main = std::make_unique<TDoubleDataSegment>();
    main->SetID(MDSegmentID);
    for (const double v : index) main->AddDouble(v);
    block->AddSegment(std::move(main));
    for (const auto& [id, values] : columns) {
        auto column = std::make_unique<TDoubleDataSegment>();
        column->SetID(id);
        for (const double v : values) column->AddDouble(v);
        block->AddSegment(std::move(column));
    }
    block->CropBuffers();
    if (!index.empty()) {
        block->SetStart(index.front());
        block->SetStop(index.back());
    }
    return block;
}

void SetUpDepthDocument(TSketchDocument& doc, double min, double max, double scale, double step) {
    doc.SetDataClass(1);
    doc.SetMin(min);
    doc.SetMax(max);
    doc.SetScale(scale);
    doc.SetStep(step);
    doc.SetStrPageSize(QStringLiteral("A4, 210mm x 297mm"));
    doc.SetIsFixedPageSize(true);
}

TPrintLineSeries* AddLineCurve(TPrintField* field, const QString& gid, double min, double max, TColor color) {
    auto* series = new TPrintLineSeries(field);
    series->SetSourceID(QStringLiteral("SRC"));
    series->SetGID(gid);
    series->SetCaption(gid);
    series->SetMin(min);
    series->SetMax(max);
    series->SetColor(color);
    return series;
}

void WriteWellLas(const QString& path) {
    TLogsheaf t;
    t.SetFileName(path);
    t.LASFieldDefs()->Add("DEPT", "M", "Depth");
    t.LASFieldDefs()->Add("GR", "API", "Gamma ray");
    t.LASFieldDefs()->Add("RES", "OHMM", "Resistivity");
    t.SetWell("WELL 7");
    t.SetStart(0);
    t.SetStop(100);
    t.SetStep(0.1);
    t.CreateTable();
    t.Open();
    for (int i = 0; i <= 1000; ++i) {
        const double depth = i / 10.0;
        t.Append();
        t.Fields(0)->SetAsFloat(depth);
        const bool gap = i > 400 && i < 500;
        t.Fields(1)->SetAsFloat(gap ? -9999 : 50 + 45 * std::sin(depth / 3));
        t.Fields(2)->SetAsFloat(std::pow(10.0, 3 * depth / 100));
        t.Post();
    }
    t.Close();
}

void RenderPages(TPrintDocument& doc, TRecordingCanvas& canvas) {
    doc.PrepareDocument();
    TBitmapDevice device;
    const QSizeF page = doc.PageSizeMM();
    device.PageWidth = page.width();
    device.PageHeight = page.height();
    QPainter painter(&canvas);
    device.BeginRender(&painter);
    for (int n = 1; n <= doc.PageCount(); ++n) {
        device.SetPageNo(n);
        doc.RenderCurrentPage(device);
    }
    device.EndRender(&painter);
}

Plotmere::TPrintField* AddTrack(Plotmere::TPrintItem* parent, int left, int top, int width) {
    auto* field = new Plotmere::TPrintField(parent);
    field->SetLeft(left);
    field->SetTop(top);
    field->SetWidth(width);
    return field;
}

Plotmere::TPrintComment* AddComment(Plotmere::TPrintItem* root, double x, double value, const QString& text) {
    auto* comment = new Plotmere::TPrintComment(root);
    comment->SetXOffset(x);
    comment->SetYOffset(value);
    comment->SetComment(text);
    return comment;
}

}  // namespace LayoutTests
