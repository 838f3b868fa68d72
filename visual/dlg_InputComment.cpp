#include "dlg_InputComment.h"

#include "ColorPreview.h"
#include "EditControls.h"
#include "Swatchbox.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>

TdlgInputComment::TdlgInputComment(QWidget* parent) : TSetupDialog(QStringLiteral("Ввод комментария"), parent) {
    edComment = new QLineEdit(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Комментарий"), edComment);
    Body()->addLayout(form);
    Body()->addWidget(CreateColorGroup(this, shColor, cbColor, btnColor));
    BindColorPreview(*shColor, *cbColor, *btnColor, cd, Qt::LeftButton);
    cbColor->SetColor(clBlack);
}

namespace {
QPointer<TdlgInputComment> CommentDialog;
void FreeCommentDialog() { delete CommentDialog.data(); }
}  // namespace

TdlgInputComment& dlgInputComment() {
    if (!CommentDialog) {
        CommentDialog = new TdlgInputComment;
        qAddPostRoutine(FreeCommentDialog);
    }
    return *CommentDialog;
}
