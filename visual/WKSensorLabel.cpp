#include "WKSensorLabel.h"

#include "ClassRegistry.h"
#include "WKConsts.h"
#include "EditControls.h"
#include "ModalDialogs.h"
#include "Swatchbox.h"
#include "dlg_SetupSensLabel.h"
#include "fr_Align.h"

#include <QCheckBox>

TWKSensorLabel::TWKSensorLabel(QObject* owner) : TLabel(owner), FSensor(new TSensorItem(nullptr)) {
    FSensor->setParent(this);
    SetTransparent(true);
    SetCaption(QString());
    if (SecondaryServices) {
        SecondaryServices->AddNotification(this);
        FRegistered = true;
    }
}

TWKSensorLabel::~TWKSensorLabel() {
    if (FRegistered && SecondaryServices) SecondaryServices->RemoveNotification(this);
}

void TWKSensorLabel::SetSensor(TSensorItem* item) {
    if (item && item != FSensor) FSensor->Assign(item);
}

void TWKSensorLabel::BindData() {
    const TWKStreamList* list = SecondaryServices ? &SecondaryServices->Streams() : nullptr;
    FSensor->Bind(list, FIsDateTime, QString(), false);
}

void TWKSensorLabel::UpdateText() {
    const QString text = FSensor->NewestText();
    SetCaption(FShowName ? FSensor->Name() + QLatin1Char(' ') + text : text);
}

void TWKSensorLabel::Notify(TServiceEvent Event, void*) {
    if (Event == seBindStreams)
        BindData();
    else if (Event == sePoll)
        UpdateText();
}

void TWKSensorLabel::Loaded() {
    TLabel::Loaded();
    BindData();
    SetCaption(QStringLiteral("?"));
    Font()->SetColor(FSensor->Color());
}

bool TWKSensorLabel::WKMessage(TWKMessage& msg) {
    if (msg.Msg() != WM_WELLCHANGED) return false;
    QString id = FSensor->StreamID();
    ChangeStreamSuffix(id, msg.LParam().toString());
    FSensor->SetStreamID(id);
    BindData();
    msg.Handled = true;
    return true;
}

void TWKSensorLabel::Setup() {
    TdlgSetupSensLabel dlg;
    dlg.fd.TakeFrom(*Font());
    dlg.frAlign->SetCtlAlign(Align());
    dlg.Descr = FSensor->Description();
    dlg.cbColor->SetColor(FSensor->Color());
    dlg.rgTextAlign->SetItemIndex(Alignment() == taLeftJustify ? 0 : Alignment() == taRightJustify ? 1 : 2);
    dlg.cbShowName->setChecked(FShowName);
    if (ShowModal(dlg) != mrOk) return;
    dlg.fd.ApplyTo(*Font());
    SetAlign(dlg.frAlign->GetCtlAlign());
    FSensor->TakeDescription(dlg.Descr);
    FSensor->SetColor(dlg.cbColor->Color());
    Font()->SetColor(dlg.cbColor->Color());
    FShowName = dlg.cbShowName->isChecked();
    SetAutoSize(true);
    const int align = dlg.rgTextAlign->ItemIndex();
    SetAlignment(align == 1 ? taRightJustify : align == 2 ? taCenter : taLeftJustify);
    BindData();
}

WK_REGISTER_CLASS(TWKSensorLabel)
