#pragma once
// "Установка диапазона контроля": the lower and upper limit of one sensor in
// display units, with their sounds, repeat, log, menu and broadcast switches.
#include "WKSensDescr.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TRangeCheckItem;

class TdlgSetRange : public QDialog {
    Q_OBJECT
public:
    // The controls of one limit.
    struct TSide {
        QGroupBox* Group;
        QCheckBox* cbCheck;
        QLineEdit* edLimit;
        QComboBox* cbSound;
        QCheckBox* cbLog;
        QCheckBox* cbContinueSound;
        QSpinBox* edDelay;
        QCheckBox* cbInMenu;
        QCheckBox* cbBroadcast;
    };

    explicit TdlgSetRange(QWidget* Owner = nullptr);

    // Shows the sensor and, when Item is not null, its limits converted to
    // display units. The log and broadcast boxes show only when ShowLogAndBroadcast.
    void Fill(const TSensDescr& Descr, const TRangeCheckItem* Item, bool ShowLogAndBroadcast);
    // Writes the dialog into the item: switches, limits in stored units (NaN
    // for an empty field), sounds, delays and flags. A hidden log or broadcast
    // box keeps the item's flag.
    void Apply(TRangeCheckItem& Item) const;

    QLabel* lblPName;
    TSide Lower;
    TSide Upper;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    TSide MakeSide(const QString& Caption, const QString& Prefix);
    void FillSide(TSide& Side, bool Check, double Limit, const QString& Sound, bool Log, bool Continue, int Delay,
                  bool InMenu, bool Broadcast);
    // OK: each side in use must hold a number; otherwise the side's message and the dialog stays.
    void OKClick();

    int FGID = 0;
};

// "[Нет звука]" and the names without extension of the sounds folder's .wav files.
QStringList RangeSoundNames();
