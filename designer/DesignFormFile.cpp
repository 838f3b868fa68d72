#include "DesignFormFile.h"

#include "ClassRegistry.h"
#include "ComponentStreaming.h"
#include "Controls.h"
#include "WKConsts.h"
#include "dm_Service.h"

#include <QFile>
#include <QFileInfo>

namespace {
QString ReadText(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot open file %1: %2").arg(fileName, f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Cannot read file %1: %2").arg(fileName, f.errorString()));
    return DecodeComponentFile(bytes);
}

// Depth first, in text order, the tree itself first: the outer form's own
// scroll box comes before any deeper object of that name.
const TStreamObject* FindObject(const TStreamObject& tree, const QString& name) {
    if (tree.Name.compare(name, Qt::CaseInsensitive) == 0) return &tree;
    for (const TStreamObject& child : tree.Children)
        if (const TStreamObject* found = FindObject(child, name)) return found;
    return nullptr;
}

const TClassInfo* LoadClass(const QString& name) {
    return dmService ? dmService->GetMetaClass(name) : ResolveClass(name);
}

// Every class the tree's nested objects name must be there; the root is read
// into the surface, whatever class the text gives it.
void CheckClasses(const TStreamObject& tree) {
    for (const TStreamObject& child : tree.Children)
        for (const QString& name : HeadingClassNames(child))
            if (!LoadClass(name)) throw EClassNotFound(QStringLiteral("Class %1 not found").arg(name));
}
}  // namespace

TStreamObject ReadDesignedFormTree(const QString& fileName) {
    const TStreamObject whole = ParseComponentText(ReadText(fileName));
    TStreamObject tree;
    if (QFileInfo(fileName).suffix().toUpper() == QStringLiteral("SF2")) {
        // A monitoring form holds the scroll box; a file the designer saved
        // under this extension is the scroll box itself.
        const TStreamObject* box = FindObject(whole, QString::fromLatin1(DesignRootName));
        if (!box) throw Exception(QString::fromUtf8(SOnlyComplexForms));
        tree = *box;
    } else {
        tree = whole;
    }
    CheckClasses(tree);
    return tree;
}

void LoadDesignedForm(TControl* surface, const TStreamObject& tree, QStringList* problems) {
    const QString name = surface->Name();
    const TStreamObject before = WriteComponentTree(surface);
    const auto log = LogReaderErrors([](const QString& line) { DebugLog(line); });
    TReaderOptions options;
    options.OnError = [&](const QString& message) {
        if (problems) problems->append(message);
        return log(message);
    };
    surface->DestroyComponents();
    try {
        ReadComponentTree(tree, surface, options);
    } catch (...) {
        if (problems) problems->clear();
        surface->DestroyComponents();
        TReaderOptions restore;
        restore.OnError = log;
        ReadComponentTree(before, surface, restore);
        surface->SetName(name);
        throw;
    }
    surface->SetName(name);
}
