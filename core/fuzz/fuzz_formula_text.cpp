// libFuzzer target of the formula language: any bytes as formula text. The
// syntax check and the building of a plan either refuse the text or give a
// plan that evaluates (or raises a math error) without touching memory it
// does not own.
#include "Express.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TRParser parser;
    parser.SetText(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    try {
        parser.SyntaxCheck();
    } catch (const Exception&) {
    }
    std::unique_ptr<TExpression> plan;
    try {
        plan = parser.BuildExpression();
    } catch (const Exception&) {
        return 0;
    }
    if (!plan) return 0;
    try {
        plan->CheckArguments();
        plan->GetValue();
        plan->GetValue();  // a plan evaluates again
    } catch (const Exception&) {
    }
    return 0;
}
