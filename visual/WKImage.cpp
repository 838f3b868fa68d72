#include "WKImage.h"

#include "ClassRegistry.h"
#include "ModalDialogs.h"
#include "dlg_SetupImage.h"
#include "fr_Align.h"

TWKImage::TWKImage(QObject* owner) : TImage(owner) {
    SetCenter(false);
    SetStretch(true);
    SetTransparent(false);
}

void TWKImage::Setup() {
    TdlgSetupImage dlg;
    dlg.frAlign->SetCtlAlign(Align());
    dlg.SetPicture(Picture()->Graphic(), {});
    if (ShowModal(dlg) != mrOk) return;
    SetAlign(dlg.frAlign->GetCtlAlign());
    if (!dlg.PictureData().isEmpty()) Picture()->LoadFromData(dlg.PictureData());
    SetStretch(true);
    SetTransparent(false);
}

WK_REGISTER_CLASS(TWKImage)
