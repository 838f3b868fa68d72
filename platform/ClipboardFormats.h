#pragma once
// The clipboard's content as the old format numbers, which item classes are
// asked about when something that is not text is pasted.
#include "UIServices.h"

#include <QList>

#pragma GCC visibility push(default)

enum TClipboardFormatNumber { CF_TEXT = 1, CF_BITMAP = 2, CF_DIB = 8 };

// The numbers of the formats the clipboard offers, in that order: text 1, a
// picture 2 and 8.
QList<int> ClipboardFormatNumbers(const IClipboard& clipboard);

#pragma GCC visibility pop
