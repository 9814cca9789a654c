#include "production/ui/eng_test_window.h"
#include "production/ui/panel_window_support.h"
#include "production/ui/power_cal_window.h"
#include "production/ui/prod_test_window.h"
#include "production/ui/rssi_cal_window.h"
#include "production/ui/temp_comp_window.h"
#include "production/ui/user_test_window.h"
#include "wiring/app_context.h"
#include "wiring/tool_window_ids.h"

namespace k45 {

void AddProductionWindows(AppContext& ctx, QWidget& owner) {
    ctx.Register(ToolWindow::formProdTest, *new formProdTest(ctx, &owner));
    ctx.Register(ToolWindow::formUserTest, *new formUserTest(ctx, &owner));
    ctx.Register(ToolWindow::formProgPwr, *new formProgPwr(ctx, &owner));
    ctx.Register(ToolWindow::formProgRssi, *new formProgRssi(ctx, &owner));
    ctx.Register(ToolWindow::formTempComp, *new formTempComp(ctx, &owner));
    ctx.Register(ToolWindow::formEngTest, *new formEngTest(ctx, &owner));
}

}  // namespace k45
