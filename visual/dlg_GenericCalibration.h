#pragma once
// The calibration wizard of a sensor: the user picks a calibration type and a
// number of points, then for each point enters the reference value and lets
// the wizard read the sensor's raw code until the readings settle. The chart
// shows the readings with their mean and spread, then the conversion curve.
#include "KXSeries.h"
#include "Kurvex.h"

#include <QDialog>
#include <functional>
#include <vector>

#pragma GCC visibility push(default)

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTimer;
class TGraphion;
class TMemChartTable;
class TWKSensor;

// A horizontal line at Value across the whole field.
class THorLineSeries : public TSeries {
    Q_OBJECT
public:
    explicit THorLineSeries(QObject* AOwner = nullptr) : TSeries(AOwner) {}
    bool Link() override { return true; }
    void Paint(QPainter& DC, TScale* Scale, QImage* Bmp) override;
    void PaintIcon(QPainter&, const QRect&) override {}

    QColor FColor = Qt::red;
    double Value = 0;
};

// A filled red circle of radius 2 pixels at every (code, value) point.
class TRoundSeries : public TSeries {
    Q_OBJECT
public:
    explicit TRoundSeries(QObject* AOwner = nullptr) : TSeries(AOwner) {}
    bool Link() override { return true; }
    void Paint(QPainter& DC, TScale* Scale, QImage* Bmp) override;
    void PaintIcon(QPainter&, const QRect&) override {}

    std::vector<double> Codes, Values;
};

class TdlgGenericCalibration : public QDialog {
    Q_OBJECT
public:
    explicit TdlgGenericCalibration(QWidget* parent = nullptr);
    ~TdlgGenericCalibration() override;

    void SetCalibrationType(signed char Type);
    // Ignored when too short or shorter than its point count needs.
    void SetHexData(const QString& Data);
    QString GetHexData() const;
    QString GetText() const;
    void SetOnTimerIdle(std::function<void()> Handler) { FOnTimerIdle = std::move(Handler); }
    int GetCurrentPointNumber() const;

    // One tick of the reading timer (the timer calls it; tests call it by hand).
    void TimerTick();
    void StartReading();
    void StopReading();
    // Reads the grid into Codes and Values and draws the conversion curve.
    void RefreshCurve();
    void UpdateButtons();
    // The points page for the chosen type and count.
    void EnterCalibrationPage();
    bool Started() const { return FStarted; }
    int TimerInterval() const;
    double Mean = 0;
    bool PolyValid = false;
    double Accuracy = 20;
    TWKSensor* Sensor = nullptr;
    std::vector<double> Codes, Values, A, B;

    QTabWidget* pcClbr;
    QWidget* tsStart;
    QWidget* tsCalibration;
    QLabel* lblType;
    QComboBox* cbType;
    QGroupBox* gbParams;
    QLabel* lblCount;
    QComboBox* cbCount;
    QCheckBox* cbSaveOldCalibration;
    TGraphion* Chart;
    QPushButton* btnStart;
    QTableWidget* sgData;
    QLabel* lblCustomText;
    QPushButton* btnBack;
    QPushButton* btnForward;
    QPushButton* btnFinish;
    QPushButton* CancelBtn;
    TMemChartTable* mtCalibration;
    QTimer* Timer;

protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

private:
    void FillFromSensor();
    void FillGrid();
    void ShowError(const QString& text);
    void RemoveReadingSeries();
    void FinishClick();
    void AppendTime();
    void KeepLatest(double value);

    int FPointsCount = 2;
    bool FInTimer = false;
    int NextTime = 0;
    std::vector<double> Points;
    THorLineSeries* MeanSeries = nullptr;
    THorLineSeries* StdDev1Ser = nullptr;
    THorLineSeries* StdDev2Ser = nullptr;
    TRLineSeries* lsMain = nullptr;
    TRLineSeries* lsPoly = nullptr;
    TRoundSeries* lsPoints = nullptr;
    signed char FType = 0;
    bool FStarted = false;
    bool FFilling = false;
    bool FFirstReading = true;
    std::function<void()> FOnTimerIdle;
};

// Installs the wizard as the equipment tree's calibration hook.
void InstallCalibrationWizard();

#pragma GCC visibility pop
