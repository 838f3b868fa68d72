#include "WKDictionary.h"

#include "DebugOutput.h"
#include "dm_Dictionary.h"

#include <QCoreApplication>
#include <cstdlib>
#include <memory>

namespace {
// Created on the first call. Its connection must close while Qt SQL's
// connection registry, the driver plug-in and the database client still
// exist. With an application object the module goes with it (a post
// routine). Without one (a plain C host), an exit handler registered once the
// first connection stands runs before the destructors of everything that
// connection brought up, since exit handlers run in reverse order of
// registration; the library's own static destructor runs too late for that.
// When the host unloads the library first, the module goes with it.
std::unique_ptr<TdmDictionary> Module;
bool PostRoutineAdded = false;
bool ExitHandlerAdded = false;
// The text last returned; valid until the next call.
std::u16string Result;

void ApplicationEnds() {
    PostRoutineAdded = false;
    Module.reset();
}

// Registered with atexit from this library, so glibc also runs it when the
// library is unloaded, and never after its code is gone.
void ProcessEnds() { Module.reset(); }

struct TLibraryEnd {
    ~TLibraryEnd() {
        // The post routine must not outlive the code it points to.
        if (PostRoutineAdded && QCoreApplication::instance()) qRemovePostRoutine(ApplicationEnds);
        PostRoutineAdded = false;
        Module.reset();
    }
} LibraryEnd;

TdmDictionary& Dictionary() {
    if (!Module) {
        Module = std::make_unique<TdmDictionary>();
        if (!PostRoutineAdded && QCoreApplication::instance()) {
            qAddPostRoutine(ApplicationEnds);
            PostRoutineAdded = true;
        }
    }
    return *Module;
}

// After every call that may have connected.
void WatchExit() {
    if (ExitHandlerAdded || !Module || !Module->Connected()) return;
    ExitHandlerAdded = std::atexit(ProcessEnds) == 0;
}

QString FromUtf16(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }

const char16_t* Return(const QString& text) {
    Result = text.toStdU16String();
    return Result.c_str();
}

// Runs one export's work: a failure gives the fallback and a debug line.
template <class R, class F>
R Call(const char* function, R fallback, F&& body) {
    try {
        fallback = body();
    } catch (const std::exception& e) {
        DebugOutput(QStringLiteral("WKDictionary.%1: %2").arg(QLatin1String(function), ExceptionMessage(e)));
    } catch (...) {
        DebugOutput(QStringLiteral("WKDictionary.%1: unknown error").arg(QLatin1String(function)));
    }
    // Also after a failure: the connection may stand even when a statement failed.
    WatchExit();
    return fallback;
}
}  // namespace

extern "C" {
const char16_t* Translate(int32_t languageID, const char16_t* text) {
    const QString source = FromUtf16(text);
    return Return(Call("Translate", source, [&] { return Dictionary().Translate(languageID, source); }));
}

const char16_t* GetLanguages() {
    return Return(Call("GetLanguages", QString(), [] { return Dictionary().GetLanguages(); }));
}

int32_t FindLanguage(const char16_t* name) {
    return Call("FindLanguage", NoLanguageID, [&] { return int32_t(Dictionary().FindLanguage(FromUtf16(name))); });
}
}
