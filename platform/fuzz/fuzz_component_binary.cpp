// Any bytes after the binary signature: reading fails cleanly or gives a tree
// that writes back to the same bytes.
#include "ComponentBinary.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArrayLiteral("WKC1") + QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    TStreamObject tree;
    try {
        tree = ReadComponentBinary(bytes);
    } catch (const EParserError&) {
        return 0;
    }
    if (!(ReadComponentBinary(WriteComponentBinary(tree)) == tree)) std::abort();
    (void)WriteComponentText(tree);
    return 0;
}
