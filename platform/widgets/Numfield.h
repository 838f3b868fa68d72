#pragma once
// The number edit of the outside number package: a line edit that accepts
// only numbers ('.' as the decimal separator, optional sign) within its range.
// Typing anything else is refused; an out-of-range or unfinished text reads
// as not valid.
#include <QLineEdit>

#pragma GCC visibility push(default)

class TNumField : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumField(QWidget* parent = nullptr);

    // 0: whole numbers only.
    int Decimals() const { return FDecimals; }
    void SetDecimals(int decimals);
    double MinValue() const { return FMin; }
    double MaxValue() const { return FMax; }
    void SetRange(double minValue, double maxValue);

    // The number shown; 0 for a text that is not a complete number.
    double Value() const;
    int AsInteger() const;
    // Shows value with the edit's decimals.
    void SetValue(double value);
    // The text is a complete number inside the range.
    bool IsValid() const;
    // The number of the text, both limits inclusive; raises the field's own
    // error (EConvertError) for a text that is no number or lies outside.
    double CheckFloatValue() const;
    // The same for a whole number.
    int CheckIntValue() const;
    // The pattern SetValue shows numbers by (FormatFloat); empty: by the decimals.
    QString DisplayFormat;

private:
    int FDecimals = 0;
    double FMin = -1e300;
    double FMax = 1e300;
};

#pragma GCC visibility pop
