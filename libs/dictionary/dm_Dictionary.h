#pragma once
// The dictionary module behind the translation library: languages and
// translations of the well database, with a cache of the translations found.
#include "DataAccess.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#pragma GCC visibility push(default)

struct TDictionaryItem {
    int LanguageID = 0;
    QString SourceText;  // compared exactly, letter case counts
    bool operator==(const TDictionaryItem&) const = default;
};
size_t qHash(const TDictionaryItem& item, size_t seed = 0) noexcept;

class TdmDictionary {
public:
    // Connects when not connected and, the first time, reads the languages
    // and the whole dictionary into the cache. Raises "Ошибка подключения к
    // базе Boremont" when the database cannot be reached.
    void Open();

    QString Translate(int languageID, const QString& text);
    QString GetLanguages();
    int FindLanguage(const QString& name);
    bool Connected() const { return dbBoremont.Connected(); }

    QString FLanguages;  // the last language list
    QString FResText;    // the last translation produced by a database look-up

private:
    TDataConnection dbBoremont;
    bool FLoaded = false;
    QList<QPair<int, QString>> FLanguageRows;  // in name order
    QHash<TDictionaryItem, QString> FCache;
};

#pragma GCC visibility pop
