#include "dlg_SetRange.h"

#include "ConvSys.h"
#include "Formatting.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKMessages.h"
#include "dm_Spanwatch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace {
const QString kNoSound = QStringLiteral("[Нет звука]");
constexpr int kDefaultDelay = 60;

bool ValidNumber(const QString& Text, double& Value) { return TryStrToFloat(Text, Value); }
}  // namespace

QStringList RangeSoundNames() {
    QStringList names{kNoSound};
    // Only what name + ".wav" finds again when the alarm plays it.
    const QFileInfoList files =
        QDir(WKSoundsPath()).entryInfoList({QStringLiteral("*.wav")}, QDir::Files | QDir::CaseSensitive, QDir::Name);
    for (const QFileInfo& f : files) names << f.completeBaseName();
    return names;
}

TdlgSetRange::TdlgSetRange(QWidget* Owner) : QDialog(Owner) {
    setWindowTitle(QStringLiteral("Установка диапазона контроля"));
    auto* layout = new QVBoxLayout(this);
    auto* name = new QHBoxLayout;
    name->addWidget(new QLabel(QStringLiteral("Параметр:"), this));
    lblPName = new QLabel(this);
    lblPName->setObjectName(QStringLiteral("lblPName"));
    QFont bold = lblPName->font();
    bold.setBold(true);
    lblPName->setFont(bold);
    name->addWidget(lblPName, 1);
    layout->addLayout(name);

    auto* sides = new QHBoxLayout;
    Lower = MakeSide(QStringLiteral(" Нижний предел (значение < предела) "), QStringLiteral("Min"));
    Upper = MakeSide(QStringLiteral(" Верхний предел (значение > предела) "), QStringLiteral("Max"));
    sides->addWidget(Lower.Group);
    sides->addWidget(Upper.Group);
    layout->addLayout(sides);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &TdlgSetRange::OKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TdlgSetRange::TSide TdlgSetRange::MakeSide(const QString& Caption, const QString& Prefix) {
    TSide s{};
    s.Group = new QGroupBox(Caption, this);
    s.Group->setObjectName(QStringLiteral("gb") + Prefix);
    auto* form = new QFormLayout(s.Group);
    auto named = [&Prefix](QWidget* w, const QString& base) {
        w->setObjectName(base + Prefix);
        return w;
    };
    s.cbCheck = new QCheckBox(QStringLiteral("Контролировать"), s.Group);
    form->addRow(named(s.cbCheck, QStringLiteral("cbCheck")));
    s.edLimit = new QLineEdit(s.Group);
    form->addRow(QStringLiteral("Предел"), named(s.edLimit, QStringLiteral("edLimit")));
    s.cbSound = new QComboBox(s.Group);
    s.cbSound->addItems(RangeSoundNames());
    form->addRow(QStringLiteral("Звук"), named(s.cbSound, QStringLiteral("cbSound")));
    s.cbLog = new QCheckBox(QStringLiteral("Записывать в журнал"), s.Group);
    form->addRow(named(s.cbLog, QStringLiteral("cbLog")));
    s.cbContinueSound = new QCheckBox(QStringLiteral("Непрерывный звук"), s.Group);
    form->addRow(named(s.cbContinueSound, QStringLiteral("cbContinueSound")));
    s.edDelay = new QSpinBox(s.Group);
    s.edDelay->setRange(1, 3600);
    s.edDelay->setValue(kDefaultDelay);
    form->addRow(QStringLiteral("Срабатывать не чаще (сек.)"), named(s.edDelay, QStringLiteral("edDelay")));
    s.cbInMenu = new QCheckBox(QStringLiteral("Поместить переключатель контроля в меню"), s.Group);
    form->addRow(named(s.cbInMenu, QStringLiteral("cbInMenu")));
    s.cbBroadcast = new QCheckBox(QStringLiteral("Рассылка предупреждений"), s.Group);
    form->addRow(named(s.cbBroadcast, QStringLiteral("cbBroadcast")));

    // The box follows the field: ticked exactly while it holds a number.
    QCheckBox* check = s.cbCheck;
    connect(s.edLimit, &QLineEdit::textEdited, this, [check](const QString& text) {
        double v = 0;
        check->setChecked(ValidNumber(text, v));
    });
    // A chosen sound is heard at once.
    QComboBox* sound = s.cbSound;
    connect(s.cbSound, &QComboBox::activated, this, [sound](int index) {
        if (index > 0) PlaySoundFile(sound->itemText(index) + QStringLiteral(".wav"), false);
    });
    return s;
}

void TdlgSetRange::FillSide(TSide& Side, bool Check, double Limit, const QString& Sound, bool Log, bool Continue,
                            int Delay, bool InMenu, bool Broadcast) {
    Side.cbCheck->setChecked(Check);
    Side.edLimit->setText(std::isnan(Limit) ? QString()
                                            : FormatFloat(QStringLiteral("0.###"), ConvertOutput(FGID, Limit)));
    const int sound = Sound.isEmpty() ? -1 : Side.cbSound->findText(Sound);
    Side.cbSound->setCurrentIndex(sound > 0 ? sound : 0);
    Side.cbLog->setChecked(Log);
    Side.cbContinueSound->setChecked(Continue);
    if (Delay != 0) Side.edDelay->setValue(Delay);
    Side.cbInMenu->setChecked(InMenu);
    Side.cbBroadcast->setChecked(Broadcast);
}

void TdlgSetRange::Fill(const TSensDescr& Descr, const TRangeCheckItem* Item, bool ShowLogAndBroadcast) {
    FGID = Descr.GID;
    lblPName->setText(Descr.FullName);
    for (TSide* s : {&Lower, &Upper}) {
        s->cbLog->setVisible(ShowLogAndBroadcast);
        s->cbBroadcast->setVisible(ShowLogAndBroadcast);
    }
    if (!Item) return;
    FillSide(Lower, Item->CheckMin(), Item->Min, Item->MinSound, Item->LogMin, Item->MinContinueSound, Item->MinDelay,
             Item->MinInMenu, Item->BroadcastMin);
    FillSide(Upper, Item->CheckMax(), Item->Max, Item->MaxSound, Item->LogMax, Item->MaxContinueSound, Item->MaxDelay,
             Item->MaxInMenu, Item->BroadcastMax);
}

void TdlgSetRange::Apply(TRangeCheckItem& Item) const {
    struct TTarget {
        const TSide& Side;
        double& Limit;
        QString& Sound;
        bool& Continue;
        bool& Log;
        bool& Broadcast;
        int& Delay;
        bool& InMenu;
    };
    Item.SetCheckMin(Lower.cbCheck->isChecked());
    Item.SetCheckMax(Upper.cbCheck->isChecked());
    for (const TTarget& t : {TTarget{Lower, Item.Min, Item.MinSound, Item.MinContinueSound, Item.LogMin,
                                     Item.BroadcastMin, Item.MinDelay, Item.MinInMenu},
                             TTarget{Upper, Item.Max, Item.MaxSound, Item.MaxContinueSound, Item.LogMax,
                                     Item.BroadcastMax, Item.MaxDelay, Item.MaxInMenu}}) {
        double v = TRangeCheckItem::NaN;
        const QString text = t.Side.edLimit->text().trimmed();
        t.Limit = !text.isEmpty() && ValidNumber(text, v) ? ConvertInput(FGID, v) : TRangeCheckItem::NaN;
        t.Sound = t.Side.cbSound->currentIndex() > 0 ? t.Side.cbSound->currentText() : QString();
        t.Continue = t.Side.cbContinueSound->isChecked();
        // A hidden box is another program's business: its flag stays as stored.
        if (!t.Side.cbLog->isHidden()) t.Log = t.Side.cbLog->isChecked();
        if (!t.Side.cbBroadcast->isHidden()) t.Broadcast = t.Side.cbBroadcast->isChecked();
        t.Delay = t.Side.edDelay->value();
        t.InMenu = t.Side.cbInMenu->isChecked();
    }
}

void TdlgSetRange::OKClick() {
    const std::pair<const TSide*, QString> sides[] = {
        {&Lower, QStringLiteral("Корректно введите значение нижнего предела")},
        {&Upper, QStringLiteral("Корректно введите значение верхнего предела")}};
    for (const auto& [side, message] : sides) {
        const QString text = side->edLimit->text();
        if (!side->cbCheck->isChecked() && !side->cbInMenu->isChecked() && text.trimmed().isEmpty()) continue;
        double v = 0;
        if (!ValidNumber(text, v)) {
            MessageDlg(message, mtError, mbOK);
            side->edLimit->setFocus();
            return;
        }
    }
    accept();
}
