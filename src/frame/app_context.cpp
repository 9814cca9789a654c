#include "frame/app_context.h"

#include "frame/tool_window_ids.h"

namespace k45 {

AppContext::AppContext() : toolForms(kToolWindows.size()) {}

}  // namespace k45
