// Marks of line curves as undoable actions. Actions hold the curve by GUID
// and the mark by its place and values, so that undo and redo find them
// after the curve was re-created from its text.
#include "PrintSeries.h"

namespace Plotmere {

TBaseMarkAction::TBaseMarkAction(TPrintEditActions actions, TPrintDocument* document, TPrintLineSeries* series)
    : TPrintAction(actions, document), FSeriesID(series->ID()) {}

void TBaseMarkAction::CreateMark(TPrintLineSeries& series) {
    try {
        TPrintMark* mark = series.Marks().AddMark();
        mark->SetX(FX);
        mark->SetY(FY);
        mark->SetUp(FUp);
        if (FMarkID < 0) FMarkID = mark->Index();
        else mark->SetIndex(std::min(FMarkID, series.Marks().Count() - 1));
    } catch (const std::exception&) {
        // A mark that cannot be placed is left out.
    }
}

void TBaseMarkAction::Refresh(TPrintLineSeries& series) {
    if (TPrintField* field = series.GetPrintField()) field->Invalidate();
    FDocument->Update();
}

void TBaseMarkAction::DoAddMark() {
    auto* series = qobject_cast<TPrintLineSeries*>(FDocument->FindItem(FSeriesID));
    if (!series) return;
    CreateMark(*series);
    Refresh(*series);
}

void TBaseMarkAction::DoDelMark() {
    auto* series = qobject_cast<TPrintLineSeries*>(FDocument->FindItem(FSeriesID));
    if (!series) return;
    TPrintMarks& marks = series->Marks();
    // Only the mark this action recorded: a reload may have replaced it.
    if (FMarkID >= 0 && FMarkID < marks.Count()) {
        const TPrintMark* mark = marks.GetMark(FMarkID);
        if (mark->X() == FX && mark->Y() == FY && mark->Up() == FUp) marks.Delete(FMarkID);
    }
    Refresh(*series);
}

TPrintSetMarkAction::TPrintSetMarkAction(TPrintLineSeries* series, double x, double y, bool up)
    : TBaseMarkAction(TPrintEditActions{saMark}, series->GetDocument(), series) {
    FX = x;
    FY = y;
    FUp = up;
    FMarkID = -1;
    CreateMark(*series);
}

void TPrintSetMarkAction::Redo() {
    TPrintAction::Redo();
    DoAddMark();
}

void TPrintSetMarkAction::Undo() {
    TPrintAction::Undo();
    DoDelMark();
}

TPrintDeleteMarkAction::TPrintDeleteMarkAction(TPrintLineSeries* series, TPrintMark* mark)
    : TBaseMarkAction(TPrintEditActions{saDelete}, series->GetDocument(), series) {
    FX = mark->X();
    FY = mark->Y();
    FUp = mark->Up();
    FMarkID = mark->Index();
    series->Marks().Delete(FMarkID);
}

void TPrintDeleteMarkAction::Redo() {
    TPrintAction::Redo();
    DoDelMark();
}

void TPrintDeleteMarkAction::Undo() {
    TPrintAction::Undo();
    DoAddMark();
}

}  // namespace Plotmere
