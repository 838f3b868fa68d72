#include "fr_Align.h"

#include "EditControls.h"

#include <QVBoxLayout>
#include <array>

namespace {
constexpr std::array<TControl::TAlign, 6> ItemAligns{TControl::alNone, TControl::alLeft,   TControl::alRight,
                                                     TControl::alTop,  TControl::alBottom, TControl::alClient};
}

TfrAlign::TfrAlign(QWidget* parent) : QWidget(parent) {
    rgAlign = new TRadioGroup(QStringLiteral(" Выравнивание "),
                              {QStringLiteral("Без выравнивания"), QStringLiteral("По левому краю"),
                               QStringLiteral("По правому краю"), QStringLiteral("По верхнему краю"),
                               QStringLiteral("По нижнему краю"), QStringLiteral("По свободному месту")},
                              this);
    rgAlign->SetItemIndex(0);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(rgAlign);
}

TControl::TAlign TfrAlign::GetCtlAlign() const {
    const int i = rgAlign->ItemIndex();
    return i >= 0 && i < int(ItemAligns.size()) ? ItemAligns[size_t(i)] : TControl::alNone;
}

void TfrAlign::SetCtlAlign(TControl::TAlign align) {
    const auto it = std::find(ItemAligns.begin(), ItemAligns.end(), align);
    rgAlign->SetItemIndex(it == ItemAligns.end() ? 0 : int(it - ItemAligns.begin()));
}
