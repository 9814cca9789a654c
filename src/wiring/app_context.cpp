#include "wiring/app_context.h"

#include "wiring/tool_window_ids.h"

namespace k45 {

WindowRegistry::WindowRegistry() : toolForms(kToolWindows.size()) {}

}  // namespace k45
