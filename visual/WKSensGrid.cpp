#include "WKSensGrid.h"

#include "ClassRegistry.h"
#include "ConvSys.h"
#include "EditControls.h"
#include "Formatting.h"
#include "Menus.h"
#include "ModalDialogs.h"
#include "Swatchbox.h"
#include "WKControls.h"
#include "dlg_SetupGrid.h"
#include "dlg_SetupSensorsGridFormulaItem.h"
#include "fr_Align.h"
#include "fr_SetupFormula.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <utility>

namespace {
TSensGridMenuLookup& ValuesMenuLookup() {
    static TSensGridMenuLookup lookup;
    return lookup;
}
}  // namespace

TSensGridMenuLookup SetSensGridValuesMenu(TSensGridMenuLookup lookup) {
    return std::exchange(ValuesMenuLookup(), std::move(lookup));
}

TSensGrid::TSensGrid(QObject* owner) : TCustomGrid(owner), FSensorList(new TSensorList(this)) {
    SetBorderStyle(bsNone);
    SetDefaultDrawing(true);
    SetDrawingStyle(gdsGradient);
    SetOptions(TGridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected |
                            goThumbTracking));
    SetColCount(2);
    SetRowCount(1);
    SetVertical(true);
    AdjustHeight();
    setFocusPolicy(Qt::StrongFocus);
    if (ValuesMenuLookup())
        if (TComponent* menu = ValuesMenuLookup()()) SetPopupMenu(menu);
    if (SecondaryServices) {
        SecondaryServices->AddNotification(this);
        FRegistered = true;
    }
}

TSensGrid::~TSensGrid() {
    if (FRegistered && SecondaryServices) SecondaryServices->RemoveNotification(this);
}

void TSensGrid::SetSensors(TCollection* list) {
    if (list && list != FSensorList) FSensorList->Assign(list);
}

void TSensGrid::SetVertical(bool v) {
    FVertical = v;
    AdjustCount();
    AdjustColWidths();
    TGridOptions o = Options() & ~TGridOptions(goRowMoving | goColMoving);
    SetOptions(o | (v ? goRowMoving : goColMoving));
}

void TSensGrid::SetExpanding(bool v) {
    FExpanding = v;
    AdjustCount();
    update();
}

void TSensGrid::AdjustCount() {
    const int items = FSensorList->Count();
    const TSensorDataArray* first = items > 0 ? FSensorList->Items(0)->FYData : nullptr;
    // Records beyond what a grid can show are not counted.
    const int n = std::min(first ? first->GetCount() : 0, MaxCount - 1);
    if (FVertical) {
        SetColCount(FExpanding ? std::max(2, n + 1) : 2);
        SetRowCount(std::max(1, items));
    } else {
        SetColCount(std::max(1, items));
        SetRowCount(FExpanding ? std::max(2, n + 1) : 2);
    }
}

void TSensGrid::AdjustFixed(bool on) {
    if (!on) {
        SetFixedCols(0);
        SetFixedRows(0);
    } else if (FVertical) {
        if (ColCount() < 2) SetColCount(2);
        SetFixedRows(0);
        SetFixedCols(1);
    } else {
        if (RowCount() < 2) SetRowCount(2);
        SetFixedCols(0);
        SetFixedRows(1);
    }
}

void TSensGrid::AdjustHeight() {
    SetDefaultRowHeight(QFontMetrics(Font()->ToQFont()).height() + 2);
}

void TSensGrid::AdjustColWidths() {
    if (IsLoading()) return;
    const QFontMetrics fm(Font()->ToQFont());
    int w0 = 1;
    for (int i = 0; i < FSensorList->Count(); ++i) {
        const TSensorItem* item = FSensorList->Items(i);
        const int name = fm.horizontalAdvance(item->Name()) + 4;
        if (FVertical) {
            w0 = std::max(w0, name);
        } else {
            const QString sample = item->GID() == 0 ? DateTimeToStr(Now()) + QLatin1Char('0')
                                                    : QString(item->Precision() + 5, QLatin1Char('0')) +
                                                          QStringLiteral("-. ") + item->Units();
            SetColWidths(i, std::max(fm.horizontalAdvance(sample), name));
        }
    }
    if (FVertical && ColCount() > 1) {
        const int digits = fm.horizontalAdvance(QString(18, QLatin1Char('0')));
        SetDefaultColWidth(digits);
        SetColWidths(0, w0);
        if (!FExpanding) SetColWidths(1, std::max(digits, ClientWidth() - w0 - 2));
    }
}

bool TSensGrid::CellText(int index, int position, QString& text, TColor& color) {
    if (index < 0 || index >= FSensorList->Count()) return false;
    TSensorItem* item = FSensorList->Items(index);
    const TColor fontColor = Font()->Color();
    if (position == 0) {
        text = item->Name();
        color = FColoredHeader ? item->Color() : fontColor;
        return true;
    }
    TSensorDataArray* a = item->FYData;
    if (!a || a->GetCount() <= position - 1) return false;
    const int i = FExpanding ? position - 1 : a->GetCount() - 1;
    // Reading the value first: a computed channel works its sample out (and
    // its state with it) only when the value is read.
    const double value = a->GetValue(i);
    const TSensorState state = a->GetState(i);
    // A value from before the loss of the server is shown as an error sample.
    const bool stale = IsStaleSample(*a, i);
    if (state == ssEmpty || state == ssError || stale)
        color = TColor(255);
    else if (state == ssFixed)
        color = TColor(0x808080);
    else
        color = FColoredValues ? item->Color() : fontColor;
    double shown = 0;
    if (std::isnan(value)) {
        color = TColor(255);
        text = item->FOldValue.isEmpty() ? QStringLiteral("?") : QLatin1Char('[') + item->FOldValue + QLatin1Char(']');
        return true;
    }
    text = a->AsString(i, item->A(), item->B(), item->Precision(), item->Units(), shown);
    item->FOldValue = text;
    if (state == ssEmpty || state == ssError || state == ssFixed || stale) text = QLatin1Char('[') + text + QLatin1Char(']');
    if (state == ssFixed)
        text += QLatin1Char(' ') + a->AsString(-1, item->A(), item->B(), item->Precision(), item->Units(), shown);
    return true;
}

void TSensGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect) {
    const int index = FVertical ? row : col;
    const int position = FVertical ? col : row;
    QString text;
    TColor color = Font()->Color();
    if (!CellText(index, position, text, color)) return;
    p.setFont(Font()->ToQFont());
    p.setPen(ColorToQColor(color));
    p.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
}

void TSensGrid::BindData() {
    const TWKStreamList* list = SecondaryServices ? &SecondaryServices->Streams() : nullptr;
    for (int i = 0; i < FSensorList->Count(); ++i) FSensorList->Items(i)->Bind(list, FIsDateTime, FStreamSuffix, true);
}

void TSensGrid::Notify(TServiceEvent Event, void*) {
    if (Event == seBindStreams) {
        BindData();
    } else if (Event == sePoll) {
        if (FExpanding) {
            const int before = FVertical ? ColCount() : RowCount();
            AdjustCount();
            const int grown = (FVertical ? ColCount() : RowCount()) - before;
            if (grown > 0) FVertical ? SetLeftCol(LeftCol() + grown) : SetTopRow(TopRow() + grown);
        }
        update();
    }
}

bool TSensGrid::WKMessage(TWKMessage& msg) {
    if (msg.Msg() != WM_WELLCHANGED) return false;
    FStreamSuffix = msg.LParam().toString();
    msg.Handled = true;
    return true;
}

void TSensGrid::FontChanged() {
    if (IsLoading()) return;
    AdjustHeight();
    AdjustColWidths();
}

void TSensGrid::Loaded() {
    TCustomGrid::Loaded();
    BindData();
    AdjustCount();
    AdjustColWidths();
}

void TSensGrid::resizeEvent(QResizeEvent* e) {
    TCustomGrid::resizeEvent(e);
    if (FVertical && !FExpanding) AdjustColWidths();
}

void TSensGrid::AddToPosition(int position) {
    TSensDescrArray picked;
    const TSensSelection selection =
        FIsDateTime ? TSensSelection{ssTime, ssForemostStream, ssFormulas} : TSensSelection{ssDepth, ssFormulas};
    if (!SelectParameters(selection, picked)) return;
    for (auto it = picked.crbegin(); it != picked.crend(); ++it) {
        auto* item = static_cast<TSensorItem*>(position < 0 || position >= FSensorList->Count()
                                                   ? FSensorList->Add()
                                                   : FSensorList->Insert(position));
        if (it->Flags.Contains(sfCalculated)) item->SetFormulaText(it->StrID);
        item->TakeDescription(*it);
        AdjustCount();
    }
    AdjustColWidths();
    BindData();
    update();
}

void TSensGrid::Delete(int index) {
    if (index < 0 || index >= FSensorList->Count()) return;
    FSensorList->Delete(index);
    AdjustCount();
    AdjustColWidths();
    update();
}

int TSensGrid::IndexFromPoint(const QPoint& screenPos) const {
    int c = -1, r = -1;
    MouseToCell(mapFromGlobal(screenPos), c, r);
    return FVertical ? r : c;
}

void TSensGrid::AddItems(const QPoint& screenPos) { AddToPosition(IndexFromPoint(screenPos)); }

void TSensGrid::DeleteFromPoint(const QPoint& screenPos) { Delete(IndexFromPoint(screenPos)); }

TSensorItem* TSensGrid::GetSelectedItem() const {
    const int i = FVertical ? Row() : Col();
    return i >= 0 && i < FSensorList->Count() ? FSensorList->Items(i) : nullptr;
}

bool TSensGrid::GetSensorDescriptor(TSensDescr& Descr) {
    const TSensorItem* item = GetSelectedItem();
    if (!item || !item->FormulaText().isEmpty()) return false;
    Descr = GetSensDescr(item->GID(), QString());
    return true;
}

void TSensGrid::SetupItemFromPoint(const QPoint& screenPos) {
    const int index = IndexFromPoint(screenPos);
    if (index < 0 || index >= FSensorList->Count()) return;
    TSensorItem* item = FSensorList->Items(index);
    const bool formula = !item->FormulaText().isEmpty();
    std::unique_ptr<TdlgSetupSensorsGridItem> dlg;
    if (formula) {
        auto* f = new TdlgSetupSensorsGridFormulaItem;
        f->frSetupFormula->FIsDateTime = FIsDateTime;
        f->frSetupFormula->SetFormula(item->FormulaText());
        dlg.reset(f);
    } else {
        dlg = std::make_unique<TdlgSetupSensorsGridItem>();
    }
    dlg->leCaption->SetText(item->Name());
    dlg->cbScaleColor->SetColor(item->Color());
    if (ShowModal(*dlg) == mrOk) {
        if (formula) item->SetFormulaText(static_cast<TdlgSetupSensorsGridFormulaItem&>(*dlg).frSetupFormula->Formula());
        item->SetColor(dlg->cbScaleColor->Color());
        item->SetName(dlg->leCaption->Text());
    }
    AdjustColWidths();
    update();
}

void TSensGrid::MoveItem(int from, int to) {
    if (from < 0 || from >= FSensorList->Count() || to < 0 || to >= FSensorList->Count()) return;
    FSensorList->Items(from)->SetIndex(to);
    update();
}

void TSensGrid::RowMoved(int from, int to) {
    if (FVertical) MoveItem(from, to);
}

void TSensGrid::ColumnMoved(int from, int to) {
    if (!FVertical) MoveItem(from, to);
}

void TSensGrid::Setup() { RunSetup(true); }

void TSensGrid::ChangeGridProperties() { RunSetup(false); }

void TSensGrid::RunSetup(bool full) {
    TdlgSetupGrid dlg;
    dlg.frAlign->setVisible(full);
    dlg.cbBorder->setVisible(full);
    dlg.cbTime->setVisible(full);
    dlg.frAlign->SetCtlAlign(Align());
    dlg.cbBorder->setChecked(BorderStyle() == bsSingle);
    dlg.cbTime->setChecked(FIsDateTime);
    dlg.cd.Color = Color();
    dlg.cd1.Color = GradientStartColor();
    dlg.cd2.Color = GradientEndColor();
    dlg.fd.TakeFrom(*Font());
    dlg.lvCheckboxes->SetChecked(sgoGridLines, GridLineWidth() > 0);
    dlg.lvCheckboxes->SetChecked(sgoVertical, FVertical);
    dlg.lvCheckboxes->SetChecked(sgoAccumulate, FExpanding);
    dlg.lvCheckboxes->SetChecked(sgoBoldNames, FixedCols() > 0 || FixedRows() > 0);
    dlg.lvCheckboxes->SetChecked(sgoThemes, DrawingStyle() == gdsThemed);
    dlg.lvCheckboxes->SetChecked(sgoColorHeaders, FColoredHeader);
    dlg.lvCheckboxes->SetChecked(sgoValueColors, FColoredValues);
    if (ShowModal(dlg) != mrOk) return;
    SetGridLineWidth(dlg.lvCheckboxes->Checked(sgoGridLines) ? 1 : 0);
    if (full) {
        SetAlign(dlg.frAlign->GetCtlAlign());
        SetBorderStyle(dlg.cbBorder->isChecked() ? bsSingle : bsNone);
        FIsDateTime = dlg.cbTime->isChecked();
    }
    SetVertical(dlg.lvCheckboxes->Checked(sgoVertical));
    SetDrawingStyle(dlg.lvCheckboxes->Checked(sgoThemes) ? gdsThemed : gdsGradient);
    AdjustFixed(dlg.lvCheckboxes->Checked(sgoBoldNames));
    SetExpanding(dlg.lvCheckboxes->Checked(sgoAccumulate));
    FColoredHeader = dlg.lvCheckboxes->Checked(sgoColorHeaders);
    FColoredValues = dlg.lvCheckboxes->Checked(sgoValueColors);
    SetColor(dlg.cd.Color);
    dlg.fd.ApplyTo(*Font());
    SetGradientStartColor(dlg.cd1.Color);
    SetGradientEndColor(dlg.cd2.Color);
    AdjustCount();
    update();
}

void TSensGrid::mousePressEvent(QMouseEvent* e) {
    // A right press selects the cell first, so that the popup menu acts on it.
    if (e->button() == Qt::RightButton) {
        QMouseEvent left(QEvent::MouseButtonPress, e->position(), e->globalPosition(), Qt::LeftButton, Qt::LeftButton,
                         e->modifiers());
        TCustomGrid::mousePressEvent(&left);
        TCustomGrid::mouseReleaseEvent(&left);
    }
    TCustomGrid::mousePressEvent(e);
}

void TSensGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    TCustomGrid::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton && !IsDesigning()) ChangeGridProperties();
}

void TSensGrid::wheelEvent(QWheelEvent* e) {
    if (RowCount() <= 1) return e->ignore();
    const int notches = e->angleDelta().y() / 120;
    if (notches != 0 && (Row() < FixedRows() || Row() >= RowCount())) {
        const int row = notches < 0 ? TopRow() + std::max(1, VisibleRowCount()) - 1 : TopRow();
        SetSelection(1, std::clamp(row, FixedRows(), RowCount() - 1));
    }
    TCustomGrid::wheelEvent(e);
}

void TSensGrid::leaveEvent(QEvent* e) {
    TCustomGrid::leaveEvent(e);
    // The pointer going into the grid's own popup menu is no leaving: the
    // menu's commands act on the selected item.
    if (!QApplication::activePopupWidget()) SetSelection(-1, -1);
}

void TSensGrid::contextMenuEvent(QContextMenuEvent* e) {
    auto* menu = qobject_cast<TPopupMenu*>(PopupMenu());
    if (!menu || !menu->AutoPopup() || IsDesigning()) return e->ignore();
    menu->Popup(this, e->globalPos());
    e->accept();
}

WK_REGISTER_CLASS(TSensGrid)
