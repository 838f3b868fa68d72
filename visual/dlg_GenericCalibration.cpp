#include "dlg_GenericCalibration.h"

#include "ConvSys.h"
#include "Formatting.h"
#include "KXPointArrays.h"
#include "KXScale.h"
#include "Kurvex.h"
#include "ModalDialogs.h"
#include "WKCalibration.h"
#include "WKConsts.h"
#include "WKNet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

constexpr int ReadingInterval = 500;
constexpr int ErrorInterval = 2000;
constexpr int KeptReadings = 20;
constexpr int TableRows = 100;
constexpr int CurvePoints = 100;
constexpr int ColValue = 1;
constexpr int ColCode = 2;
const double NaN = std::numeric_limits<double>::quiet_NaN();

// Index in the type list: type + 1 ("Отсутствует" is type −1).
enum { TypeNone = 0, TypeLinear = 1, TypePiecewise = 2, TypeLagrange = 3 };

double CellNumber(const QTableWidget& grid, int row, int col) {
    const QTableWidgetItem* cell = grid.item(row, col);
    double v = NaN;
    if (!cell || !TryStrToFloat(cell->text().trimmed(), v)) return NaN;
    return v;
}

bool StrictlyMonotonic(const std::vector<double>& v) {
    bool rising = true, falling = true;
    for (size_t i = 1; i < v.size(); ++i) {
        if (!(v[i] > v[i - 1])) rising = false;
        if (!(v[i] < v[i - 1])) falling = false;
    }
    return v.size() >= 2 && (rising || falling);
}

}  // namespace

void THorLineSeries::Paint(QPainter& DC, TScale* Scale, QImage*) {
    if (!FChart || !Scale || !std::isfinite(Value)) return;
    TChartField* field = FChart->Fields().FindItemID(FFieldID);
    const QRect r = field && field->Client() ? field->Client()->rect() : DC.window();
    const int y = Scale->Prj(Value);
    if (y == PrjNone) return;
    QPen pen(FColor);
    pen.setCosmetic(true);
    DC.setPen(pen);
    if (FChart->Orientation() == coVertical)
        DC.drawLine(y, r.top(), y, r.bottom());
    else
        DC.drawLine(r.left(), y, r.right(), y);
}

void TRoundSeries::Paint(QPainter& DC, TScale* Scale, QImage*) {
    if (!FChart || !Scale) return;
    TScale& xs = *FChart->XScale();
    DC.setRenderHint(QPainter::Antialiasing);
    DC.setPen(Qt::NoPen);
    DC.setBrush(Qt::red);
    const bool vertical = FChart->Orientation() == coVertical;
    for (size_t i = 0; i < std::min(Codes.size(), Values.size()); ++i) {
        if (!std::isfinite(Codes[i]) || !std::isfinite(Values[i])) continue;
        const int x = xs.Prj(Codes[i]), y = Scale->Prj(Values[i]);
        if (x == PrjNone || y == PrjNone) continue;
        DC.drawEllipse(vertical ? QPoint(y, x) : QPoint(x, y), 2, 2);
    }
}

TdlgGenericCalibration::TdlgGenericCalibration(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgGenericCalibration"));
    setWindowTitle(QStringLiteral("Калибровка"));
    resize(620, 460);

    pcClbr = new QTabWidget(this);
    pcClbr->tabBar()->hide();
    tsStart = new QWidget;
    tsCalibration = new QWidget;
    pcClbr->addTab(tsStart, QStringLiteral("Параметры калибровки"));
    pcClbr->addTab(tsCalibration, QStringLiteral("Калибровка"));

    lblType = new QLabel(QStringLiteral("Тип калибровки"), tsStart);
    cbType = new QComboBox(tsStart);
    cbType->addItems(CalibrationTypeNames());
    cbType->setCurrentIndex(TypeLinear);
    gbParams = new QGroupBox(QStringLiteral(" Параметры "), tsStart);
    lblCount = new QLabel(QStringLiteral("Количество точек"), gbParams);
    cbCount = new QComboBox(gbParams);
    cbCount->addItems({QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")});
    auto* params = new QHBoxLayout(gbParams);
    params->addWidget(lblCount);
    params->addWidget(cbCount);
    params->addStretch();
    gbParams->hide();
    cbSaveOldCalibration = new QCheckBox(QStringLiteral("Сохранить текущую калибровку"), tsStart);
    auto* help1 = new QLabel(QStringLiteral("Выберите тип калибровки и количество точек, затем нажмите \"Далее\"."),
                             tsStart);
    help1->setWordWrap(true);
    auto* start = new QVBoxLayout(tsStart);
    start->addWidget(lblType);
    start->addWidget(cbType);
    start->addWidget(gbParams);
    start->addWidget(cbSaveOldCalibration);
    start->addWidget(help1);
    start->addStretch();

    Chart = new TGraphion(tsCalibration);
    // Neither axis has a caption of its own: no class name in place of one.
    for (TScale* scale : {Chart->XScale(), Chart->Fields().Add()->Scales().Add()}) {
        scale->SetCaption(QString());
        scale->SetShowCaption(false);
    }
    mtCalibration = new TMemChartTable(this);
    mtCalibration->SetCapacity(TableRows);
    mtCalibration->SetTableType(TMemChartTable::ctLimitedLength);
    mtCalibration->AddArray(QStringLiteral("Time"));
    mtCalibration->AddArray(QStringLiteral("Data"));
    auto* help2 = new QLabel(
        QStringLiteral("Задайте эталонное значение точки и нажмите \"Старт\": код датчика читается, пока показания "
                       "не установятся."),
        tsCalibration);
    help2->setWordWrap(true);
    btnStart = new QPushButton(QStringLiteral("Старт"), tsCalibration);
    sgData = new QTableWidget(0, 3, tsCalibration);
    sgData->setHorizontalHeaderLabels({QStringLiteral("№ точки"), QStringLiteral("Эталон"), QStringLiteral("Код")});
    sgData->verticalHeader()->hide();
    sgData->setSelectionMode(QAbstractItemView::SingleSelection);
    sgData->horizontalHeader()->setStretchLastSection(true);
    lblCustomText = new QLabel(tsCalibration);
    lblCustomText->setStyleSheet(QStringLiteral("color: #C00000"));
    lblCustomText->setWordWrap(true);
    lblCustomText->hide();
    auto* side = new QVBoxLayout;
    side->addWidget(help2);
    side->addWidget(btnStart);
    side->addWidget(sgData, 1);
    side->addWidget(lblCustomText);
    auto* calibration = new QHBoxLayout(tsCalibration);
    calibration->addWidget(Chart, 3);
    calibration->addLayout(side, 2);

    btnBack = new QPushButton(QStringLiteral("<< Назад"), this);
    btnForward = new QPushButton(QStringLiteral("Далее >>"), this);
    btnFinish = new QPushButton(QStringLiteral("Завершить"), this);
    CancelBtn = new QPushButton(QStringLiteral("Отмена"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {btnBack, btnForward, btnFinish, CancelBtn}) buttons->addWidget(b);
    auto* main = new QVBoxLayout(this);
    main->addWidget(pcClbr, 1);
    main->addLayout(buttons);

    Timer = new QTimer(this);
    Timer->setInterval(ReadingInterval);

    connect(Timer, &QTimer::timeout, this, &TdlgGenericCalibration::TimerTick);
    connect(cbType, &QComboBox::currentIndexChanged, this, &TdlgGenericCalibration::UpdateButtons);
    connect(btnForward, &QPushButton::clicked, this, [this] {
        if (FStarted) return;
        EnterCalibrationPage();
    });
    connect(btnBack, &QPushButton::clicked, this, [this] {
        if (FStarted) return;
        pcClbr->setCurrentWidget(tsStart);
        UpdateButtons();
    });
    connect(btnStart, &QPushButton::clicked, this, [this] { FStarted ? StopReading() : StartReading(); });
    connect(btnFinish, &QPushButton::clicked, this, &TdlgGenericCalibration::FinishClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(sgData, &QTableWidget::cellChanged, this, [this] {
        if (!FFilling) RefreshCurve();
    });
    connect(sgData, &QTableWidget::currentCellChanged, this, [this] { sgData->viewport()->update(); });
    UpdateButtons();
}

TdlgGenericCalibration::~TdlgGenericCalibration() = default;

int TdlgGenericCalibration::TimerInterval() const { return Timer->interval(); }

int TdlgGenericCalibration::GetCurrentPointNumber() const { return sgData->currentRow(); }

void TdlgGenericCalibration::SetCalibrationType(signed char Type) {
    FType = Type;
    cbType->setCurrentIndex(std::clamp(int(Type) + 1, 0, cbType->count() - 1));
    pcClbr->setTabVisible(0, false);
    btnBack->hide();
    btnForward->hide();
    EnterCalibrationPage();
}

void TdlgGenericCalibration::SetHexData(const QString& Data) {
    if (Data.size() < 4) return;
    signed char type = -1;
    std::vector<double> codes, values;
    try {
        DecodeCalibrationData(Data, type, codes, values);
    } catch (const ECalibrationError&) {
        return;  // fewer bytes than the point count needs, or not a data text
    }
    FType = type;
    cbType->setCurrentIndex(std::clamp(int(type) + 1, 0, cbType->count() - 1));
    if (type == TypePiecewise - 1 || type == TypeLagrange - 1) {
        const int i = cbCount->findText(QString::number(codes.size()));
        if (i >= 0) cbCount->setCurrentIndex(i);
    }
    Codes = codes;
    Values = values;
    FPointsCount = int(codes.size());
    FillGrid();
}

QString TdlgGenericCalibration::GetHexData() const { return EncodeCalibrationData(FType, Codes, Values); }

QString TdlgGenericCalibration::GetText() const {
    QString s = lblType->text() + QStringLiteral(": ") + cbType->currentText();
    if (cbType->currentIndex() == TypePiecewise || cbType->currentIndex() == TypeLagrange)
        s += QStringLiteral(", ") + lblCount->text() + QStringLiteral(": ") + cbCount->currentText();
    return s + CalibrationPointsText(Codes, Values);
}

void TdlgGenericCalibration::FillGrid() {
    FFilling = true;
    sgData->setRowCount(FPointsCount);
    for (int i = 0; i < FPointsCount; ++i) {
        auto* number = new QTableWidgetItem(QString::number(i + 1));
        number->setFlags(number->flags() & ~Qt::ItemIsEditable);
        sgData->setItem(i, 0, number);
        const bool known = i < int(Values.size());
        sgData->setItem(i, ColValue,
                        new QTableWidgetItem(known && std::isfinite(Values[i]) ? FormatFloat("0.###", Values[i])
                                                                                : QString()));
        sgData->setItem(i, ColCode, new QTableWidgetItem(known && i < int(Codes.size()) && std::isfinite(Codes[i])
                                                             ? FormatFloat("0.###", Codes[i])
                                                             : QString()));
    }
    if (sgData->currentRow() < 0 && FPointsCount > 0) sgData->setCurrentCell(0, ColValue);
    FFilling = false;
}

void TdlgGenericCalibration::FillFromSensor() {
    if (!Sensor) return;
    const auto* generic = dynamic_cast<const TGenericCalibrationData*>(Sensor->CalibrationObject());
    if (!generic) return;
    FType = generic->CalibrationType;
    cbType->setCurrentIndex(std::clamp(int(FType) + 1, 0, cbType->count() - 1));
    if (cbType->currentIndex() == TypePiecewise || cbType->currentIndex() == TypeLagrange) {
        const int i = cbCount->findText(QString::number(generic->Codes.size()));
        if (i >= 0) cbCount->setCurrentIndex(i);
    }
    Codes = generic->Codes;
    Values.clear();
    for (double v : generic->Values) Values.push_back(ConvertOutput(Sensor->FID, v));
    FPointsCount = int(Codes.size());
    FillGrid();
}

void TdlgGenericCalibration::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FStarted = false;
    if (pcClbr->isTabVisible(0)) {
        pcClbr->setCurrentWidget(tsStart);
        FillFromSensor();
    }
    UpdateButtons();
    Timer->start();
}

void TdlgGenericCalibration::EnterCalibrationPage() {
    if (FStarted) return;
    const int type = cbType->currentIndex();
    const int count = type == TypeLinear ? 2 : cbCount->currentText().toInt();
    if (count != FPointsCount || sgData->rowCount() != count) {
        FPointsCount = count;
        Codes.resize(count, NaN);
        Values.resize(count, NaN);
        FillGrid();
    }
    pcClbr->setTabVisible(1, true);
    pcClbr->setCurrentWidget(tsCalibration);
    RefreshCurve();
    UpdateButtons();
}

void TdlgGenericCalibration::UpdateButtons() {
    const int type = cbType->currentIndex();
    const bool onCalibration = pcClbr->currentWidget() == tsCalibration;
    btnBack->setEnabled(onCalibration && !FStarted);
    btnForward->setEnabled(!onCalibration && type != TypeNone);
    sgData->setEnabled(!FStarted);
    CancelBtn->setEnabled(!FStarted);
    btnFinish->setEnabled(type == TypeNone || (onCalibration && !FStarted && PolyValid));
    pcClbr->setTabVisible(1, type != TypeNone);
    if (onCalibration && type == TypeNone) pcClbr->setCurrentWidget(tsStart);
    gbParams->setVisible(type == TypePiecewise || type == TypeLagrange);
}

void TdlgGenericCalibration::RemoveReadingSeries() {
    delete lsMain;
    delete MeanSeries;
    delete StdDev1Ser;
    delete StdDev2Ser;
    lsMain = nullptr;
    MeanSeries = StdDev1Ser = StdDev2Ser = nullptr;
}

void TdlgGenericCalibration::StartReading() {
    Chart->ClearLabels();
    delete lsPoly;
    delete lsPoints;
    lsPoly = nullptr;
    lsPoints = nullptr;
    RemoveReadingSeries();
    lsMain = new TRLineSeries;
    lsMain->SetPen(QPen(QColor(0, 0, 0x80)));
    lsMain->SetTable(mtCalibration);
    lsMain->SetFID(QStringLiteral("Data"));
    lsMain->SetFXID(QStringLiteral("Time"));
    Chart->InsertSeries(lsMain);
    auto horLine = [this](const QColor& color) {
        auto* s = new THorLineSeries;
        s->FColor = color;
        Chart->InsertSeries(s);
        return s;
    };
    MeanSeries = horLine(Qt::red);
    StdDev1Ser = horLine(Qt::yellow);
    StdDev2Ser = horLine(Qt::yellow);
    mtCalibration->Clear();
    Points.clear();
    NextTime = 0;
    FFirstReading = true;
    btnStart->setText(QStringLiteral("Стоп"));
    Chart->XScale()->SetLimits(-1000, 1000, false);
    Chart->XScale()->SetMinMax(0, 100);
    if (TScale* y = Chart->Fields().Items(0)->Scales().Items(0)) y->SetMinMax(0, 1);
    FStarted = true;
    UpdateButtons();
}

void TdlgGenericCalibration::StopReading() {
    Chart->ClearLabels();
    btnStart->setText(QStringLiteral("Старт"));
    RemoveReadingSeries();
    FStarted = false;
    // A mean only after a numeric reading: without one there is nothing to write.
    const int row = GetCurrentPointNumber();
    if (!Points.empty() && row >= 0 && row < sgData->rowCount()) {
        FFilling = true;
        sgData->setItem(row, ColCode, new QTableWidgetItem(FormatFloat("0.###", Mean)));
        FFilling = false;
    }
    RefreshCurve();
    UpdateButtons();
}

void TdlgGenericCalibration::ShowError(const QString& text) {
    lblCustomText->setText(text);
    lblCustomText->show();
}

void TdlgGenericCalibration::AppendTime() {
    // Exactly one "Time" entry per reading tick, beside its one "Data" entry.
    mtCalibration->Arrays().Items(0)->Add(NextTime);
    ++NextTime;
    TMemPointArray* time = mtCalibration->Arrays().Items(0);
    const double first = time->GetCount() > 0 ? time->Values(0) : 0;
    const double last = NextTime - 1;
    Chart->XScale()->SetLimits(first, last + TableRows, false);
    Chart->XScale()->SetMinMax(first, last + TableRows);
    Chart->ForceRepaint();
}

void TdlgGenericCalibration::KeepLatest(double value) {
    Points.insert(Points.begin(), value);
    if (Points.size() > KeptReadings) Points.resize(KeptReadings);
    Mean = std::accumulate(Points.begin(), Points.end(), 0.0) / double(Points.size());
    double s = 0;
    if (Points.size() > 1) {
        double sum = 0;
        for (double p : Points) sum += (p - Mean) * (p - Mean);
        s = std::sqrt(sum / double(Points.size() - 1));
    }
    MeanSeries->Value = Mean;
    StdDev1Ser->Value = Mean + s;
    StdDev2Ser->Value = Mean - s;
    AppendTime();
    if (Points.size() == KeptReadings && s < Accuracy) StopReading();
}

void TdlgGenericCalibration::TimerTick() {
    if (FInTimer) return;
    FInTimer = true;
    if (FStarted) {
        try {
            lblCustomText->hide();
            if (!Sensor) throw Exception(QStringLiteral("Датчик не задан"));
            const double value = Sensor->GetData();
            mtCalibration->Arrays().Items(1)->Add(value);
            if (!std::isfinite(value)) {
                AppendTime();
            } else {
                const int row = GetCurrentPointNumber();
                if (row >= 0 && row < sgData->rowCount()) {
                    FFilling = true;
                    sgData->setItem(row, ColCode, new QTableWidgetItem(FormatFloat("0.###", value)));
                    FFilling = false;
                }
                TScale* y = Chart->Fields().Items(0)->Scales().Items(0);
                if (FFirstReading)
                    y->SetMinMax(value - Accuracy, value + Accuracy);
                else
                    y->SetMinMax(std::min(y->Min(), value), std::max(y->Max(), value));
                FFirstReading = false;
                KeepLatest(value);
            }
            Timer->setInterval(ReadingInterval);
        } catch (const std::exception& e) {
            Timer->setInterval(ErrorInterval);
            mtCalibration->Arrays().Items(1)->Add(NaN);
            AppendTime();
            ShowError(QString::fromUtf8(e.what()));
        }
    } else if (FOnTimerIdle) {
        try {
            FOnTimerIdle();
        } catch (const std::exception& e) {
            Timer->setInterval(ErrorInterval);
            ShowError(QString::fromUtf8(e.what()));
        }
    }
    FInTimer = false;
}

void TdlgGenericCalibration::RefreshCurve() {
    FType = static_cast<signed char>(cbType->currentIndex() - 1);
    PolyValid = false;
    if (!lsPoly) {
        lsPoly = new TRLineSeries;
        lsPoly->SetPen(QPen(Qt::blue));
        lsPoly->SetTable(mtCalibration);
        lsPoly->SetFID(QStringLiteral("Data"));
        lsPoly->SetFXID(QStringLiteral("Time"));
        Chart->InsertSeries(lsPoly);
    }
    if (!lsPoints) {
        lsPoints = new TRoundSeries;
        Chart->InsertSeries(lsPoints);
    }
    mtCalibration->Clear();
    try {
        const int rows = sgData->rowCount();
        Codes.assign(rows, NaN);
        Values.assign(rows, NaN);
        for (int i = 0; i < rows; ++i) {
            Values[i] = CellNumber(*sgData, i, ColValue);
            Codes[i] = CellNumber(*sgData, i, ColCode);
        }
        lsPoints->Codes = Codes;
        lsPoints->Values = Values;
        if (FType == TypeLinear - 1 || FType == TypePiecewise - 1) {
            if (!StrictlyMonotonic(Codes)) {
                Chart->ForceRepaint();
                return;
            }
            CalibrationSegments(Codes, Values, A, B);
        }
        if (FType < 0 || rows < 2) {
            Chart->ForceRepaint();
            return;
        }
        const auto [mn, mx] = std::minmax_element(Codes.begin(), Codes.end());
        if (!std::isfinite(*mn) || !std::isfinite(*mx) || !(*mx > *mn)) {
            Chart->ForceRepaint();
            return;
        }
        const double r = 2 * (*mx - *mn);
        const double from = *mn - r / 4, step = r / CurvePoints;
        double ymin = std::numeric_limits<double>::infinity(), ymax = -ymin;
        for (int i = 0; i < CurvePoints; ++i) {
            const double x = from + i * step;
            const double y = CalibrationCodeToValue(FType, Codes, Values, A, B, x);
            mtCalibration->Arrays().Items(0)->Add(x);
            mtCalibration->Arrays().Items(1)->Add(y);
            if (std::isfinite(y)) {
                ymin = std::min(ymin, y);
                ymax = std::max(ymax, y);
            }
        }
        const double to = from + (CurvePoints - 1) * step;
        Chart->XScale()->SetLimits(from - (to - from), to + (to - from), false);
        Chart->XScale()->SetMinMax(from, to);
        if (std::isfinite(ymin) && ymax > ymin)
            Chart->Fields().Items(0)->Scales().Items(0)->SetMinMax(ymin, ymax);
        PolyValid = true;
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdlgGenericCalibration.RefreshCurve: ") + QString::fromUtf8(e.what()));
        PolyValid = false;
    }
    Chart->ForceRepaint();
    UpdateButtons();
}

void TdlgGenericCalibration::FinishClick() {
    if (!btnFinish->isEnabled()) return;
    if (cbType->currentIndex() == TypeNone) {
        FType = -1;
        Codes.clear();
        Values.clear();
    } else if (Sensor) {
        for (double& v : Values) v = ConvertInput(Sensor->FID, v);
    }
    accept();
}

void TdlgGenericCalibration::done(int result) {
    if (FStarted) {
        try {
            StopReading();
        } catch (...) {
            // closing goes on whatever the last reading did
        }
    }
    Timer->stop();
    QDialog::done(result);
}

void InstallCalibrationWizard() {
    SetCalibrationWizard([](TWKSensor& sensor, bool hasCalibration) -> std::optional<TCalibrationWizardResult> {
        TdlgGenericCalibration dlg;
        dlg.Sensor = &sensor;
        dlg.cbSaveOldCalibration->setEnabled(hasCalibration);
        if (ShowModal(dlg) != mrOk) return std::nullopt;
        return TCalibrationWizardResult{dlg.GetHexData(), dlg.cbSaveOldCalibration->isChecked()};
    });
}

namespace {
// The visual library answers the equipment tree's calibration requests once it is loaded.
const bool WizardInstalled = [] {
    InstallCalibrationWizard();
    return true;
}();
}  // namespace
