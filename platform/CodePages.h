#pragma once
// The 8-bit code pages of the old system: ANSI (windows-1251) and OEM (IBM866).
#include <QByteArray>
#include <QString>

#pragma GCC visibility push(default)

enum class TCodePage { cpAnsi, cpOem };

QString DecodeCodePage(const QByteArray& bytes, TCodePage page);
// Characters the page lacks become '?'.
QByteArray EncodeCodePage(const QString& text, TCodePage page);

#pragma GCC visibility pop
