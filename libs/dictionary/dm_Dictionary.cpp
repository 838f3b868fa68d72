#include "dm_Dictionary.h"

#include "DebugOutput.h"
#include "WKDictionary.h"
#include "WellDatabase.h"

#include <QSqlQuery>

size_t qHash(const TDictionaryItem& item, size_t seed) noexcept {
    return qHashMulti(seed, item.LanguageID, item.SourceText);
}

void TdmDictionary::Open() {
    if (!dbBoremont.Connected()) {
        FLoaded = false;
        try {
            // The same database as the well module: a server named in the
            // settings, else the embedded file. A translation never creates
            // it: without a well database there is nothing to translate with.
            dbBoremont = OpenExistingWellDatabase();
        } catch (const std::exception& e) {
            DebugOutput(QStringLiteral("TdmDictionary.Open: ") + ExceptionMessage(e));
            throw Exception(QStringLiteral("Ошибка подключения к базе Boremont"));
        }
    }
    if (FLoaded) return;
    QList<QPair<int, QString>> languages;
    QSqlQuery l = dbBoremont.Exec(QStringLiteral("select * from REF_LANGUAGES order by LANGUAGENAME"));
    while (l.next()) languages.append({l.value(QStringLiteral("LANGUAGEID")).toInt(), l.value(QStringLiteral("LANGUAGENAME")).toString()});
    QSqlQuery d = dbBoremont.Exec(QStringLiteral("select * from REF_DICTIONARY order by SRCTEXT"));
    while (d.next())
        FCache.insert({d.value(QStringLiteral("LANGUAGEID")).toInt(), d.value(QStringLiteral("SRCTEXT")).toString()},
                      d.value(QStringLiteral("RESTEXT")).toString());
    FLanguageRows = std::move(languages);
    FLoaded = true;
}

QString TdmDictionary::Translate(int languageID, const QString& text) {
    if (languageID == NoLanguageID) return text;
    Open();
    const TDictionaryItem key{languageID, text};
    const auto hit = FCache.constFind(key);
    if (hit != FCache.constEnd()) return hit.value();
    QSqlQuery q = dbBoremont.Exec(QStringLiteral("select RESTEXT from REF_DICTIONARY where LANGUAGEID=:LANGUAGEID "
                                                 "and SRCTEXT=:SRCTEXT"),
                                  {languageID, text});
    if (q.next()) {
        FResText = q.value(0).toString();
        FCache.insert(key, FResText);
    } else {
        FResText = text;  // not cached: asked again next time
    }
    return FResText;
}

QString TdmDictionary::GetLanguages() {
    Open();
    QString list;
    for (const auto& [id, name] : FLanguageRows) list += QString::number(id) + '=' + name + QStringLiteral("\r\n");
    FLanguages = list;
    return FLanguages;
}

int TdmDictionary::FindLanguage(const QString& name) {
    Open();
    for (const auto& [id, language] : FLanguageRows)
        if (language.compare(name, Qt::CaseInsensitive) == 0) return id;
    return NoLanguageID;
}
