#include "wiring/dialogue_links.h"

#include "wiring/app_context.h"

namespace k45 {

MainFrame* DialogueLinks::mainFrame() const { return windows.mainFrame; }

DialogueLinks DialogueLinks::Of(AppContext& ctx) {
    return {ctx.state, ctx.state, ctx.state, ctx.state, ctx.ports, ctx};
}

}  // namespace k45
