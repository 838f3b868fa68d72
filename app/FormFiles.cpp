#include "FormFiles.h"

#include "ClassRegistry.h"
#include "ComponentStreaming.h"
#include "WKConsts.h"
#include "SafeSave.h"
#include "fm_BaseMDIForm.h"

#include <QFile>

QString MonitoringFormText(TBaseMDIForm* form) { return WriteComponentToText(form); }

TBaseMDIForm* ReadMonitoringForm(const QString& text, QStringList* problems) {
    const TStreamObject tree = ParseComponentText(text);
    ResolveHeadingClasses(tree);
    const TClassInfo* root = FindClass(tree.ClassName);
    if (!root) throw EClassNotFound(QStringLiteral("Класс %1 не найден").arg(tree.ClassName));
    if (!root->InheritsFrom(&TBaseMDIForm::staticMetaObject))
        throw EReadError(QStringLiteral("%1 не является формой наблюдения").arg(tree.ClassName));
    TReaderOptions options;
    const auto log = LogReaderErrors([](const QString& line) { DebugLog(line); });
    options.OnError = [&](const QString& message) {
        if (problems) problems->append(message);
        return log(message);
    };
    TComponentBase* made = ReadComponentTree(tree, nullptr, options);
    auto* form = dynamic_cast<TBaseMDIForm*>(made);
    if (!form) {
        if (made) delete made->Self();
        throw EReadError(QStringLiteral("%1 не является формой наблюдения").arg(tree.ClassName));
    }
    form->SetName(QString());
    return form;
}

void SaveFormFile(TBaseMDIForm* form, const QString& fileName) {
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + MonitoringFormText(form).toUtf8();
    SaveFileSafely(fileName, bytes);
}

QString ReadFormFileText(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Не удалось открыть файл %1: %2").arg(fileName, file.errorString()));
    return DecodeComponentFile(file.readAll());
}
