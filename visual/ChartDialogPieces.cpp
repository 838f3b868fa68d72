#include "ChartDialogPieces.h"

#include "EditControls.h"

#include <QComboBox>

QComboBox* CreateLineStyleCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->addItems({QStringLiteral("Сплошная"), QStringLiteral("Тире"), QStringLiteral("Точки"),
                     QStringLiteral("Точка тире"), QStringLiteral("Точка точка тире")});
    combo->setCurrentIndex(0);
    return combo;
}

TUpDownEdit* CreateLineWidthEdit(QWidget* parent) {
    auto* edit = new TUpDownEdit(parent);
    edit->SetRange(1, 4);
    edit->SetValue(1);
    return edit;
}

TPen::TPenStyle LineStyleOf(const QComboBox& combo) {
    const int i = combo.currentIndex();
    return i >= 0 && i <= TPen::psDashDotDot ? TPen::TPenStyle(i) : TPen::psSolid;
}

void SetLineStyle(QComboBox& combo, TPen::TPenStyle style) {
    combo.setCurrentIndex(style <= TPen::psDashDotDot ? int(style) : 0);
}
