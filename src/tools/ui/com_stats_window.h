#pragma once
// The port statistics window (formComStats): both ports' counters and lines, polled every 50 ms.
#include <array>
#include <cstdint>
#include <memory>

#include "tools/port_tools.h"
#include "ui/tool_window.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace k45 {

struct AppContext;
class Timer;

class formComStats : public ToolWindowBase {
    Q_OBJECT
public:
    explicit formComStats(AppContext& ctx, QWidget* parent = nullptr);
    ~formComStats() override;
    // One poll (the 50 ms timer's tick).
    void Poll();

    struct PortControls {
        QGroupBox* frame = nullptr;
        QLabel* baudRate = nullptr;
        QLabel* bytesTxed = nullptr;
        QLabel* bytesRxed = nullptr;
        QLabel* framingErrors = nullptr;
        QLabel* dribbleDescription = nullptr;
        QLabel* dribbleBytes = nullptr;
        std::array<QCheckBox*, 5> lines{};  // DCD, DSR, CTS, RTS, DTR
        QPushButton* clear = nullptr;
    };
    PortControls primary, secondary;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void Show(PortControls& c, const PortStatsSnapshot& s);
    std::unique_ptr<Timer> timerPolling_;
    std::int16_t lastPrimaryPort_ = 0, lastSecondaryPort_ = 0;
};

}  // namespace k45
