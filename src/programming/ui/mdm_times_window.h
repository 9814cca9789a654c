#pragma once
// The modem timing editor (formMdmTimes): the timing tables (rows 0..3 of the five arrays) and
// the two BT-filter divisors of the shared modem parameter record, edited in a copy and given
// back by OK or by the parameter editor's SaveChanges.
#include <array>
#include <cstdint>

#include "wiring/window_interfaces.h"
#include "model/records.h"
#include "ui/tool_window.h"
#include "programming/editor_modem_times.h"

class QGroupBox;
class QPushButton;

namespace k45 {

struct AppContext;
class NumBox;

class formMdmTimes : public ToolWindowBase, public EditorPage {
    Q_OBJECT
public:
    explicit formMdmTimes(AppContext& ctx, QWidget* parent = nullptr);

    // EditorPage: both act only while the window is loaded. SaveChanges checks nothing; its
    // result tells whether it stored.
    void UpdateChanges() override;
    bool SaveChanges() override;

    const ModemParameters& editParameters() const { return editParameters_; }

    using Row = std::array<NumBox*, kModemTimeRows>;
    QGroupBox* frameModemTimes = nullptr;
    Row textT1Time{}, textExtendedT1Time{}, textT2Time{}, textExtendedT2Time{}, textRxdClampTime{};
    QGroupBox* frameFilterDivisors = nullptr;
    NumBox* textTxDivisor = nullptr;
    NumBox* textRxDivisor = nullptr;
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonCancel = nullptr;

    // Column c (0..4: T1, extended T1, T2, extended T2, RxD clamp) of the grid.
    Row& column(int c);

    void buttonOK_Click();
    void buttonCancel_Click();

protected:
    void Form_Load() override;

private:
    void DisplayModemTimes();
    void StoreModemTimes();

    ModemParameters editParameters_;
};

}  // namespace k45
