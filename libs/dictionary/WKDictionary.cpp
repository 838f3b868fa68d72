#include "WKDictionary.h"

#include "DebugOutput.h"
#include "dm_Dictionary.h"

#include <QCoreApplication>
#include <memory>

namespace {
// Created on the first call. Its connection must close while Qt SQL's
// connection registry still exists: when the host has an application object,
// the module goes with it (a post routine); otherwise, and when the host
// unloads the library first, with the library.
std::unique_ptr<TdmDictionary> Module;
bool PostRoutineAdded = false;
// The text last returned; valid until the next call.
std::u16string Result;

void ApplicationEnds() {
    PostRoutineAdded = false;
    Module.reset();
}

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

QString FromUtf16(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }

const char16_t* Return(const QString& text) {
    Result = text.toStdU16String();
    return Result.c_str();
}

void Failed(const char* function, const std::exception& e) {
    DebugOutput(QStringLiteral("WKDictionary.%1: %2").arg(QLatin1String(function), ExceptionMessage(e)));
}
}  // namespace

extern "C" {
const char16_t* Translate(int32_t languageID, const char16_t* text) {
    const QString source = FromUtf16(text);
    try {
        return Return(Dictionary().Translate(languageID, source));
    } catch (const std::exception& e) {
        Failed("Translate", e);
    } catch (...) {
        DebugOutput(QStringLiteral("WKDictionary.Translate: unknown error"));
    }
    return Return(source);
}

const char16_t* GetLanguages() {
    try {
        return Return(Dictionary().GetLanguages());
    } catch (const std::exception& e) {
        Failed("GetLanguages", e);
    } catch (...) {
        DebugOutput(QStringLiteral("WKDictionary.GetLanguages: unknown error"));
    }
    return Return(QString());
}

int32_t FindLanguage(const char16_t* name) {
    try {
        return Dictionary().FindLanguage(FromUtf16(name));
    } catch (const std::exception& e) {
        Failed("FindLanguage", e);
    } catch (...) {
        DebugOutput(QStringLiteral("WKDictionary.FindLanguage: unknown error"));
    }
    return NoLanguageID;
}
}
