#include "CodePages.h"

#include "Exceptions.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
const char* NameOf(TCodePage page) { return page == TCodePage::cpAnsi ? "windows-1251" : "IBM866"; }
}  // namespace

QString DecodeCodePage(const QByteArray& bytes, TCodePage page) {
    QStringDecoder dec(NameOf(page));
    if (!dec.isValid()) throw Exception(QStringLiteral("Code page %1 is not available").arg(NameOf(page)));
    return dec(bytes);
}

QByteArray EncodeCodePage(const QString& text, TCodePage page) {
    QStringEncoder enc(NameOf(page));
    if (!enc.isValid()) throw Exception(QStringLiteral("Code page %1 is not available").arg(NameOf(page)));
    QByteArray out;
    out.reserve(text.size());
    // One code point at a time, so that a character the page lacks becomes '?'.
    for (int i = 0; i < text.size(); ++i) {
        const int len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        enc.resetState();
        const QByteArray b = enc(QStringView(text).mid(i, len));
        out += (enc.hasError() || b.size() != 1 || (b[0] == 0x1A && text[i] != QChar(0x1A))) ? QByteArray("?") : b;
        i += len - 1;
    }
    return out;
}
