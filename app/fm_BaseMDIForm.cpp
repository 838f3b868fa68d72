#include "fm_BaseMDIForm.h"

#include "ClassRegistry.h"
#include "Messages.h"

WK_REGISTER_CLASS(TBaseMDIForm)

namespace {
QVariant FormParam(QObject* form) { return QVariant::fromValue(form); }
}  // namespace

QString StripWellPart(const QString& caption) {
    const int open = caption.indexOf(QStringLiteral(" ["));
    if (open < 0 || !caption.contains(QLatin1Char(']'))) return caption;
    return caption.left(open);
}

TBaseMDIForm::TBaseMDIForm(QObject* owner) : TForm(owner) {
    // No name: any number of forms of one class live side by side, and
    // none is stored with a name.
    SetName(QString());
    SetPosition(poDesigned);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);
}

TBaseMDIForm::~TBaseMDIForm() { DestroyComponent(); }

QRect TBaseMDIForm::RefreshedNormalRect() const { return NormalBounds(); }

void TBaseMDIForm::SetWellID(const QString& v) {
    FWellID = v;
    BroadcastWell();
}

void TBaseMDIForm::SetWellName(const QString& v) {
    FWellName = v;
    UpdateCaption();
}

QString TBaseMDIForm::ShortCaption() const { return StripWellPart(Caption()); }

void TBaseMDIForm::SetShortCaption(const QString& v) {
    SetCaption(v);
    UpdateCaption();
}

void TBaseMDIForm::UpdateCaption() {
    const QString shortCaption = ShortCaption();
    SetCaption(FWellName.isEmpty() ? shortCaption
                                   : shortCaption + QStringLiteral(" [") + FWellName + QLatin1Char(']'));
}

void TBaseMDIForm::BroadcastWell() { BroadcastWKMessage(this, WM_WELLCHANGED, {}, FWellID); }

void TBaseMDIForm::Loaded() {
    TForm::Loaded();
    const QRect stored(QPoint(FNormalLeft, FNormalTop), QPoint(FNormalRight - 1, FNormalBottom - 1));
    if (FNormalRight > FNormalLeft && FNormalBottom > FNormalTop) SetNormalBounds(stored);
    BroadcastWell();
    UpdateCaption();
}

void TBaseMDIForm::FormShowing() {
    if (QObject* main = MainWindow()) SendWKMessage(main, WM_FORMSHOWING, {}, FormParam(this));
}

void TBaseMDIForm::FormShow() {
    if (QObject* main = MainWindow()) PostWKMessage(main, WM_FORMACTIVATED, {}, FormParam(this));
}

void TBaseMDIForm::FormActivate() {
    if (QObject* main = MainWindow()) PostWKMessage(main, WM_FORMACTIVATED, {}, 0);
}

void TBaseMDIForm::FormClose(TCloseAction& action) {
    action = caFree;
    if (QObject* main = MainWindow()) SendWKMessage(main, WM_FORMCLOSING, {}, FormParam(this));
}
