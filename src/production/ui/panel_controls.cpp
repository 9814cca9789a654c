#include "production/ui/panel_controls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/control_kit.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

constexpr const char* kAdjustCaptions[7] = {"Rx Gain Ad&j:",      "Tx Deviation Ad&j:", "Front-End Ad&j:",
                                            "Mod Flatness Ad&j:", "Power Ad&j:",        "RSSI Cal Ad&j:",
                                            "Power Cal Ad&j:"};
constexpr const char* kAdjustLabelNames[8] = {"labelGainAdj", "labelDevAdj",     "labelFrontEndAdj", "labelModAdj",
                                              "labelPwrAdj",  "labelRssiCalAdj", "labelPwrCalAdj",   "labelCnFcAdj"};

// A value shown without a frame, wide enough for its widest text.
QLabel* PlainValue(QWidget* parent, const char* name, const char* text, const char* widest) {
    return kit::Value(parent, name, text, parent->fontMetrics().horizontalAdvance(widest) + 4,
                      Qt::AlignLeft | Qt::AlignVCenter, QFrame::NoFrame | QFrame::Plain);
}

NumBox* FrequencyBox(QWidget* window, const LocaleInfo& locale, const char* name, bool editable, bool takesDrops) {
    auto* box = new NumBox(locale, window);
    box->setObjectName(name);
    box->setNumType(NumBox::numDecimal);
    box->setNumFormat("0.000000");
    box->setNumMin(100);
    box->setNumMax(999);
    box->setNumMaxLength(10);
    box->setSteps(0.01, 0.1);
    box->setCtrlSteps(1, 10);
    box->setLocked(!editable);
    box->setDragGroup(window);
    box->setAcceptDrops(takesDrops);
    box->setText("0.000000");
    box->setMaximumWidth(110);
    return box;
}

}  // namespace

std::pair<QVBoxLayout*, QVBoxLayout*> PanelColumns(QWidget* window) {
    auto* top = new QHBoxLayout(window);
    top->setContentsMargins(6, 6, 6, 6);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    top->addLayout(left);
    top->addLayout(right);
    return {left, right};
}

void PanelControlSet::BuildFrequencyBoxes(QWidget* window, const LocaleInfo& locale, bool editable, bool takesDrops) {
    textRxFreq = FrequencyBox(window, locale, "textRxFreq", editable, takesDrops);
    textTxFreq = FrequencyBox(window, locale, "textTxFreq", editable, takesDrops);
}

void PanelControlSet::BuildTransmitMode(QWidget* window, QGridLayout* grid, int row) {
    comboTransmitMode = new QComboBox(window);
    comboTransmitMode->setObjectName("comboTransmitMode");
    const char* modeNames[4] = {"Tone", "Mod Balance", "Random Data", "No Modulation"};
    for (int m = 0; m < 4; ++m) comboTransmitMode->addItem(modeNames[m], m);
    comboTransmitMode->setMaximumWidth(110);
    // The scroll bar is a control of its own: Tab and its caption's key reach it.
    scrollTxTime = kit::HScroll(window, "scrollTxTime", 1, 60, 5, 80);
    labelTxTime = PlainValue(window, "labelTxTime", "1 S", "60 S");
    grid->addWidget(BuddyCaption("Tx Mo&de:", comboTransmitMode), row, 0);
    grid->addWidget(comboTransmitMode, row, 1);
    grid->addWidget(BuddyCaption("T&x Time:", scrollTxTime), row, 2);
    grid->addWidget(scrollTxTime, row, 3);
    grid->addWidget(labelTxTime, row, 4);
}

void PanelControlSet::BuildSynthesizer(QWidget* window) {
    frameSa702xSynth = new QGroupBox("Synthesi&zer", window);
    frameSa702xSynth->setObjectName("frameSa702xSynth");
    auto* sl = new QHBoxLayout(frameSa702xSynth);
    optionSa7025Synth = new QRadioButton("SA7025", frameSa702xSynth);
    optionSa7025Synth->setObjectName("optionSa7025Synth");
    optionSa7025Synth->setChecked(true);
    optionSa7026Synth = new QRadioButton("SA7026 SA8026", frameSa702xSynth);
    optionSa7026Synth->setObjectName("optionSa7026Synth");
    sl->addWidget(optionSa7025Synth);
    sl->addWidget(optionSa7026Synth);
}

void PanelControlSet::BuildAdjustments(QWidget* window, const LocaleInfo& locale, const char* directCaption,
                                       std::function<void(AdjustSelect)> selected) {
    frameAdjustments = new QGroupBox("Adjustments:", window);
    frameAdjustments->setObjectName("frameAdjustments");
    auto* al = new QGridLayout(frameAdjustments);
    al->setVerticalSpacing(2);
    for (int i = 0; i < 8; ++i) {
        QRadioButton* option = nullptr;
        if (i < 7) {
            option = optionAdjSelect[static_cast<std::size_t>(i)] = new QRadioButton(kAdjustCaptions[i], frameAdjustments);
            option->setObjectName(QString("optionAdjSelect_%1").arg(i));
        } else {
            option = optionCnFcAdjSelect = new QRadioButton("Rx CN Ad&j:", frameAdjustments);
            option->setObjectName("optionCnFcAdjSelect");
            option->setEnabled(false);
        }
        QLabel* value = adjustLabels[static_cast<std::size_t>(i)] =
            PlainValue(frameAdjustments, kAdjustLabelNames[i], "0", "-128");
        al->addWidget(option, i % 4, (i / 4) * 2);
        al->addWidget(value, i % 4, (i / 4) * 2 + 1);
        QObject::connect(option, &QRadioButton::toggled, window, [selected, i](bool on) {
            if (on) selected(static_cast<AdjustSelect>(i));
        });
    }
    optionAdjSelect[4]->setChecked(true);
    textDirectDac = new NumBox(locale, frameAdjustments);
    textDirectDac->setObjectName("textDirectDac");
    textDirectDac->setNumType(NumBox::numSigned);
    textDirectDac->setNumMin(-128);
    textDirectDac->setNumMax(255);
    textDirectDac->setNumMaxLength(4);
    // The panel limits the value to the selected adjust's own range when it is sent.
    textDirectDac->setTypedPastLimits(true);
    textDirectDac->setSteps(1, 10);
    textDirectDac->setDragGroup(window);
    textDirectDac->setMaximumWidth(70);
    buttonDirectDac = kit::Button(frameAdjustments, "buttonDirectDac", "&Send");
    al->addWidget(BuddyCaption(directCaption, textDirectDac), 4, 0);
    al->addWidget(textDirectDac, 4, 1);
    al->addWidget(buttonDirectDac, 4, 2);
}

}  // namespace k45
