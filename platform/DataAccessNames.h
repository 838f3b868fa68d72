#pragma once
// The names of the data access layer's Qt SQL connections, shared by its
// SQLite and Firebird halves (DataAccess.cpp, DataAccessFirebird.cpp).
#include <QString>

#pragma GCC visibility push(default)

// A name no other connection of the process has.
QString NewConnectionName();

#pragma GCC visibility pop
