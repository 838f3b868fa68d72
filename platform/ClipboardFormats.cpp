#include "ClipboardFormats.h"

QList<int> ClipboardFormatNumbers(const IClipboard& clipboard) {
    QList<int> list;
    if (clipboard.HasFormat(QStringLiteral("text/plain"))) list << CF_TEXT;
    if (!clipboard.GetImage().isNull()) list << CF_BITMAP << CF_DIB;
    return list;
}
