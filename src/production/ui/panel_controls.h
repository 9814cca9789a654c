#pragma once
// The controls the three test panels share - frequency boxes, transmit mode and time,
// synthesizer, adjustments with the direct value, diagnostics - their construction, and what
// the panel dialogue shows in them. The user test has no synthesizer or adjustments group.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <array>

#include "platform/qt/qt_text.h"
#include "production/test_panel.h"
#include "production/ui/panel_window_support.h"
#include "ui/num_box.h"

class QGridLayout;
class QVBoxLayout;
class QPushButton;

namespace k45 {

struct PanelControlSet {
    NumBox* textRxFreq = nullptr;
    NumBox* textTxFreq = nullptr;
    QComboBox* comboTransmitMode = nullptr;
    QScrollBar* scrollTxTime = nullptr;
    QLabel* labelTxTime = nullptr;
    QGroupBox* frameSa702xSynth = nullptr;
    QRadioButton* optionSa7025Synth = nullptr;
    QRadioButton* optionSa7026Synth = nullptr;
    QGroupBox* frameAdjustments = nullptr;
    std::array<QRadioButton*, 7> optionAdjSelect{};
    QRadioButton* optionCnFcAdjSelect = nullptr;
    std::array<QLabel*, 8> adjustLabels{};  // labelGainAdj .. labelCnFcAdj
    NumBox* textDirectDac = nullptr;
    QPushButton* buttonDirectDac = nullptr;
    DiagnosticsFrame diags;

    // The Rx and Tx boxes in MHz ("0.000000", 100..999, at most 10 characters); editable ones
    // step 0.01 / 0.1 (arrows, pages) and 1 / 10 with Ctrl. Dragging copies between the boxes
    // of the window; `takesDrops` says whether these two take a drop.
    void BuildFrequencyBoxes(QWidget* window, const LocaleInfo& locale, bool editable, bool takesDrops);
    // "Tx Mo&de:" and "T&x Time:" with the time label, on one row of the grid.
    void BuildTransmitMode(QWidget* window, QGridLayout* grid, int row);
    void BuildSynthesizer(QWidget* window);
    // The seven adjust options, the CN/FC option, their value labels and the direct value with
    // its Send button; `selected` hears the operator's choice of an option.
    void BuildAdjustments(QWidget* window, const LocaleInfo& locale, const char* directCaption,
                          std::function<void(AdjustSelect)> selected);
};

// Selects the entry with the data without running the list's handlers, or none when the list
// has no such entry.
inline void SelectEntryByData(QComboBox* c, int data) {
    const QSignalBlocker block(c);
    c->setCurrentIndex(c->findData(data));
}
// The data of the selected entry; nothing when none is selected.
inline std::optional<std::int32_t> SelectedData(const QComboBox* c) {
    if (c->currentIndex() < 0) return std::nullopt;
    return c->currentData().toInt();
}

// The two columns of a panel's controls.
std::pair<QVBoxLayout*, QVBoxLayout*> PanelColumns(QWidget* window);

template <class View>
class PanelControls : public View, public PanelControlSet {
protected:
    void SetXcvrStatus(const std::string& text) override { diags.labelXcvrStatus->setText(QText(text)); }
    void SetFrequencyTexts(const std::string& tx, const std::string& rx) override {
        // Both texts are taken first: a box's change reaches the dialogue, which may own them.
        const QString txText = QText(tx), rxText = QText(rx);
        textTxFreq->setText(txText);
        textRxFreq->setText(rxText);
    }
    void ShowDiagnostics(const DiagnosticsTexts& texts) override { ShowDiagnosticsTexts(diags, texts); }
    void SetTxTimeLabel(const std::string& text, bool scrollEnabled) override {
        labelTxTime->setText(QText(text));
        scrollTxTime->setEnabled(scrollEnabled);
    }
    void SetCnFcCaption(const std::string& caption) override {
        if (optionCnFcAdjSelect) optionCnFcAdjSelect->setText(QText(caption));
    }
    void ShowTuneValues(const std::array<std::string, 8>& values) override {
        for (std::size_t i = 0; i < 8; ++i)
            if (adjustLabels[i]) adjustLabels[i]->setText(QText(values[i]));
    }
    void SetSynthesizer(bool sa7026) override {
        if (!optionSa7025Synth) return;
        const QSignalBlocker b1(optionSa7025Synth), b2(optionSa7026Synth);
        (sa7026 ? optionSa7026Synth : optionSa7025Synth)->setChecked(true);
    }
    void DisableGainAndDeviation() override {
        if (!optionAdjSelect[0]) return;
        optionAdjSelect[0]->setEnabled(false);
        optionAdjSelect[1]->setEnabled(false);
    }
    void SetCnFcEnabled(bool on) override {
        if (optionCnFcAdjSelect) optionCnFcAdjSelect->setEnabled(on);
    }
    void SelectAdjust(AdjustSelect select) override {
        QRadioButton* o = select == adjCnFc ? optionCnFcAdjSelect : optionAdjSelect[static_cast<std::size_t>(select)];
        if (!o) return;
        const QSignalBlocker block(o);
        o->setChecked(true);
    }
    void SetDirectText(const std::string& text) override {
        if (textDirectDac) textDirectDac->setText(QText(text));
    }
};

}  // namespace k45
