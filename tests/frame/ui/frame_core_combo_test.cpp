#include <QComboBox>
#include <gtest/gtest.h>

#include "model/app_state.h"
#include "ui/combo_fillers.h"

using namespace k45;

namespace {

class ComboFill : public ::testing::Test {
protected:
    QComboBox combo;
    AppState state;
    int changes = 0;

    void SetUp() override {
        state.radioTypeEnabled = {true, true, true};
        FillRadioTypeCombo(combo, state);
        QObject::connect(&combo, &QComboBox::currentIndexChanged, [this] { ++changes; });
    }
    QStringList texts() const {
        QStringList out;
        for (int i = 0; i < combo.count(); ++i) out << combo.itemText(i);
        return out;
    }
    QList<int> data() const {
        QList<int> out;
        for (int i = 0; i < combo.count(); ++i) out << combo.itemData(i).toInt();
        return out;
    }
};

}  // namespace

TEST_F(ComboFill, TypeSelectionMovesToTheNextHigherOffered) {
    struct Case { std::array<bool, 3> enabled; int selectedBefore; QStringList items; QString selectedAfter; };
    const Case cases[] = {
        {{true, false, true}, 1, {"5716", "5796"}, "5796"},   // "5726" gone: next higher
        {{true, true, false}, 2, {"5716", "5726"}, "5726"},   // highest gone: the last item
        {{true, true, true}, 0, {"5716", "5726", "5796"}, "5716"},
        {{false, true, true}, 0, {"5726", "5796"}, "5726"},
        {{true, false, true}, -1, {"5716", "5796"}, ""},      // nothing selected: nothing selected
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selectedBefore);
        state.radioTypeEnabled = {true, true, true};
        FillRadioTypeCombo(combo, state);
        combo.setCurrentIndex(c.selectedBefore);
        changes = 0;
        state.radioTypeEnabled = c.enabled;
        FillRadioTypeCombo(combo, state);
        EXPECT_EQ(texts(), c.items);
        EXPECT_EQ(combo.currentText(), c.selectedAfter);
        // The change handler runs once, for the final selection only.
        EXPECT_EQ(changes, c.selectedBefore >= 0 ? 1 : 0);
    }
}

TEST_F(ComboFill, TypeItemDataIsTheTypeNumber) {
    state.radioTypeEnabled = {false, true, true};
    FillRadioTypeCombo(combo, state);
    EXPECT_EQ(data(), (QList<int>{1, 2}));
}

TEST_F(ComboFill, RangesInAscendingOrder) {
    state.rangeEnabled[1] = {};
    state.rangeEnabled[1][7] = state.rangeEnabled[1][0] = state.rangeEnabled[1][3] = true;
    combo.setCurrentIndex(0);
    FillRadioRangeCombo(combo, state, 1);
    EXPECT_EQ(texts(), (QStringList{"0", "3", "7"}));
    EXPECT_EQ(data(), (QList<int>{0, 3, 7}));
    EXPECT_EQ(combo.currentIndex(), 0);   // "5716" was selected (data 0): range 0 now

    combo.setCurrentIndex(2);
    state.rangeEnabled[1][7] = false;
    FillRadioRangeCombo(combo, state, 1);
    EXPECT_EQ(combo.currentText(), "3");  // 7 gone, nothing higher: the last item
}

TEST_F(ComboFill, RangeSelectionMovesToTheNextHigherOffered) {
    struct Case { int selectedBefore; std::array<bool, 10> enabled; QString selectedAfter; };
    const Case cases[] = {
        {3, {true, false, false, false, false, false, false, true, false, false}, "7"},  // gap: next higher
        {9, {true, false, false, true, false, false, false, true, false, false}, "7"},   // none higher: last
        {3, {true, false, false, true, false, false, false, true, false, false}, "3"},   // kept
        {5, {false, false, false, false, false, true, false, false, false, false}, "5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selectedBefore);
        FillRadioRangeCombo(combo, 0, kAllRadioRanges);
        EXPECT_EQ(combo.count(), 10);
        combo.setCurrentIndex(c.selectedBefore);
        state.rangeEnabled[2] = c.enabled;
        FillRadioRangeCombo(combo, state, 2);
        EXPECT_EQ(combo.currentText(), c.selectedAfter);
        EXPECT_EQ(combo.currentData().toInt(), c.selectedAfter.toInt());
    }
}

TEST_F(ComboFill, AnEmptyOrInvalidChoiceLeavesNoSelection) {
    for (int type : {-1, 3, 1000}) {
        combo.setCurrentIndex(0);
        FillRadioRangeCombo(combo, state, type);
        EXPECT_EQ(combo.count(), 0) << type;
        EXPECT_EQ(combo.currentIndex(), -1);
        FillRadioTypeCombo(combo, state);
    }
    combo.setCurrentIndex(1);
    state.radioTypeEnabled = {false, false, false};
    FillRadioTypeCombo(combo, state);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.currentIndex(), -1);
}
