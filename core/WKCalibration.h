#pragma once
// Sensor calibrations: the abstract calibration object over the local
// CalibrationData table, and the generic kind (linear, piecewise-linear,
// Lagrange) with its data text. A row is identified by its CalibrationDate.
#include "Exceptions.h"
#include "Formatting.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#pragma GCC visibility push(default)

class ECalibrationError : public Exception {
public:
    using Exception::Exception;
};

inline const QString SCalibrationNotFound = QStringLiteral("Не найдена калибровка параметра ");

class TCalibrationObject {
public:
    explicit TCalibrationObject(int GID) : FGID(GID) {}
    virtual ~TCalibrationObject();
    TCalibrationObject(const TCalibrationObject&) = delete;
    TCalibrationObject& operator=(const TCalibrationObject&) = delete;

    virtual QString GetHexData() const = 0;
    virtual QString GetCalibrationText() const = 0;
    virtual double CodeToValue(double Code) const = 0;
    // The name stored in the CalibrationObject column.
    virtual QString ClassName() const = 0;

    // Whether an active row of (GID, Serial, ClassName) exists; its data text
    // and date are returned when asked for.
    static bool CalibrationExists(int GID, const QString& Serial, const QString& ClassName,
                                  QString* HexData = nullptr, TDateTime* Date = nullptr);
    // The loading constructor: the active row's object of class T, or
    // SCalibrationNotFound + GID.
    template <class T>
    static std::unique_ptr<T> Load(int GID, const QString& Serial = {}) {
        QString hex;
        TDateTime date = 0;
        if (!CalibrationExists(GID, Serial, T::StaticClassName(), &hex, &date))
            throw ECalibrationError(SCalibrationNotFound + QString::number(GID));
        auto obj = std::make_unique<T>(GID, hex);
        obj->FDate = date;
        return obj;
    }

    // Appends the object's row (Serial and Operator empty) dated now, or just
    // after the newest row of the GID when the clock has not moved on.
    void Save(bool Active);
    // The rowid of the object's row, when it exists.
    std::optional<qint64> Locate() const;
    void Delete();
    void SetActive(bool Active);

    int GID() const { return FGID; }
    TDateTime Date() const { return FDate; }

protected:
    int FGID;
    TDateTime FDate = 0;
};

class TGenericCalibrationData : public TCalibrationObject {
public:
    // Decodes the data text; a malformed text raises ECalibrationError.
    TGenericCalibrationData(int GID, const QString& HexData);
    TGenericCalibrationData(int GID, signed char Type, std::vector<double> Codes, std::vector<double> Values);

    static QString StaticClassName() { return QStringLiteral("TGenericCalibrationData"); }
    QString ClassName() const override { return StaticClassName(); }
    QString GetHexData() const override;
    QString GetCalibrationText() const override;
    double CodeToValue(double Code) const override;

    signed char CalibrationType = -1;
    std::vector<double> Codes, Values, A, B;

private:
    void ComputeSegments();
};

// Type names, also the wizard's choices: index = type + 1.
const QStringList& CalibrationTypeNames();
// The data text of a calibration (upper-case hex, doubles little-endian).
QString EncodeCalibrationData(signed char Type, const std::vector<double>& Codes, const std::vector<double>& Values);
// Parses a data text; raises ECalibrationError naming what is wrong.
void DecodeCalibrationData(const QString& Hex, signed char& Type, std::vector<double>& Codes,
                           std::vector<double>& Values);
// Segments A[i], B[i] of the lines through consecutive points.
void CalibrationSegments(const std::vector<double>& Codes, const std::vector<double>& Values, std::vector<double>& A,
                         std::vector<double>& B);
// The conversion of the four kinds; 0 for an unknown type or too few points.
double CalibrationCodeToValue(signed char Type, const std::vector<double>& Codes, const std::vector<double>& Values,
                              const std::vector<double>& A, const std::vector<double>& B, double x);
// " [Эталон, Код]: " and one " [value, code] " per point.
QString CalibrationPointsText(const std::vector<double>& Codes, const std::vector<double>& Values);

#pragma GCC visibility pop
