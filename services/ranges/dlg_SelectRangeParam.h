#pragma once
// "Контроль диапазона параметров": the sensors with their limits, filtered by
// name, from which the limit dialog opens and checks are switched off.
#include "TreeView.h"
#include "WKSensDescr.h"
#include "dm_Spanwatch.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class TdlgSelectRangeParam : public QDialog {
    Q_OBJECT
public:
    using TRangeAction = std::function<void(const TSensDescr& Descr)>;

    // The sensors to list, the items whose checks it shows, the icons (image
    // 0 marks a checked sensor) and what the two buttons do.
    TdlgSelectRangeParam(const TSensDescrArray& Sensors, const TRangeCheckList& Params, const TPictureList& Images,
                         TRangeAction SetRange, TRangeAction ResetRange, QWidget* Owner = nullptr);

    // Rebuilds the list from the sensors, the filter and the two boxes.
    void BuildList();
    // The sensor of the selected row, null when none.
    const TSensDescr* Selected() const;

    QTreeWidget* lvParams;
    QLineEdit* edFilter;
    QCheckBox* cbShowHidden;
    QCheckBox* cbOnlyControlled;
    QPushButton* btnControl;
    QPushButton* btnNoControl;
    QPushButton* btnExit;

private:
    void UpdateButtons();
    void ControlClick();
    void NoControlClick();

    const TSensDescrArray& FSensors;
    const TRangeCheckList& FParams;
    const TPictureList& FImages;
    TRangeAction FSetRange;
    TRangeAction FResetRange;
};
