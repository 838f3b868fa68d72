#include "WKFormText.h"

#include "ComponentStreaming.h"
#include "WKConsts.h"
#include "RegisterComponents.h"
#include "dm_Service.h"

#include <QFile>

namespace {
TReaderOptions FormReaderOptions() {
    TReaderOptions options;
    options.OnError = LogReaderErrors([](const QString& line) { DebugLog(line); });
    return options;
}

QList<const QMetaObject*>& Designer() {
    static QList<const QMetaObject*> list;
    return list;
}

// Asks the class-module loader for the class a heading line names, so that
// its package is loaded before the text is read. The loader logs names it
// does not know; a package that fails to load raises.
void PrescanClass(const QString& line) {
    if (!line.contains(QLatin1String("object"))) return;
    const QString trimmed = line.trimmed();
    const QString name = trimmed.mid(trimmed.lastIndexOf(QLatin1Char(' ')) + 1);
    if (dmService)
        dmService->GetMetaClass(name);
    else
        ResolveClass(name);
}
}  // namespace

QString ComponentToString(TComponentBase* component) { return WriteComponentToText(component); }

TComponentBase* StringToComponent(const QString& text, TComponentBase* root) {
    return ReadComponentFromText(text, root, FormReaderOptions());
}

void SaveForm(TComponentBase* component, const QString& fileName) { WriteComponentFile(component, fileName); }

TComponentBase* LoadForm(TComponentBase* parent, const QStringList& lines) {
    for (const QString& line : lines) PrescanClass(line);
    const TStreamObject tree = ParseComponentText(lines.join(QStringLiteral("\r\n")));
    ResolveHeadingClasses(tree);
    if (parent) parent->DestroyComponents();
    return ReadComponentTree(tree, parent, FormReaderOptions());
}

TComponentBase* LoadForm(TComponentBase* parent, const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot open file %1: %2").arg(fileName, f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Cannot read file %1: %2").arg(fileName, f.errorString()));
    QString text = DecodeComponentFile(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return LoadForm(parent, text.split(QLatin1Char('\n')));
}

const QList<const QMetaObject*>& DesignerList() { return Designer(); }

namespace {
// The unit's start-up: packages loaded after this library register into DesignerList.
const bool WKControlsStarted = (InitWKControls(), true);
}  // namespace

void InitWKControls() {
    static bool started = false;
    if (started) return;
    started = true;
    SetRegisterComponentsProc([](const QString&, const QList<const QMetaObject*>& classes) {
        Designer().append(classes);
    });
}
