#pragma once
// The RSSI temperature compensation window (formTempComp) around its dialogue.
#include "production/rssi_cal.h"
#include "production/ui/calibration_window_support.h"
#include "production/ui/panel_window_support.h"

class QPushButton;

namespace k45 {

class formTempComp : public ProductionWindow<TempCompDialogue, RssiControls>, public PortSwapClient {
    Q_OBJECT
public:
    explicit formTempComp(AppContext& ctx, QWidget* parent = nullptr);
    ~formTempComp() override;
    void PortsSwapping() override { dialogue_->PortsSwapping(); }

    QPushButton *buttonSkip = nullptr, *buttonSkipToEnd = nullptr;

protected:
    void Form_Load() override;
};

}  // namespace k45
