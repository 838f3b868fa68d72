#include "DictionaryIntf.h"

#include "Formatting.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QRegularExpression>

namespace Plotmere {

namespace {
using TTranslateFunc = const char16_t* (*)(int32_t, const char16_t*);
using TGetLanguagesFunc = const char16_t* (*)();
using TFindLanguageFunc = int32_t (*)(const char16_t*);

QString ProgramFolder() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

// The library's text, copied at once: it stays valid only until its next call.
QString Copy(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }

const char16_t* Utf16(const QString& text) { return reinterpret_cast<const char16_t*>(text.utf16()); }
}  // namespace

QString TWKDictionary::LibraryName() { return QStringLiteral("libWKDictionary.so"); }

TWKDictionary::TWKDictionary() : TWKDictionary(ProgramFolder() + QLatin1Char('/') + LibraryName()) {}

TWKDictionary::TWKDictionary(const QString& fileName) {
    if (!QFileInfo::exists(fileName)) return;
    auto module = std::make_unique<QLibrary>(fileName);
    if (module->load()) FModule = std::move(module);
}

TWKDictionary::~TWKDictionary() {
    if (FModule) FModule->unload();
}

bool TWKDictionary::Attached() const { return FModule != nullptr; }

void* TWKDictionary::Function(const char* name) const {
    return FModule ? reinterpret_cast<void*>(FModule->resolve(name)) : nullptr;
}

int32_t TWKDictionary::FindLanguage(const QString& language) const {
    const auto find = reinterpret_cast<TFindLanguageFunc>(Function("FindLanguage"));
    return find ? find(Utf16(language)) : NoLanguage;
}

void TWKDictionary::GetLanguages(TLanguageList& list) const {
    list.clear();
    const auto get = reinterpret_cast<TGetLanguagesFunc>(Function("GetLanguages"));
    if (!get) return;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    for (const QString& line : Copy(get()).split(lineBreak, Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString id = equals < 0 ? line : line.left(equals);
        list.append({equals < 0 ? QString() : line.mid(equals + 1), StrToInt(id)});
    }
}

QString TWKDictionary::Translate(int32_t languageID, const QString& text) const {
    const auto translate = reinterpret_cast<TTranslateFunc>(Function("Translate"));
    if (!translate) return text;
    const char16_t* translated = translate(languageID, Utf16(text));
    return translated ? Copy(translated) : text;
}

TWKDictionary& WKDictionary() {
    static TWKDictionary dictionary;
    return dictionary;
}

}  // namespace Plotmere
