#pragma once
// INI-style access to what the old system kept under a registry key.
// "Software\Tessaline\Boremont2" becomes the INI file
// $XDG_CONFIG_HOME/Tessaline/Boremont2.ini; sections are the key's subkeys,
// idents its named values. The file is located on every call, so a changed
// XDG_CONFIG_HOME (tests) takes effect at once.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class QSettings;

#pragma GCC visibility push(default)

class TRegIniFile {
public:
    explicit TRegIniFile(QString registryKey);

    const QString& Key() const { return FKey; }
    QString FileName() const;

    QString ReadString(const QString& section, const QString& ident, const QString& def = {}) const;
    int ReadInteger(const QString& section, const QString& ident, int def = 0) const;
    bool ReadBool(const QString& section, const QString& ident, bool def = false) const;
    double ReadFloat(const QString& section, const QString& ident, double def = 0.0) const;

    // Writes raise EFileWriteError naming the file when the file cannot be
    // replaced; the file then keeps every value it had.
    void WriteString(const QString& section, const QString& ident, const QString& value);
    void WriteInteger(const QString& section, const QString& ident, int value);
    void WriteBool(const QString& section, const QString& ident, bool value);
    void WriteFloat(const QString& section, const QString& ident, double value);

    // Runs changes (writes, erases, deletes through this object) and writes
    // them to the file as one replacement: all of them or, when the file
    // cannot be written, none.
    void Update(const std::function<void()>& changes);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& ident) const;
    QStringList ReadSection(const QString& section) const;  // value names
    QStringList ReadSections() const;
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& ident);

    // Maps a registry key to its INI file under the given configuration folder.
    static QString FileForKey(const QString& configHome, const QString& registryKey);

private:
    QVariant Value(const QString& section, const QString& ident) const;
    void SetValue(const QString& section, const QString& ident, const QVariant& value);
    // Applies change to the file's settings and replaces the file safely;
    // raises EFileWriteError naming the file when it cannot. Inside Update
    // the change goes to the batch instead.
    void Edit(const std::function<void(QSettings&)>& change);
    void Replace(const std::function<void(QSettings&)>& change);
    QString FKey;
    QSettings* FBatch = nullptr;
};

#pragma GCC visibility pop
