#pragma once
// Command-line switches: a leading '-' or '/', letter case ignored.
#include <QString>
#include <QStringList>

#pragma GCC visibility push(default)

// The program's arguments (without the program name), read once from the process.
QStringList ProgramArguments();
// The running program file, absolute.
QString ProgramFileName();

bool FindCmdLineSwitch(const QStringList& args, const QString& name);
bool FindCmdLineSwitch(const QString& name);

#pragma GCC visibility pop
