#include "WKPlainControls.h"

#include "ClassRegistry.h"
#include "EditControls.h"
#include "ModalDialogs.h"
#include "dlg_SetupGBox.h"
#include "dlg_SetupLabel.h"
#include "dlg_SetupPanel.h"
#include "dlg_SetupSplitter.h"
#include "fr_Align.h"

#include <QCheckBox>

TWKLabel::TWKLabel(QObject* owner) : TLabel(owner) { SetCaption(QStringLiteral("Текст")); }

void TWKLabel::Setup() {
    TdlgSetupLabel dlg;
    dlg.leText->SetText(Caption());
    dlg.fd.TakeFrom(*Font());
    if (ShowModal(dlg) != mrOk) return;
    SetCaption(dlg.leText->Text());
    dlg.fd.ApplyTo(*Font());
}

void TWKPanel::Setup() {
    TdlgSetupPanel dlg;
    dlg.frAlign->SetCtlAlign(Align());
    dlg.rgInner->SetItemIndex(BevelInner());
    dlg.rgOuter->SetItemIndex(BevelOuter());
    dlg.cbBorder->setChecked(BorderStyle() == bsSingle);
    dlg.cd.Color = Color();
    if (ShowModal(dlg) != mrOk) return;
    SetAlign(dlg.frAlign->GetCtlAlign());
    SetBevelInner(TBevelCut(std::max(dlg.rgInner->ItemIndex(), 0)));
    SetBevelOuter(TBevelCut(std::max(dlg.rgOuter->ItemIndex(), 0)));
    SetBorderStyle(dlg.cbBorder->isChecked() ? bsSingle : bsNone);
    SetColor(dlg.cd.Color);
}

TWKSplitter::TWKSplitter(QObject* owner) : TSplitter(owner) {
    SetAutoSnap(false);
    SetMinSize(1);
}

void TWKSplitter::Setup() {
    TdlgSetupSplitter dlg;
    dlg.cbBeveled->setChecked(Beveled());
    dlg.frAlign->SetCtlAlign(Align());
    if (ShowModal(dlg) != mrOk) return;
    SetBeveled(dlg.cbBeveled->isChecked());
    SetAlign(dlg.frAlign->GetCtlAlign());
}

TWKGroupBox::TWKGroupBox(QObject* owner) : TGroupBox(owner) { SetCaption(QStringLiteral(" Группа ")); }

void TWKGroupBox::Setup() {
    TdlgSetupGroupBox dlg;
    dlg.frAlign->SetCtlAlign(Align());
    dlg.leText->SetText(Caption());
    dlg.fd.TakeFrom(*Font());
    if (ShowModal(dlg) != mrOk) return;
    SetAlign(dlg.frAlign->GetCtlAlign());
    SetCaption(dlg.leText->Text());
    dlg.fd.ApplyTo(*Font());
}

WK_REGISTER_CLASS(TWKLabel)
WK_REGISTER_CLASS(TWKPanel)
WK_REGISTER_CLASS(TWKSplitter)
WK_REGISTER_CLASS(TWKGroupBox)
