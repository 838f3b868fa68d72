#pragma once
// The compact binary form of a stored component tree (documents, the
// designer's clipboard). Same content as the text form.
#include "ComponentText.h"

#pragma GCC visibility push(default)

QByteArray WriteComponentBinary(const TStreamObject& root);
// Raises EParserError on damaged or foreign data; never returns part of a tree.
TStreamObject ReadComponentBinary(const QByteArray& data);
bool IsComponentBinary(const QByteArray& data);

#pragma GCC visibility pop
