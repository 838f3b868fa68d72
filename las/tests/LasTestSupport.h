#pragma once
// Fixtures of the LAS tests: files in a temporary folder and a strict LAS 2.0
// reader written from the standard (not from the table's code), used to judge
// what the table writes.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <string>
#include <vector>

class TLasFiles {
public:
    QString Write(const QString& name, const QByteArray& bytes) const {
        const QString path = FDir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QString Path(const QString& name) const { return FDir.filePath(name); }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private:
    QTemporaryDir FDir;
};

// Lines joined with CR LF, the way the table writes them.
inline QByteArray CrLf(const QList<QByteArray>& lines) {
    QByteArray out;
    for (const QByteArray& l : lines) out += l + "\r\n";
    return out;
}

// What a strict reader finds in a LAS 2.0 file.
struct TStrictLas {
    bool Ok = false;
    std::string Error;
    std::string Version;
    bool Wrap = false;
    std::map<std::string, std::string> Well;  // mnemonic -> value
    std::vector<std::string> Curves;
    std::vector<std::string> Units;
    double Null = 0;
    std::vector<std::vector<double>> Rows;
};

// Reads a LAS 2.0 file as the CWLS standard describes it: sections ~V ~W ~C
// (~P ~O optional) and ~A last; "MNEM.UNIT VALUE : DESCRIPTION" lines; the
// version section first with VERS 2.0 and WRAP YES or NO; STRT STOP STEP NULL
// in the well section; data lines of space-delimited numbers, wrapped lines
// at most 80 characters with the index alone on its line.
TStrictLas ReadStrictLas20(const QByteArray& bytes);
