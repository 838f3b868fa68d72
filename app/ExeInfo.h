#pragma once
// What the program knows of itself and of the machine: the version record
// that the build writes beside the program (<program>.version, an INI text
// with a [StringFileInfo] section), the computer and system names and the
// standard folders. Only Version is stored with a form.
#include "Components.h"

#pragma GCC visibility push(default)

class TExeInfo : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString CompanyName READ CompanyName STORED false)
    Q_PROPERTY(QString FileDescription READ FileDescription STORED false)
    Q_PROPERTY(QString FileVersion READ FileVersion STORED false)
    Q_PROPERTY(QString InternalName READ InternalName STORED false)
    Q_PROPERTY(QString LegalCopyright READ LegalCopyright STORED false)
    Q_PROPERTY(QString LegalTradeMark READ LegalTradeMark STORED false)
    Q_PROPERTY(QString OriginalFileName READ OriginalFileName STORED false)
    Q_PROPERTY(QString ProductName READ ProductName STORED false)
    Q_PROPERTY(QString ProductVersion READ ProductVersion STORED false)
    Q_PROPERTY(QString Comments READ Comments STORED false)
    Q_PROPERTY(QString ComputerName READ ComputerName STORED false)
    Q_PROPERTY(QString OSName READ OSName STORED false)
    Q_PROPERTY(QString WindowsDir READ WindowsDir STORED false)
    Q_PROPERTY(QString SystemDir READ SystemDir STORED false)
    Q_PROPERTY(QString TempDir READ TempDir STORED false)
    Q_PROPERTY(QString MyDocumentsDir READ MyDocumentsDir STORED false)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)
    Q_CLASSINFO("AlwaysStored", "Version")
public:
    static inline const QString NotRead = QStringLiteral("Updated at run-time");

    Q_INVOKABLE explicit TExeInfo(QObject* owner = nullptr);

    // Reads the version record of a program file (FileName + ".version");
    // nothing happens when there is none.
    void GetVersionInfoOfApp(const QString& fileName);

    QString CompanyName() const { return FStrings[0]; }
    QString FileDescription() const { return FStrings[1]; }
    QString FileVersion() const { return FStrings[2]; }
    QString InternalName() const { return FStrings[3]; }
    QString LegalCopyright() const { return FStrings[4]; }
    QString LegalTradeMark() const { return FStrings[5]; }
    QString OriginalFileName() const { return FStrings[6]; }
    QString ProductName() const { return FStrings[7]; }
    QString ProductVersion() const { return FStrings[8]; }
    QString Comments() const { return FStrings[9]; }
    // The date the build wrote the record (yyyy-MM-dd); empty without one.
    QString BuildDate() const { return FBuildDate; }
    QString ComputerName() const { return FComputerName; }
    QString OSName() const;
    // The system's configuration and library folders stand for the old
    // system folders; each ends with '/'.
    QString WindowsDir() const;
    QString SystemDir() const;
    QString TempDir() const;
    QString MyDocumentsDir() const;
    QString Version() const { return QStringLiteral("1.3.3.0"); }
    void SetVersion(const QString&) {}

    // Parts 0-3 of FileVersion; -1 when missing or not a number.
    int MajorVersion() const { return VersionPart(0); }
    int MinorVersion() const { return VersionPart(1); }
    int ReleaseNumber() const { return VersionPart(2); }
    int BuildNumber() const { return VersionPart(3); }

private:
    int VersionPart(int index) const;

    QString FStrings[10];
    QString FBuildDate;
    QString FComputerName;
};

// The version record file of a program file.
QString VersionRecordFile(const QString& programFile);

#pragma GCC visibility pop
