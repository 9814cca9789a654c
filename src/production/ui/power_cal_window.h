#pragma once
// The power table calibration window (formProgPwr) around its dialogue.
#include "production/power_cal.h"
#include "production/ui/panel_window_support.h"

class QLabel;
class QPushButton;

namespace k45 {

class formProgPwr : public ProductionWindow<PowerCalDialogue, PowerCalView>,
                    public FreqOffsetForm,
                    public PortSwapClient {
    Q_OBJECT
public:
    explicit formProgPwr(AppContext& ctx, QWidget* parent = nullptr);
    ~formProgPwr() override;
    void PortsSwapping() override { dialogue_->PortsSwapping(); }
    void SetFreqOffsets(std::int32_t rx, std::int32_t tx) override {
        dialogue_->setSettings({.rxFreqOffset = rx, .txFreqOffset = tx});
    }

    QLabel *labelProg = nullptr, *labelFreq = nullptr, *labelLevel = nullptr;
    QLabel *labelPwrAdj = nullptr, *labelPwrAdjHex = nullptr, *labelPwrA2D = nullptr, *labelPwrA2DHex = nullptr;
    QPushButton *buttonOK = nullptr, *buttonCancel = nullptr, *buttonClear = nullptr;

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetProg(const std::string& t) override;
    void SetFreq(const std::string& t) override;
    void SetLevel(const std::string& t) override;
    void SetPowerAdjust(const std::string& dec, const std::string& hex) override;
    void SetPowerReading(const std::string& dec, const std::string& hex) override;
    void SetOkEnabled(bool on) override;
    void SetActionsEnabled(bool on) override;
    void FocusOk() override;
    void ShowButtonsEnabled();

    bool okWanted_ = true;  // the dialogue's own choice for OK
    bool ready_ = false;    // the parameters are in hand
};

}  // namespace k45
