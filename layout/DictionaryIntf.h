#pragma once
// The binding to the translation library. The library is not linked: it is
// loaded by file name from the program's folder, and each of its functions
// is looked up by name at every call, so that the layout engine works,
// untranslated, where the library is absent.
#include <QList>
#include <QString>
#include <cstdint>
#include <memory>

#pragma GCC visibility push(default)

class QLibrary;

namespace Plotmere {

// The language ID the library answers for no language.
inline constexpr int32_t NoLanguage = static_cast<int32_t>(0x80000001u);

// A language the library knows: its name and ID.
struct TLanguage {
    QString Name;
    int32_t ID = NoLanguage;
    bool operator==(const TLanguage&) const = default;
};
using TLanguageList = QList<TLanguage>;

class TWKDictionary {
public:
    // The file name of the library in the program's folder.
    static QString LibraryName();
    // Loads the library from the program's folder (the executable's, not the current one).
    TWKDictionary();
    // Loads the library from a file; a file that cannot be loaded leaves the binding detached.
    explicit TWKDictionary(const QString& fileName);
    ~TWKDictionary();
    TWKDictionary(const TWKDictionary&) = delete;
    TWKDictionary& operator=(const TWKDictionary&) = delete;

    bool Attached() const;
    // The ID of the named language; NoLanguage without the library.
    int32_t FindLanguage(const QString& language) const;
    // The library's languages in its order; empty without the library. A
    // line whose ID is not a decimal integer raises EConvertError.
    void GetLanguages(TLanguageList& list) const;
    // The translation of text; text itself without the library.
    QString Translate(int32_t languageID, const QString& text) const;

private:
    void* Function(const char* name) const;
    std::unique_ptr<QLibrary> FModule;  // null when loading failed
};

// The binding of the program, loaded on first use and unloaded at its end.
TWKDictionary& WKDictionary();

}  // namespace Plotmere

#pragma GCC visibility pop
