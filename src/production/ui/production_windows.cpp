#include "frame/app_context.h"
#include "production/ui/panel_window_support.h"
#include "production/ui/prod_test_window.h"

namespace k45 {

void AddProductionWindows(AppContext& ctx, QWidget& owner) {
    ctx.Register(ToolWindow::formProdTest, *new formProdTest(ctx, &owner));
}

}  // namespace k45
