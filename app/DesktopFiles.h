#pragma once
// Desktop files (.sd2): the component texts of the open monitoring forms and
// the hosting mode, as INI text in the ANSI code page with CR LF lines:
//   [Desktop]
//   Count=<n>
//   ActivePage=<page> | "ActivePage= -2" in multi-window mode
//   [0]  <component text of form 0> ... [n-1] ...
// Named desktops live in the desktops folder as <name>.sd2.
#include <QList>
#include <QString>
#include <QStringList>

#pragma GCC visibility push(default)

inline const QString DefaultDesktopName = QStringLiteral("По умолчанию");
inline const QString DesktopExt = QStringLiteral(".sd2");
inline constexpr int MultiWindowActivePage = -2;

struct TDesktopContent {
    // MultiWindowActivePage in multi-window mode; else the active page, -1 none.
    int ActivePage = 0;
    // The lines of each form's component text, section [k] at index k.
    QList<QStringList> Forms;
};

// <XDG data home>/Tessaline/WelvistaDesktops/ (with the trailing '/'),
// created with its parents each time it is asked for.
QString DesktopsFolder();
// The name without the characters a file name cannot hold: " * / : < > ? \ |
QString CleanDesktopName(const QString& name);
// The file of a named desktop: the name cleaned, in the desktops folder (a
// typed "Смена/1" is "Смена1.sd2" there); a name that is empty after cleaning
// is refused with "Недопустимое название набора форм".
QString DesktopFileName(const QString& name);
// The desktop names of the folder: the default one first, always, then the
// names of the folder's .sd2 files in name order, the default one not again.
QStringList DesktopNames(const QString& folder);

// Writes the desktop through the safe save: a failed write leaves the old
// file byte for byte and raises EFileWriteError naming it.
void WriteDesktopFile(const QString& fileName, const TDesktopContent& content);
// Reads as the old INI reader did: a missing file reads empty (no forms,
// ActivePage 0); each section's lines trimmed, blank lines and lines
// starting with ';' dropped.
TDesktopContent ReadDesktopFile(const QString& fileName);
// Keeps a desktop file that did not load whole as it is, before anything is
// saved over it: a copy beside it, <file>.bak (or .bak2, .bak3 ... when an
// older copy with other contents is there). Returns the copy's file; an
// identical copy already there is reused. Raises when the copy cannot be
// written.
QString KeepDesktopCopy(const QString& fileName);
// The text a desktop file holds (CR LF lines).
QString DesktopText(const TDesktopContent& content);

#pragma GCC visibility pop
