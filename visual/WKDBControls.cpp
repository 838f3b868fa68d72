#include "WKDBControls.h"

#include "ClassRegistry.h"
#include "DebugOutput.h"
#include "Messages.h"
#include "ModalDialogs.h"
#include "UIServices.h"
#include "dlg_SelectTimeRange.h"
#include "dlg_SetupSplitter.h"
#include "dm_Wells.h"
#include "fr_Align.h"

#include <QAction>
#include <algorithm>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

TdmWKDBControls* dmWKDBControls = nullptr;

namespace {
const QString OpLogKey = QStringLiteral("OPTIME = :%1OPTIME and WELLID = :%1WELLID");
const QStringList OpLogColumns{"WELLID", "OPTIME",   "DEPTH",    "RUNNO",       "OPCLASS",  "OPCODE",
                               "OPSUBCODE", "VDEPTH", "TOPDEPTH", "BOTTOMDEPTH", "\"COMMENT\""};
// Text fields hold UTF-8 bytes: room for every character of the column.
constexpr int BytesPerChar = 4;

QString ParamList(const QString& prefix) {
    QStringList params;
    for (QString c : OpLogColumns) params << QStringLiteral(":") + prefix + c.remove(QLatin1Char('"'));
    return params.join(QStringLiteral(", "));
}

QStringList ModifyStatement() {
    QStringList sets;
    for (const QString& c : OpLogColumns) {
        QString param = c;
        sets << c + QStringLiteral(" = :") + param.remove(QLatin1Char('"'));
    }
    return {QStringLiteral("update OPERATIONLOG set"), sets.join(QStringLiteral(", ")),
            QStringLiteral("where ") + OpLogKey.arg(QStringLiteral("OLD_"))};
}

QString StringValue(const TDataSet& d, const char* name) {
    const TField* f = d.FindField(QString::fromLatin1(name));
    return f ? f->AsString() : QString();
}

QImage Glyph(int index) {
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x20, 0x40, 0x80);
    switch (index) {
        case 0:  // new: a sheet with a plus
            p.setPen(ink);
            p.setBrush(Qt::white);
            p.drawRect(2, 1, 10, 13);
            p.setPen(QPen(QColor(0x10, 0x90, 0x10), 2));
            p.drawLine(11, 8, 11, 15);
            p.drawLine(8, 11, 15, 11);
            break;
        case 1:  // delete: a red cross
            p.setPen(QPen(QColor(0xC0, 0x20, 0x20), 2.5));
            p.drawLine(3, 3, 13, 13);
            p.drawLine(13, 3, 3, 13);
            break;
        case 2:  // properties: a sheet with lines
            p.setPen(ink);
            p.setBrush(Qt::white);
            p.drawRect(2, 1, 12, 14);
            for (int y = 4; y <= 12; y += 3) p.drawLine(5, y, 11, y);
            break;
        default:  // copy: two sheets
            p.setPen(ink);
            p.setBrush(QColor(0xE0, 0xE8, 0xF8));
            p.drawRect(1, 1, 9, 10);
            p.setBrush(Qt::white);
            p.drawRect(6, 5, 9, 10);
            break;
    }
    return img;
}
}  // namespace

// ---- the module

TdmWKDBControls::TdmWKDBControls(QObject* AOwner) : TComponent(AOwner) {
    SetName(QStringLiteral("dmWKDBControls"));
    tblOpLog = new TSqlDataSet(this);
    tblOpLog->SetName(QStringLiteral("tblOpLog"));
    tblOpLog->Transaction = &itOpLog;
    tblOpLog->SelectSQL = {QStringLiteral("Select * from OPERATIONLOG"), QStringLiteral("where WELLID = :WELLID"),
                           QStringLiteral("order by OPTIME")};
    tblOpLog->RefreshSQL = {QStringLiteral("Select ") + OpLogColumns.join(QStringLiteral(", ")),
                            QStringLiteral("from OPERATIONLOG"), QStringLiteral("where ") + OpLogKey.arg(QString())};
    tblOpLog->InsertSQL = {QStringLiteral("insert into OPERATIONLOG (") + OpLogColumns.join(QStringLiteral(", ")) +
                               QStringLiteral(")"),
                           QStringLiteral("values (") + ParamList(QString()) + QStringLiteral(")")};
    tblOpLog->ModifySQL = ModifyStatement();
    tblOpLog->DeleteSQL = {QStringLiteral("delete from OPERATIONLOG"),
                           QStringLiteral("where ") + OpLogKey.arg(QStringLiteral("OLD_"))};
    CreateOpLogFields();
    tblOpLog->OnCalcFields = [this](TDataSet& d) { tblOpLogCalcFields(d); };
    dsOpLog = new TDataSource(this);
    dsOpLog->SetName(QStringLiteral("dsOpLog"));
    dsOpLog->SetDataSet(tblOpLog);

    iqOpLog = new TSqlDataSet(this);
    iqOpLog->SetName(QStringLiteral("iqOpLog"));
    iqOpLog->Transaction = &itMain;
    CreateCopyFields();
    iqOpLog->OnCalcFields = [this](TDataSet& d) {
        d.FieldByName(QStringLiteral("OperationText"))->SetAsString(OperationName(d.FieldByName(QStringLiteral("OPCODE"))->AsVariant()));
    };

    tblLog = new TSqlDataSet(this);
    tblLog->SetName(QStringLiteral("tblLog"));
    tblLog->Transaction = &itLog;
    tblLog->SelectSQL = {QStringLiteral("select * from LOG order by RECORDTIME")};
    CreateLogFields();
    dsLog = new TDataSource(this);
    dsLog->SetName(QStringLiteral("dsLog"));
    dsLog->SetDataSet(tblLog);

    CreateActions();
    dmWKDBControls = this;
    if (SecondaryServices) {
        SecondaryServices->AddNotification(this);
        FRegistered = true;
    }
}

TdmWKDBControls::~TdmWKDBControls() {
    if (FRegistered && SecondaryServices) SecondaryServices->RemoveNotification(this);
    QObject::disconnect(FLogReloaded);
    if (dmWKDBControls == this) dmWKDBControls = nullptr;
    try {
        tblOpLog->Close();
        iqOpLog->Close();
        tblLog->Close();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmWKDBControls.Destroy: ") + ExceptionMessage(e));
    }
}

TdmWKDBControls& WKDBControls() {
    if (!dmWKDBControls) new TdmWKDBControls(QCoreApplication::instance());
    return *dmWKDBControls;
}

void TdmWKDBControls::CreateOpLogFields() {
    TSqlDataSet& d = *tblOpLog;
    const auto integer = [&d](const char* name, const QString& label, bool required, bool visible) -> TIntegerField& {
        auto& f = d.AddField<TIntegerField>(QString::fromLatin1(name));
        f.SetDisplayLabel(label);
        f.Required = required;
        f.Visible = visible;
        return f;
    };
    const auto number = [&d](const char* name, const QString& label, bool visible) -> TFloatField& {
        auto& f = d.AddField<TFloatField>(QString::fromLatin1(name));
        f.SetDisplayLabel(label);
        f.DisplayFormat = QStringLiteral("0.##");
        f.Visible = visible;
        return f;
    };
    const auto text = [&d](const char* name, int chars, const QString& label, bool visible, bool calculated) -> TStringField& {
        auto& f = d.AddField<TStringField>(QString::fromLatin1(name), chars * BytesPerChar);
        f.SetDisplayLabel(label);
        f.Visible = visible;
        if (calculated) f.FieldKind = TFieldKind::fkCalculated;
        return f;
    };
    integer("WELLID", {}, true, false);
    auto& time = d.AddField<TDateTimeField>(QStringLiteral("OPTIME"));
    time.SetDisplayLabel(QStringLiteral("Время"));
    time.Required = true;
    time.DisplayWidth = 17;
    number("DEPTH", QStringLiteral("Глубина"), true).DisplayWidth = 7;
    integer("RUNNO", QStringLiteral("№ рейса"), false, true).DisplayWidth = 3;
    integer("OPCLASS", QStringLiteral("Тип операции"), true, false);
    integer("OPCODE", QStringLiteral("Операция"), true, false);
    integer("OPSUBCODE", {}, false, false);
    number("VDEPTH", QStringLiteral("Вертикальная глубина"), false);
    number("TOPDEPTH", QStringLiteral("Глубина начала интервала"), false);
    number("BOTTOMDEPTH", QStringLiteral("Глубина окончания интервала"), false);
    text("OpClassText", 50, QStringLiteral("Тип операции"), true, true).DisplayWidth = 20;
    text("OperationText", 50, QStringLiteral("Операция"), false, true);
    text("SuboperationText", 50, QStringLiteral("Детализация операции"), false, true);
    text("COMMENT", 255, QStringLiteral("Комментарий"), false, false);
    text("DetailedOperation", 255, QStringLiteral("Операция"), true, true).DisplayWidth = 40;
}

void TdmWKDBControls::CreateCopyFields() {
    TSqlDataSet& d = *iqOpLog;
    d.AddField<TDateTimeField>(QStringLiteral("OPTIME"));
    for (const char* name : {"DEPTH", "TOPDEPTH", "BOTTOMDEPTH"}) d.AddField<TFloatField>(QString::fromLatin1(name));
    d.AddField<TStringField>(QStringLiteral("COMMENT"), 1020);
    d.AddField<TIntegerField>(QStringLiteral("OPCODE"));
    d.AddField<TStringField>(QStringLiteral("OperationText"), 50 * BytesPerChar).FieldKind = TFieldKind::fkCalculated;
}

void TdmWKDBControls::CreateLogFields() {
    TSqlDataSet& d = *tblLog;
    d.AddField<TIntegerField>(QStringLiteral("WELLID")).Visible = false;
    auto& time = d.AddField<TDateTimeField>(QStringLiteral("RECORDTIME"));
    time.SetDisplayLabel(QStringLiteral("Время"));
    time.DisplayWidth = 17;
    auto& run = d.AddField<TIntegerField>(QStringLiteral("RUNNO"));
    run.SetDisplayLabel(QStringLiteral("№ рейса"));
    run.DisplayWidth = 3;
    auto& depth = d.AddField<TFloatField>(QStringLiteral("DEPTH"));
    depth.SetDisplayLabel(QStringLiteral("Глубина"));
    depth.DisplayFormat = QStringLiteral("0.##");
    depth.DisplayWidth = 7;
    d.AddField<TIntegerField>(QStringLiteral("MESSAGEID")).Visible = false;
    auto& text = d.AddField<TStringField>(QStringLiteral("MESSAGETEXT"), 150 * BytesPerChar);
    text.SetDisplayLabel(QStringLiteral("Текст"));
    text.DisplayWidth = 80;
}

void TdmWKDBControls::CreateActions() {
    ilDBControls = new TImageList(this);
    ilDBControls->SetName(QStringLiteral("ilDBControls"));
    ilDBControls->SetColorDepth(TCustomImageList::cd32Bit);
    for (int i = 0; i < 4; ++i) ilDBControls->Add(Glyph(i));
    alDBControls = new TActionList(this);
    alDBControls->SetName(QStringLiteral("alDBControls"));
    alDBControls->SetImages(ilDBControls);
    const auto action = [this](const char* name, const QString& caption, int image, const char* handler) {
        auto* a = new TAction(this);
        a->SetName(QString::fromLatin1(name));
        a->SetCaption(caption);
        a->SetImageIndex(image);
        a->SetOnExecute(TMethod{this, handler});
        a->SetActionList(alDBControls);
        return a;
    };
    actOpLogCopy = action("actOpLogCopy", QStringLiteral("Копировать..."), 3, "actOpLogCopyExecute");
    actOpLogCopy->SetHint(QStringLiteral("Копировать операции в буфер обмена"));
    actNewOperation = action("actNewOperation", QStringLiteral("Новая операция..."), 0, "actNewOperationExecute");
    actEditOperation = action("actEditOperation", QStringLiteral("Свойства..."), 2, "actEditOperationExecute");
    actOpDelete = action("actOpDelete", QStringLiteral("Удалить..."), 1, "actOpDeleteExecute");
    actNewMessage = action("actNewMessage", QStringLiteral("Новое сообщение..."), 0, "actNewMessageExecute");

    const auto menu = [this](const char* name, std::initializer_list<TAction*> actions) {
        auto* m = new TPopupMenu(this);
        m->SetName(QString::fromLatin1(name));
        for (TAction* a : actions) {
            auto* item = new QAction(QIcon(QPixmap::fromImage(ilDBControls->Image(a->ImageIndex()))), a->Caption(), m->Menu());
            item->setToolTip(a->Hint());
            QPointer<TAction> target(a);
            connect(item, &QAction::triggered, item, [target] {
                if (target) target->Execute();
            });
            m->Menu()->addAction(item);
        }
        return m;
    };
    pmOpLog = menu("pmOpLog", {actEditOperation, actOpLogCopy, actNewOperation, actOpDelete});
    QAction* properties = pmOpLog->Menu()->actions().first();
    QFont bold = properties->font();
    bold.setBold(true);
    properties->setFont(bold);
    pmOpLog->Menu()->setDefaultAction(properties);
    pmMessageLog = menu("pmMessageLog", {actNewMessage});
}

bool TdmWKDBControls::AttachToWells() {
    TdmWells* wells = dmWells();
    if (!wells || !wells->Connected()) return false;
    // A new well module (a new connection) takes the place of the one attached to.
    if (FWells != wells || !itOpLog.Connected()) {
        for (TSqlTransaction* t : {&itOpLog, &itMain, &itLog}) t->SetDatabase(wells->dbWells());
        FWells = wells;
    }
    return true;
}

void TdmWKDBControls::LoadReferences() {
    FOpClasses.clear();
    FOperations.clear();
    FSuboperations.clear();
    const std::pair<const char*, QHash<int, QString>*> tables[] = {
        {"select OPCLASS, CLASSNAME from REF_OPCLASSES", &FOpClasses},
        {"select OPCODE, OPERATIONNAME from REF_OPERATIONS", &FOperations},
        {"select OPSUBCODE, OPERATIONNAME from REF_SUBOPERATIONS", &FSuboperations},
    };
    // Names missing from the database leave the log readable, with empty names.
    for (const auto& [sql, names] : tables) {
        try {
            QSqlQuery q = itOpLog.Connection().Exec(QString::fromLatin1(sql));
            while (q.next()) names->insert(q.value(0).toInt(), q.value(1).toString());
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TdmWKDBControls.LoadReferences: ") + ExceptionMessage(e));
        }
    }
}

void TdmWKDBControls::OpenOpLog() {
    if (!AttachToWells()) return;
    LoadReferences();
    ReopenOpLog();
}

void TdmWKDBControls::ReopenOpLog() {
    tblOpLog->Close();
    tblOpLog->SetParam(QStringLiteral("WELLID"), FWells->FCurrentWell);
    tblOpLog->Open();
    tblOpLog->Last();
}

void TdmWKDBControls::OpenMessageLog() {
    if (!AttachToWells()) return;
    QObject::disconnect(FLogReloaded);
    FLogReloaded = connect(FWells.data(), &TdmWells::LogReloaded, this, [this] {
        try {
            ReloadMessageLog();
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TdmWKDBControls.LogReloaded: ") + ExceptionMessage(e));
        }
    });
    ReloadMessageLog();
}

void TdmWKDBControls::ReloadMessageLog() {
    TControlsDisabled disabled(*tblLog);
    tblLog->Close();
    // Rows the well module wrote are committed by then; a new statement sees them.
    if (itLog.InTransaction()) itLog.Commit();
    tblLog->Open();
    tblLog->Last();
}

void TdmWKDBControls::Notify(TServiceEvent Event, void* Sender) {
    if (Event != seDBChange || !Sender) return;
    const QString& table = *static_cast<const QString*>(Sender);
    if (table != QStringLiteral("OPERATIONLOG") && table != QStringLiteral("WELLS")) return;
    if (!AttachToWells()) return;
    TControlsDisabled disabled(*tblOpLog);
    ReopenOpLog();
}

QString TdmWKDBControls::OpClassName(const QVariant& OpClass) const {
    return OpClass.isNull() ? QString() : FOpClasses.value(OpClass.toInt());
}

QString TdmWKDBControls::OperationName(const QVariant& OpCode) const {
    return OpCode.isNull() ? QString() : FOperations.value(OpCode.toInt());
}

QString TdmWKDBControls::SuboperationName(const QVariant& OpSubCode) const {
    return OpSubCode.isNull() ? QString() : FSuboperations.value(OpSubCode.toInt());
}

QString TdmWKDBControls::DetailedOperationText(const QString& Operation, const QString& Suboperation,
                                               const QString& Comment) {
    QString detail = Suboperation;
    if (!Comment.isEmpty()) {
        if (!detail.isEmpty()) detail += QStringLiteral(", ");
        detail += Comment;
    }
    return detail.isEmpty() ? Operation : Operation + QStringLiteral(" (") + detail + QStringLiteral(")");
}

void TdmWKDBControls::tblOpLogCalcFields(TDataSet& DataSet) {
    const QString operation = OperationName(DataSet.FieldByName(QStringLiteral("OPCODE"))->AsVariant());
    const QString suboperation = SuboperationName(DataSet.FieldByName(QStringLiteral("OPSUBCODE"))->AsVariant());
    DataSet.FieldByName(QStringLiteral("OpClassText"))->SetAsString(OpClassName(DataSet.FieldByName(QStringLiteral("OPCLASS"))->AsVariant()));
    DataSet.FieldByName(QStringLiteral("OperationText"))->SetAsString(operation);
    DataSet.FieldByName(QStringLiteral("SuboperationText"))->SetAsString(suboperation);
    DataSet.FieldByName(QStringLiteral("DetailedOperation"))
        ->SetAsString(DetailedOperationText(operation, suboperation, StringValue(DataSet, "COMMENT")));
}

QString TdmWKDBControls::OperationsText(TDateTime Start, TDateTime Stop) {
    if (!AttachToWells()) return {};
    if (FOperations.isEmpty()) LoadReferences();
    iqOpLog->SelectSQL = {QStringLiteral("Select * from OPERATIONLOG"), QStringLiteral("where WELLID = :WELLID"),
                          QStringLiteral("and OPTIME >= :STARTTIME"),
                          // The stop time belongs to the next range: consecutive ranges copy no row twice.
                          QStringLiteral("and OPTIME < :STOPTIME"), QStringLiteral("order by OPTIME")};
    iqOpLog->SetParam(QStringLiteral("WELLID"), FWells->FCurrentWell);
    iqOpLog->SetParam(QStringLiteral("STARTTIME"), DateTimeToQDateTime(Start));
    iqOpLog->SetParam(QStringLiteral("STOPTIME"), DateTimeToQDateTime(Stop));
    QStringList lines;
    try {
        iqOpLog->Open();
        for (iqOpLog->First(); !iqOpLog->Eof(); iqOpLog->Next())
            lines << iqOpLog->FieldByName(QStringLiteral("OPTIME"))->AsString() + QLatin1Char('\t') +
                         iqOpLog->FieldByName(QStringLiteral("OperationText"))->AsString();
    } catch (...) {
        iqOpLog->Close();
        throw;
    }
    iqOpLog->Close();
    return lines.join(QStringLiteral("\r\n"));
}

void TdmWKDBControls::actOpLogCopyExecute(QObject* Sender) {
    Q_UNUSED(Sender);
    TdlgSelectTimeRange dlg;
    const double today = double(Trunc(Date()));
    dlg.SetStartTime(today);
    dlg.SetStopTime(today + 1);
    if (ShowModal(dlg) != mrOk) return;
    try {
        UIServices().Clipboard().SetAsText(OperationsText(dlg.StartTime(), dlg.StopTime()));
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmWKDBControls.actOpLogCopyExecute: ") + ExceptionMessage(e));
        MessageDlg(ExceptionMessage(e), mtError, mbOK);
    }
}

void TdmWKDBControls::SendCurrentOperation(int Msg) {
    QObject* main = MainWindow();
    if (!main || !tblOpLog->Active() || tblOpLog->IsEmpty()) return;
    const double time = tblOpLog->FieldByName(QStringLiteral("OPTIME"))->AsFloat();
    SendWKMessage(main, Msg, time, 0);
}

void TdmWKDBControls::actNewOperationExecute(QObject* Sender) {
    Q_UNUSED(Sender);
    if (QObject* main = MainWindow()) SendWKMessage(main, WM_NEWOPERATION, 0, 0);
}

void TdmWKDBControls::actEditOperationExecute(QObject* Sender) {
    Q_UNUSED(Sender);
    SendCurrentOperation(WM_EDITOPERATION);
}

void TdmWKDBControls::actOpDeleteExecute(QObject* Sender) {
    Q_UNUSED(Sender);
    SendCurrentOperation(WM_DELETEOPERATION);
}

void TdmWKDBControls::actNewMessageExecute(QObject* Sender) {
    Q_UNUSED(Sender);
    if (QObject* main = MainWindow()) SendWKMessage(main, WM_NEWMESSAGE, 0, 0);
}

// ---- the grids

namespace {
// Room for the field's width in digits, its title and, for times, a whole
// date and time: nothing shown is cut.
int ColumnWidth(const TField& f, const QFontMetrics& m) {
    int width = m.horizontalAdvance(f.DisplayLabel());
    if (f.DisplayWidth > 0) width = std::max(width, m.horizontalAdvance(QString(f.DisplayWidth, QLatin1Char('0'))));
    if (f.DataType() == TFieldType::ftDateTime)
        width = std::max(width, m.horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")));
    return width + 10;
}
}  // namespace

TStoredFieldsDBGrid::TStoredFieldsDBGrid(QObject* owner) : TDBGrid(owner) {}

void TStoredFieldsDBGrid::MakePersistentFields() {
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active()) return;
    Columns()->BeginUpdate();
    Columns()->Clear();
    for (int i = 0; i < ds->FieldCount(); ++i) {
        const TField* f = ds->Fields(i);
        auto* c = qobject_cast<TColumn*>(Columns()->Add());
        c->SetFieldName(f->FieldName());
        c->SetWidth(ColumnWidth(*f, fontMetrics()));
        c->SetVisible(f->Visible);
    }
    Columns()->EndUpdate();
    KeepColumns();
    DataChanged();
}

void TStoredFieldsDBGrid::SetCtl3D(bool v) {
    FCtl3D = v;
    SetBorderStyle(v ? bsSingle : bsNone);
}

void TStoredFieldsDBGrid::SetupLogGrid(TDataSource* Source, TPopupMenu* Menu, TAction* DblClickAction) {
    SetAlign(alTop);
    SetReadOnly(true);
    SetDBOptions(TDBGridOptions(dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgRowSelect));
    SetPopupMenu(Menu);
    QPointer<TAction> action(DblClickAction);
    OnDblClick = [action] {
        if (action) action->Execute();
    };
    // A source of the grid's own: the module's data set, heard by this grid alone.
    auto* source = new TDataSource(this);
    source->SetDataSet(Source->DataSet());
    SetDataSource(source);
    MakePersistentFields();
}

void TStoredFieldsDBGrid::SetupThroughDialog(const QString& Caption) {
    TdlgSetupSplitter dlg;
    dlg.setWindowTitle(Caption);
    dlg.cbBeveled->setChecked(Ctl3D());
    dlg.frAlign->SetCtlAlign(Align());
    if (ShowModal(dlg) != mrOk) return;
    SetCtl3D(dlg.cbBeveled->isChecked());
    SetAlign(dlg.frAlign->GetCtlAlign());
}

TOpLogGrid::TOpLogGrid(QObject* owner) : TStoredFieldsDBGrid(owner) {
    TdmWKDBControls& module = WKDBControls();
    if (dmWells() && !module.tblOpLog->Active()) {
        try {
            module.OpenOpLog();
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TOpLogGrid.Create: ") + ExceptionMessage(e));
        }
    }
    SetupLogGrid(module.dsOpLog, module.pmOpLog, module.actEditOperation);
}

void TOpLogGrid::Setup() { SetupThroughDialog(QStringLiteral("Настройка журнала операций")); }

TMessageLogGrid::TMessageLogGrid(QObject* owner) : TStoredFieldsDBGrid(owner) {
    TdmWKDBControls& module = WKDBControls();
    if (dmWells() && !module.tblLog->Active()) {
        try {
            module.OpenMessageLog();
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TMessageLogGrid.Create: ") + ExceptionMessage(e));
        }
    }
    SetupLogGrid(module.dsLog, module.pmMessageLog, module.actNewMessage);
}

void TMessageLogGrid::Setup() { SetupThroughDialog(QStringLiteral("Настройка журнала сообщений")); }

WK_REGISTER_CLASS(TStoredFieldsDBGrid)
WK_REGISTER_CLASS(TOpLogGrid)
WK_REGISTER_CLASS(TMessageLogGrid)
