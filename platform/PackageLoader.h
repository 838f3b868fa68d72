#pragma once
// Packages: shared objects loaded on demand and never unloaded. Loading one
// runs its static initialisers, which register its classes.
#include <QString>

#pragma GCC visibility push(default)

// Loads the package file; raises Exception with the loader's message on failure.
// Loading an already loaded file does nothing.
void LoadPackage(const QString& fileName);
// True when the file is loaded in this process.
bool IsPackageLoaded(const QString& fileName);
// True when a module of this file name (folders ignored) is loaded in this
// process, from whatever folder it came.
bool IsModuleNameLoaded(const QString& fileName);

#pragma GCC visibility pop
