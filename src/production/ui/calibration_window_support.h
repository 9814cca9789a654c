#pragma once
// What the calibration windows share: the prompt lines above a grid of readings, the OK, Cancel
// and Clear row, and the controls the two RSSI windows (formProgRssi, formTempComp) show their
// dialogues' readings in.
#include <QObject>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "production/rssi_cal.h"
#include "ui/control_kit.h"
#include "ui/window_utils.h"

class QGridLayout;
class QLabel;

namespace k45 {

inline constexpr const char* kCalibrationDots = "......................";

// The three centred lines that tell the operator what to set and do, above the grid of
// readings the function returns.
QGridLayout* PromptAndReadings(QWidget* w, QLabel*& prog, QLabel*& freq, QLabel*& level, const char* progText,
                               const char* freqName, const char* levelName, const char* levelText);
// A row of readings: its caption, the value and, when there is one, the value in hex.
void ReadingRow(QGridLayout* g, int row, QLabel* caption, QLabel* value, QLabel* hex = nullptr);
void ResetPrompt(QLabel* prog, QLabel* freq, QLabel* level, const char* progText, const char* levelText);
// A framed label that shows a reading.
QLabel* ReadingValue(QWidget* parent, const char* name, const char* text);

// OK (the default), Cancel and Clear in a centred row below the rest, wired to the dialogue.
template <class Dialogue>
void OkCancelClear(QWidget* w, Dialogue& dlg, QPushButton*& ok, QPushButton*& cancel, QPushButton*& clear) {
    ok = kit::Button(w, "buttonOK", "&OK");
    ok->setDefault(true);
    cancel = kit::Button(w, "buttonCancel", "&Cancel");
    clear = kit::Button(w, "buttonClear", "C&lear");
    static_cast<QVBoxLayout*>(w->layout())->addLayout(CentredButtons({ok, cancel, clear}));
    QObject::connect(ok, &QPushButton::clicked, w, [&dlg] { dlg.OK(); });
    QObject::connect(cancel, &QPushButton::clicked, w, [&dlg] { dlg.Cancel(); });
    QObject::connect(clear, &QPushButton::clicked, w, [&dlg] { dlg.Clear(); });
}

// The labels and buttons formProgRssi and formTempComp share, and what their dialogues show
// in them.
class RssiControls : public RssiCalView {
public:
    QLabel *labelProg = nullptr, *labelFreq = nullptr, *labelLevel = nullptr, *labelSavedA2D = nullptr;
    QLabel *labelRssiA2D = nullptr, *labelRssiA2DHex = nullptr, *labelTemp = nullptr, *labelTempA2DHex = nullptr;
    QPushButton *buttonOK = nullptr, *buttonCancel = nullptr, *buttonClear = nullptr;

protected:
    void SetProg(const std::string& t) override;
    void SetFreq(const std::string& t) override;
    void SetLevel(const std::string& t) override;
    void SetSavedReading(const std::string& t) override;
    void SetRssiReading(const std::string& dec, const std::string& hex) override;
    void SetTemperature(const std::string& text, const std::string& hex) override;
    void SetOkEnabled(bool on) override;
    void SetActionsEnabled(bool on) override;
    void FocusOk() override;
    void ShowButtonsEnabled();

    // Buttons that act only with the parameters in hand, besides OK.
    std::vector<QPushButton*> actionButtons_;
    bool okWanted_ = true;
    bool ready_ = false;
};

}  // namespace k45
