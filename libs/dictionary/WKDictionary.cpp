#include "WKDictionary.h"

#include "WKConsts.h"
#include "dm_Dictionary.h"

#include <memory>

namespace {
// Created on the first call and freed when the library is unloaded.
std::unique_ptr<TdmDictionary> Module;
// The text last returned; valid until the next call.
std::u16string Result;

TdmDictionary& Dictionary() {
    if (!Module) Module = std::make_unique<TdmDictionary>();
    return *Module;
}

QString FromUtf16(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }

const char16_t* Return(const QString& text) {
    Result = text.toStdU16String();
    return Result.c_str();
}

void Failed(const char* function, const std::exception& e) {
    DebugLog(QStringLiteral("WKDictionary.%1: %2").arg(QLatin1String(function), ExceptionMessage(e)));
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
        DebugLog(QStringLiteral("WKDictionary.Translate: unknown error"));
    }
    return Return(source);
}

const char16_t* GetLanguages() {
    try {
        return Return(Dictionary().GetLanguages());
    } catch (const std::exception& e) {
        Failed("GetLanguages", e);
    } catch (...) {
        DebugLog(QStringLiteral("WKDictionary.GetLanguages: unknown error"));
    }
    return Return(QString());
}

int32_t FindLanguage(const char16_t* name) {
    try {
        return Dictionary().FindLanguage(FromUtf16(name));
    } catch (const std::exception& e) {
        Failed("FindLanguage", e);
    } catch (...) {
        DebugLog(QStringLiteral("WKDictionary.FindLanguage: unknown error"));
    }
    return NoLanguageID;
}
}
