#include "WKCalibration.h"

#include "dm_Service.h"

#include <QSqlQuery>
#include <QVariant>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
constexpr int MaxPoints = 255;  // one byte holds the count
constexpr double OneMillisecond = 1.0 / 86400000.0;

const TdmService& Service() {
    if (!dmService) throw ECalibrationError(QStringLiteral("Локальная база данных не открыта"));
    return *dmService;
}

QString ByteHex(uint8_t b) { return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper(); }

QString DoubleHex(double v) {
    static_assert(std::endian::native == std::endian::little, "stored doubles are little-endian");
    unsigned char bytes[8];
    std::memcpy(bytes, &v, 8);
    QString out;
    for (unsigned char b : bytes) out += ByteHex(b);
    return out;
}

uint8_t HexByte(const QString& hex, int pos) {
    bool ok = false;
    const uint v = hex.mid(pos, 2).toUInt(&ok, 16);
    if (!ok) throw ECalibrationError(QStringLiteral("Неверные данные калибровки: не шестнадцатеричная цифра в позиции %1").arg(pos));
    return static_cast<uint8_t>(v);
}

double HexDouble(const QString& hex, int pos) {
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = HexByte(hex, pos + 2 * i);
    double v;
    std::memcpy(&v, bytes, 8);
    return v;
}

int SegmentOf(const std::vector<double>& Codes, double x) {
    const int n = static_cast<int>(Codes.size());
    const bool rising = Codes[n - 1] >= Codes[0];
    for (int i = 1; i <= n - 2; ++i)
        if (rising ? x < Codes[i] : x > Codes[i]) return i - 1;
    return n - 2;
}
}  // namespace

TCalibrationObject::~TCalibrationObject() = default;

bool TCalibrationObject::CalibrationExists(int GID, const QString& Serial, const QString& ClassName, QString* HexData,
                                           TDateTime* Date) {
    QSqlQuery q = Service().OpenTable(
        QStringLiteral("CalibrationData"),
        QStringLiteral("GID = ? AND CalibrationObject = ? AND COALESCE(Serial, '') = ? AND IsActive = 1"),
        {GID, ClassName, Serial.isNull() ? QStringLiteral("") : Serial});  // a null text binds as NULL
    if (!q.next()) return false;
    if (HexData) *HexData = q.value("CalibrationData").toString();
    if (Date) *Date = q.value("CalibrationDate").toDouble();
    return true;
}

void TCalibrationObject::Save(bool Active) {
    const TDataConnection& db = Service().dbService();
    // Dates identify rows: a save within the same clock reading as the newest
    // row moves just past it.
    TDateTime date = Now();
    const QVariant newest = db.Scalar(QStringLiteral("SELECT MAX(CalibrationDate) FROM CalibrationData"));
    if (!newest.isNull() && newest.toDouble() >= date) date = newest.toDouble() + OneMillisecond;
    db.Exec(QStringLiteral("INSERT INTO CalibrationData (GID, Serial, CalibrationDate, Operator, CalibrationObject, "
                           "CalibrationData, CalibrationText, IsActive) VALUES (?, '', ?, '', ?, ?, ?, ?)"),
            {FGID, date, ClassName(), GetHexData(), GetCalibrationText().left(255), Active ? 1 : 0});
    FDate = date;
}

std::optional<qint64> TCalibrationObject::Locate() const { return Service().LocateCalibration(FDate); }

void TCalibrationObject::Delete() {
    if (const auto row = Locate())
        Service().dbService().Exec(QStringLiteral("DELETE FROM CalibrationData WHERE rowid = ?"), {*row});
}

void TCalibrationObject::SetActive(bool Active) {
    if (const auto row = Locate())
        Service().dbService().Exec(QStringLiteral("UPDATE CalibrationData SET IsActive = ? WHERE rowid = ?"),
                                   {Active ? 1 : 0, *row});
}

const QStringList& CalibrationTypeNames() {
    static const QStringList names{QStringLiteral("Отсутствует"), QStringLiteral("Линейная"),
                                   QStringLiteral("Кусочно-линейная"), QStringLiteral("Полином Лагранжа")};
    return names;
}

QString EncodeCalibrationData(signed char Type, const std::vector<double>& Codes, const std::vector<double>& Values) {
    if (Codes.size() != Values.size() || Codes.size() > MaxPoints)
        throw ECalibrationError(QStringLiteral("Неверное число точек калибровки"));
    QString out = ByteHex(static_cast<uint8_t>(Type)) + ByteHex(static_cast<uint8_t>(Codes.size()));
    for (double c : Codes) out += DoubleHex(c);
    for (double v : Values) out += DoubleHex(v);
    return out;
}

void DecodeCalibrationData(const QString& Hex, signed char& Type, std::vector<double>& Codes,
                           std::vector<double>& Values) {
    if (Hex.size() < 4) throw ECalibrationError(QStringLiteral("Неверные данные калибровки: слишком короткий текст"));
    const auto type = static_cast<signed char>(HexByte(Hex, 0));
    const int n = HexByte(Hex, 2);
    if (type < -1 || type > 2) throw ECalibrationError(QStringLiteral("Неверный тип калибровки: %1").arg(type));
    if (Hex.size() != 4 + 32 * n)
        throw ECalibrationError(
            QStringLiteral("Неверные данные калибровки: %1 символов для %2 точек").arg(Hex.size()).arg(n));
    const int least = type == 2 ? 1 : type >= 0 ? 2 : 0;
    if (n < least) throw ECalibrationError(QStringLiteral("Неверное число точек калибровки: %1").arg(n));
    std::vector<double> codes(n), values(n);
    for (int i = 0; i < n; ++i) {
        codes[i] = HexDouble(Hex, 4 + 16 * i);
        values[i] = HexDouble(Hex, 4 + 16 * (n + i));
    }
    Type = type;
    Codes = std::move(codes);
    Values = std::move(values);
}

void CalibrationSegments(const std::vector<double>& Codes, const std::vector<double>& Values, std::vector<double>& A,
                         std::vector<double>& B) {
    const size_t n = Codes.size();
    A.assign(n > 1 ? n - 1 : 0, 0.0);
    B.assign(A.size(), 0.0);
    for (size_t i = 0; i + 1 < n; ++i) {
        A[i] = (Values[i + 1] - Values[i]) / (Codes[i + 1] - Codes[i]);
        B[i] = Values[i] - A[i] * Codes[i];
    }
}

double CalibrationCodeToValue(signed char Type, const std::vector<double>& Codes, const std::vector<double>& Values,
                              const std::vector<double>& A, const std::vector<double>& B, double x) {
    const size_t n = Codes.size();
    switch (Type) {
    case 0:
        return A.empty() ? 0.0 : A[0] * x + B[0];
    case 1: {
        if (A.empty() || A.size() + 1 != n) return 0.0;
        const int k = SegmentOf(Codes, x);
        return A[k] * x + B[k];
    }
    case 2: {
        double sum = 0;
        for (size_t i = 0; i < n; ++i) {
            double term = Values[i];
            for (size_t j = 0; j < n; ++j)
                if (j != i) term *= (x - Codes[j]) / (Codes[i] - Codes[j]);
            sum += term;
        }
        return sum;
    }
    default:
        return 0.0;
    }
}

QString CalibrationPointsText(const std::vector<double>& Codes, const std::vector<double>& Values) {
    QString out = QStringLiteral(" [Эталон, Код]: ");
    for (size_t i = 0; i < Codes.size(); ++i)
        out += QStringLiteral(" [") + FloatToStr(Values[i]) + QStringLiteral(", ") + FloatToStr(Codes[i]) +
               QStringLiteral("] ");
    return out;
}

TGenericCalibrationData::TGenericCalibrationData(int GID, const QString& HexData) : TCalibrationObject(GID) {
    DecodeCalibrationData(HexData, CalibrationType, Codes, Values);
    ComputeSegments();
}

TGenericCalibrationData::TGenericCalibrationData(int GID, signed char Type, std::vector<double> codes,
                                                 std::vector<double> values)
    : TCalibrationObject(GID), CalibrationType(Type), Codes(std::move(codes)), Values(std::move(values)) {
    // The same checks as a stored text gets.
    DecodeCalibrationData(EncodeCalibrationData(CalibrationType, Codes, Values), CalibrationType, Codes, Values);
    ComputeSegments();
}

void TGenericCalibrationData::ComputeSegments() {
    if (CalibrationType == 0 || CalibrationType == 1)
        CalibrationSegments(Codes, Values, A, B);
    else
        A.clear(), B.clear();
}

QString TGenericCalibrationData::GetHexData() const { return EncodeCalibrationData(CalibrationType, Codes, Values); }

QString TGenericCalibrationData::GetCalibrationText() const {
    QString out = QStringLiteral("Тип калибровки: ") + CalibrationTypeNames().value(CalibrationType + 1);
    if (CalibrationType >= 0) out += QStringLiteral(", Число точек: ") + QString::number(Codes.size());
    return out + CalibrationPointsText(Codes, Values);
}

double TGenericCalibrationData::CodeToValue(double Code) const {
    return CalibrationCodeToValue(CalibrationType, Codes, Values, A, B, Code);
}
