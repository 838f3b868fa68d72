// Any bytes as a form read into components of every property kind, with
// errors skipped as form loading does: reading never crashes, and what it
// built writes a text that reads again.
#include "StreamTestClasses.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TProbeClasses classes;
    TReaderOptions options;
    options.OnError = [](const QString&) { return true; };
    TComponentBase* root = nullptr;
    try {
        root = ReadComponentFromText(DecodeComponentFile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))),
                                     nullptr, options);
    } catch (const Exception&) {
        return 0;
    }
    std::unique_ptr<QObject> holder(root->Self());
    const QString text = WriteComponentToText(root);
    try {
        std::unique_ptr<QObject> again(ReadComponentFromText(text, nullptr, options)->Self());
        if (WriteComponentToText(AsComponent(again.get())) != text) std::abort();
    } catch (const Exception&) {
        std::abort();
    }
    return 0;
}
