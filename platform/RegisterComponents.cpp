#include "RegisterComponents.h"

namespace {
TRegisterComponentsProc& Proc() {
    static TRegisterComponentsProc proc;
    return proc;
}
}  // namespace

void RegisterComponents(const QString& page, const QList<const QMetaObject*>& classes) {
    if (Proc()) Proc()(page, classes);
}

TRegisterComponentsProc SetRegisterComponentsProc(TRegisterComponentsProc proc) {
    TRegisterComponentsProc previous = std::move(Proc());
    Proc() = std::move(proc);
    return previous;
}
