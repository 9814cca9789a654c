#include "ui/parameter_request.h"

#include "wiring/app_context.h"
#include "wiring/main_frame.h"

namespace k45 {

void RequestCurrentParameters(AppContext& ctx, ParmsClient* client) {
    ToolForm* form = ctx.formParmsGetCurrent.get();
    auto* reader = dynamic_cast<ParmsReader*>(form);
    if (!reader) {
        client->UpdateParms(false);
        return;
    }
    if (form->loaded()) reader->Unload();
    reader->RegisterForParms(client);
    if (ctx.mainFrame) ctx.mainFrame->ShowForm(*form);
}

}  // namespace k45
