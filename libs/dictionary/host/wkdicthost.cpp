// wkdicthost <language name> <text>...: loads the translation library by file
// name from its own folder, as a host of the library does, prints the
// language's ID and one translation per text (one line each), then ends
// normally. A program for the tests: the library must not break its host's exit.
#include "WKDictionary.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <dlfcn.h>

namespace {
const char16_t* Utf16(const QString& s) { return reinterpret_cast<const char16_t*>(s.utf16()); }
}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: wkdicthost <language name> <text>...\n");
        return 2;
    }
    const QString file = QCoreApplication::applicationDirPath() + QStringLiteral("/libWKDictionary.so");
    void* library = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "wkdicthost: %s\n", dlerror());
        return 1;
    }
    const auto translate = reinterpret_cast<TTranslateFunc>(dlsym(library, "Translate"));
    const auto findLanguage = reinterpret_cast<TFindLanguageFunc>(dlsym(library, "FindLanguage"));
    if (!translate || !findLanguage) {
        std::fprintf(stderr, "wkdicthost: the library lacks its exports\n");
        return 1;
    }
    const int language = findLanguage(Utf16(args[1]));
    std::printf("%d\n", language);
    for (int i = 2; i < args.size(); ++i)
        std::printf("%s\n", QString::fromUtf16(translate(language, Utf16(args[i]))).toUtf8().constData());
    std::fflush(stdout);
    // The library stays loaded until the program ends, as in a real host.
    return 0;
}
