#include "ExtControls.h"

#include "ClassRegistry.h"
#include "Exceptions.h"
#include "ModalDialogs.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKServices.h"
#include "dlg_SetupSmoothGauge.h"
#include "fr_Align.h"
#include "fr_ExtGaugeSetup.h"

#include <QComboBox>
#include <QMouseEvent>
#include <cmath>

TWKSmoothGauge::TWKSmoothGauge(QObject* owner) : TSmoothDial(owner), FSensor(new TSensorItem(nullptr)) {
    FSensor->setParent(this);
    Arc()->Threshold()->SetSpan(0);
    if (SecondaryServices) {
        SecondaryServices->AddNotification(this);
        FRegistered = true;
    }
    EnsureSections();
}

TWKSmoothGauge::~TWKSmoothGauge() {
    if (FRegistered && SecondaryServices) SecondaryServices->RemoveNotification(this);
}

// The setup edits two sections; a stored form with fewer gets the defaults
// added: green, then red, both empty ranges.
void TWKSmoothGauge::EnsureSections() {
    static constexpr TColor Defaults[2] = {TColor(0x008000), TColor(0x0000FF)};
    while (Sections()->Count() < 2) {
        TSmoothDialSection* s = Sections()->Add();
        s->SetStartValue(0);
        s->SetEndValue(0);
        s->SetColor(Defaults[Sections()->Count() - 1]);
    }
}

void TWKSmoothGauge::SetSensor(TSensorItem* item) {
    if (item && item != FSensor) FSensor->Assign(item);
}

void TWKSmoothGauge::SetStyle(int N) {
    if (N < 0 || N > StyleCount) return;
    FStyle = N;
    if (N > 0)
        SetComponentStyle(TKVLStyle(N - 1));
    else
        ApplyOwnPalette();
}

void TWKSmoothGauge::ApplyOwnPalette() {
    const TColor light = TColor(0xFFEFE3), mid = TColor(0xFFD2AF), dark = TColor(0x962D00);
    Arc()->SetColor(light);
    Digit()->SetBackGroundColor(light);
    Needle()->SetShineColor(light);
    InnerCircle()->SetColor(mid);
    OuterCircle()->SetColor(mid);
    Arc()->Threshold()->SetColor(mid);
    Needle()->SetColor(mid);
    Needle()->SetInnerCenterColor(mid);
    Needle()->SetInnerCenterColorTo(mid);
    Needle()->SetOuterCenterColor(TColor(0xFFD1AD));
    Digit()->SetColor(dark);
    SetDivisionColor(dark);
    SetSubDivisionColor(dark);
    ValueFont()->SetColor(dark);
}

void TWKSmoothGauge::BindData() {
    FSensor->FYData = nullptr;
    if (!SecondaryServices) return;
    const TWKStreamList& list = SecondaryServices->Streams();
    const QString id = WKMainApplication() ? QString() : FSensor->StreamID();
    if (!id.isEmpty()) {
        if (TSensorDataStream* stream = list.GetStreamByID(id)) FSensor->FYData = stream->GetSensor(FSensor->GID());
    } else {
        FSensor->FYData = list.FindSensor(FSensor->GID(), QStringLiteral("SrcTime"), QString());
    }
    if (!FSensor->FYData) ShowNoCurrentValue();
}

// Unbound (the well has no such stream) or nothing recorded yet: the dial
// must not go on showing an old value as if it were current. The designer
// shows the dial as it will look with a value.
void TWKSmoothGauge::ShowNoCurrentValue() {
    if (!IsDesigning() && HasValue()) ShowNoValue();
}

void TWKSmoothGauge::ShowNewest() {
    TSensorDataArray* a = FSensor->FYData;
    if (!a || a->GetCount() < 1) {
        ShowNoCurrentValue();
        return;
    }
    const TSensorData d = a->GetData(a->GetCount() - 1);
    if (d.State >= ssNormal && !std::isnan(d.Value)) SetValue(d.Value);
}

void TWKSmoothGauge::Notify(TServiceEvent Event, void*) {
    try {
        if (Event == seBindStreams)
            BindData();
        else if (Event == sePostData)
            ShowNewest();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TWKSmoothGauge.Notify: ") + ExceptionMessage(e));
    } catch (...) {
        DebugLog(QStringLiteral("TWKSmoothGauge.Notify: unknown exception"));
    }
}

void TWKSmoothGauge::Loaded() {
    TSmoothDial::Loaded();
    EnsureSections();
    Notify(seBindStreams, nullptr);
    setCursor(Qt::PointingHandCursor);
    SetValue(0);
    if (!FSensor->FYData) ShowNoCurrentValue();
}

bool TWKSmoothGauge::WKMessage(TWKMessage& msg) {
    if (msg.Msg() != WM_WELLCHANGED) return TSmoothDial::WKMessage(msg);
    // A gauge bound through the acquisition streams (no stream ID) stays so.
    if (!FSensor->StreamID().isEmpty()) {
        QString id = FSensor->StreamID();
        ChangeStreamSuffix(id, msg.LParam().toString());
        FSensor->SetStreamID(id);
    }
    BindData();
    msg.Handled = true;
    return true;
}

void TWKSmoothGauge::mousePressEvent(QMouseEvent* e) {
    e->accept();
    try {
        DoSetup(true);
    } catch (const std::exception& ex) {
        MessageDlg(ExceptionMessage(ex), mtError, mbOK);
    }
}

void TWKSmoothGauge::DoSetup(bool runTime) {
    EnsureSections();
    TdlgSetupSmoothGauge dlg;
    dlg.frAlign->setVisible(!runTime);
    dlg.adjustSize();
    dlg.frExtGaugeSetup->cbStyle->setCurrentIndex(FStyle);
    dlg.frExtGaugeSetup->AssignFrom(*this);
    dlg.frAlign->SetCtlAlign(Align());
    dlg.Descr = FSensor->Description();
    if (ShowModal(dlg) != mrOk) return;
    SetAlign(dlg.frAlign->GetCtlAlign());
    FSensor->SetName(dlg.Descr.Name);
    FSensor->SetA(dlg.Descr.A);
    FSensor->SetB(dlg.Descr.B);
    FSensor->SetGID(dlg.Descr.GID);
    FSensor->SetPrecision(dlg.Descr.Precision);
    FSensor->SetUnits(dlg.Descr.Units);
    FSensor->SetStreamID(dlg.Descr.StreamID);
    dlg.frExtGaugeSetup->AssignToGauge(*this);
    SetStyle(dlg.frExtGaugeSetup->cbStyle->currentIndex());
    Notify(seBindStreams, nullptr);
}

WK_REGISTER_CLASS(TWKSmoothGauge)
