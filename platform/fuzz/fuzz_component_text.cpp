// Any bytes as a form file: decoding and parsing either fail cleanly or give
// a tree that the writer turns into text that parses to the same tree, and
// whose binary form reads back to it as well.
#include "ComponentBinary.h"
#include "ComponentText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TStreamObject tree;
    try {
        tree = ParseComponentText(DecodeComponentFile(bytes));
    } catch (const EParserError&) {
        return 0;
    }
    const QString text = WriteComponentText(tree);
    for (QChar c : text)
        if (c.unicode() > 127) std::abort();
    if (!(ParseComponentText(text) == tree)) std::abort();
    if (!(ReadComponentBinary(WriteComponentBinary(tree)) == tree)) std::abort();
    return 0;
}
