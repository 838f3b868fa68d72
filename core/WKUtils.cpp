#include "WKUtils.h"

#include "UIServices.h"

#include <cmath>

bool IsDrilling(TOpCode code) { return code == opDrilling || code == opRotorDrilling; }

bool BHAItemIs(int code, int kind) {
    return (static_cast<unsigned>(code) & 0x7E000000u) == static_cast<unsigned>(kind);
}

double FloatCeil(double x) {
    const double i = std::trunc(x);
    if (std::isnan(x) || i == x) return x;
    return x > 0 ? i + 1 : i;
}

double FloatFloor(double x) {
    const double i = std::trunc(x);
    if (std::isnan(x) || i == x) return x;
    return x > 0 ? i : i - 1;
}

bool SelectComputer(QString& name) {
    // The network neighbourhood browser of the old system has no counterpart
    // here; the user types the host name instead.
    QString value;
    if (UIServices().InputQuery(QStringLiteral("Выбор компьютера"),
                                QStringLiteral("Укажите компьютер с установленной базой Boremont"), value) &&
        !value.trimmed().isEmpty()) {
        name = value.trimmed();
        return true;
    }
    name.clear();
    return false;
}
