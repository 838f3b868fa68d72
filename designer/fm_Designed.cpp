#include "fm_Designed.h"

#include "DesignFormFile.h"
#include "DsgnSurfacePanel.h"
#include "ScrollBox.h"

#include <QCloseEvent>

TfmDesigned::TfmDesigned(QWidget* parent) : TControl(nullptr) {
    SetName(QStringLiteral("fmDesigned"));
    setWindowTitle(QStringLiteral("Область редактирования"));
    if (parent) {
        SetParentWidget(parent);
    } else {
        // No border icons: the window goes only with the designer.
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    }
    SetBounds(0, 0, 640, 480);
    FormDesignPanel = new TFormDesignPanel(this);
    FormDesignPanel->SetName(QStringLiteral("FormDesignPanel"));
    FormDesignPanel->SetBorderStyle(TCustomFormDesignPanel::bsNone);
    FormDesignPanel->setFocusPolicy(Qt::StrongFocus);
    FormDesignPanel->SetParentWidget(this);
    FormDesignPanel->SetAlign(alClient);
    pnlMain = new TScrollBox(this);
    pnlMain->SetName(QString::fromLatin1(DesignRootName));
    pnlMain->SetBorderStyle(TScrollBox::bsNone);
    pnlMain->SetParentWidget(this);
    pnlMain->SetAlign(alClient);
}

void TfmDesigned::closeEvent(QCloseEvent* e) {
    e->ignore();
    if (OnCloseRequest) OnCloseRequest();
}
