#pragma once
// The RSSI table calibration window (formProgRssi) around its dialogue.
#include "production/rssi_cal.h"
#include "production/ui/calibration_window_support.h"
#include "production/ui/panel_window_support.h"

namespace k45 {

class formProgRssi : public ProductionWindow<RssiCalDialogue, RssiControls>,
                     public FreqOffsetForm,
                     public PortSwapClient {
    Q_OBJECT
public:
    explicit formProgRssi(AppContext& ctx, QWidget* parent = nullptr);
    ~formProgRssi() override;
    void PortsSwapping() override { dialogue_->PortsSwapping(); }
    void SetFreqOffsets(std::int32_t rx, std::int32_t tx) override {
        dialogue_->setSettings({.rxFreqOffset = rx, .txFreqOffset = tx});
    }

protected:
    void Form_Load() override;
};

}  // namespace k45
