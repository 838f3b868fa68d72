#include "Numfield.h"

#include "Exceptions.h"
#include "Formatting.h"

#include <QRegularExpression>
#include <QValidator>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {
// Accepts what can still become a number; range checks are left to IsValid,
// so a user may type "1" on the way to "15" in an edit of 10..20.
class TNumberValidator : public QValidator {
public:
    TNumberValidator(const TNumField& edit) : QValidator(nullptr), FEdit(edit) {}
    State validate(QString& input, int&) const override {
        const QString pattern = FEdit.Decimals() > 0
                                    ? QStringLiteral(R"(^\s*[-+]?\d*(\.\d{0,%1})?\s*$)").arg(FEdit.Decimals())
                                    : QStringLiteral(R"(^\s*[-+]?\d*\s*$)");
        if (!QRegularExpression(pattern).match(input).hasMatch()) return Invalid;
        double v = 0;
        return TryStrToFloat(input, v) ? Acceptable : Intermediate;
    }

private:
    const TNumField& FEdit;
};
}  // namespace

TNumField::TNumField(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight);
    // The validator reads the decimals when it runs, so one serves for good.
    auto* v = new TNumberValidator(*this);
    v->setParent(this);
    setValidator(v);
    setText(QStringLiteral("0"));
}

void TNumField::SetDecimals(int decimals) { FDecimals = std::clamp(decimals, 0, 15); }

void TNumField::SetRange(double minValue, double maxValue) {
    FMin = std::min(minValue, maxValue);
    FMax = std::max(minValue, maxValue);
}

double TNumField::Value() const { return StrToFloatDef(text(), 0); }

int TNumField::AsInteger() const {
    const double v = std::clamp(Value(), double(INT_MIN), double(INT_MAX));
    return int(Round(v));
}

void TNumField::SetValue(double value) {
    if (!DisplayFormat.isEmpty()) {
        setText(FormatFloat(DisplayFormat, value));
        return;
    }
    setText(FDecimals > 0 ? FloatToStrFixed(value, FDecimals) : QString::number(Round(value)));
}

bool TNumField::IsValid() const {
    double v = 0;
    return TryStrToFloat(text(), v) && std::isfinite(v) && v >= FMin && v <= FMax;
}

double TNumField::CheckFloatValue() const {
    double v = 0;
    if (!TryStrToFloat(text(), v) || !std::isfinite(v))
        throw EConvertError(QStringLiteral("\"%1\" не является числом").arg(text().trimmed()));
    if (v < FMin || v > FMax)
        throw EConvertError(QStringLiteral("Значение должно лежать в диапазоне от %1 до %2").arg(FloatToStr(FMin), FloatToStr(FMax)));
    return v;
}

int TNumField::CheckIntValue() const {
    const double v = CheckFloatValue();
    if (v != std::trunc(v) || v < double(INT_MIN) || v > double(INT_MAX))
        throw EConvertError(QStringLiteral("\"%1\" не является целым числом").arg(text().trimmed()));
    return int(v);
}
