#include "ui/combo_fillers.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "model/app_state.h"

namespace k45 {
namespace {

struct Item {
    QString text;
    int data;
};

// Refills the list with the items (ascending) and restores the selection. Only the final
// selection runs the list's change handler, as a selection set from code does.
template <class Items>
void Refill(QComboBox& combo, const Items& items, int count) {
    const bool hadSelection = combo.currentIndex() >= 0;
    const int selected = hadSelection ? combo.itemData(combo.currentIndex()).toInt() : 0;
    {
        const QSignalBlocker block(combo);
        combo.clear();
        for (int i = 0; i < count; ++i) combo.addItem(items[static_cast<size_t>(i)].text, items[static_cast<size_t>(i)].data);
        combo.setCurrentIndex(-1);
    }
    if (!hadSelection || combo.count() == 0) return;
    int pick = combo.count() - 1;
    for (int i = 0; i < combo.count(); ++i) {
        if (combo.itemData(i).toInt() >= selected) {
            pick = i;
            break;
        }
    }
    combo.setCurrentIndex(pick);
}

}  // namespace

void FillRadioTypeCombo(QComboBox& combo, const std::array<bool, 3>& radioTypeEnabled) {
    static const char* const names[3] = {"5716", "5726", "5796"};
    std::array<Item, 3> items;
    int count = 0;
    for (int type = 0; type < 3; ++type)
        if (radioTypeEnabled[static_cast<size_t>(type)]) items[static_cast<size_t>(count++)] = {names[type], type};
    Refill(combo, items, count);
}

void FillRadioTypeCombo(QComboBox& combo, const SharedRecords& records) { FillRadioTypeCombo(combo, records.radioTypeEnabled); }

void FillRadioRangeCombo(QComboBox& combo, std::int32_t radioType,
                         const std::array<std::array<bool, 10>, 3>& rangeEnabled) {
    std::array<Item, 10> items;
    int count = 0;
    if (radioType >= 0 && radioType < 3) {
        for (int range = 0; range < 10; ++range)
            if (rangeEnabled[static_cast<size_t>(radioType)][static_cast<size_t>(range)])
                items[static_cast<size_t>(count++)] = {QString::number(range), range};
    }
    Refill(combo, items, count);
}

void FillRadioRangeCombo(QComboBox& combo, const SharedRecords& records, std::int32_t radioType) {
    FillRadioRangeCombo(combo, radioType, records.rangeEnabled);
}

}  // namespace k45
