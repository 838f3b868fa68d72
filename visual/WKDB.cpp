#include "WKDB.h"

#include "SqlDataSet.h"

#include <QCoreApplication>
#include <algorithm>
#include <vector>

TFBErrorMessageHandler* FBErrorHandler = nullptr;

namespace {
template <class T>
std::vector<T*> OwnedOf(QObject* module) {
    std::vector<T*> found;
    if (!module) return found;
    if (TComponentBase* owner = AsComponent(module))
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (auto* t = qobject_cast<T*>(owner->Components(i)->Self())) found.push_back(t);
    for (T* t : module->findChildren<T*>(Qt::FindDirectChildrenOnly))
        if (std::find(found.begin(), found.end(), t) == found.end()) found.push_back(t);
    return found;
}

void FreeFBErrorHandler() {
    delete FBErrorHandler;
    FBErrorHandler = nullptr;
}

// Start-up of the unit: messages and the handler, once per process.
const bool WKDBStarted = [] {
    InstallRussianFieldMessages();
    FBErrorHandler = new TFBErrorMessageHandler;
    qAddPostRoutine(FreeFBErrorHandler);
    return true;
}();
}  // namespace

void InstallRussianFieldMessages() {
    SetFieldMessage(TFieldMessage::fmFieldRequired, QStringLiteral("Поле '%s' должно быть заполнено"));
    SetFieldMessage(TFieldMessage::fmFieldRangeError,
                    QStringLiteral("%g недопустимое значение для поля '%s'. Допустимый диапазон от %g до %g"));
    SetFieldMessage(TFieldMessage::fmInvalidIntegerValue,
                    QStringLiteral("'%s' недопустимое целочисленное значение для поля '%s'"));
    SetFieldMessage(TFieldMessage::fmInvalidFloatValue, QStringLiteral("'%s' недопустимое значение для поля '%s'"));
}

void TFBErrorMessageHandler::HookErrorHandler(TDataSet* DataSet) {
    if (!DataSet || DataSet->OnPostError) return;
    DataSet->OnPostError = [this](TDataSet& d, const EDatabaseError& e, TDataAction& a) { OnPostError(d, e, a); };
}

void TFBErrorMessageHandler::OnPostError(TDataSet& DataSet, const EDatabaseError& E, TDataAction& Action) {
    Q_UNUSED(DataSet);
    const auto* ib = dynamic_cast<const EIBError*>(&E);
    if (!ib) return;
    switch (ib->IBErrorCode()) {
        case IBErrValidation: throw EDatabaseError(SDBInvalidValue);
        case IBErrUniqueKey: throw EDatabaseError(SDBDuplicateKey);
        default: Action = TDataAction::daFail;
    }
}

void HookErrorHandlers(QObject* DataModule) {
    if (!FBErrorHandler) return;
    for (TDataSet* d : OwnedOf<TDataSet>(DataModule)) FBErrorHandler->HookErrorHandler(d);
}

void SetDefFloatFmt(QObject* DataModule, const QString& Fmt) {
    for (TSqlDataSet* d : OwnedOf<TSqlDataSet>(DataModule))
        for (int i = 0; i < d->FieldCount(); ++i) {
            TField* f = d->Fields(i);
            if (f->DataType() == TFieldType::ftFloat && f->DisplayFormat.isEmpty()) f->DisplayFormat = Fmt;
        }
}
