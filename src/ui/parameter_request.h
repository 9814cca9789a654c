#pragma once
// A window's request to the current-parameter reader.
namespace k45 {

struct AppContext;
class ParmsClient;

// Unloads a busy reader, registers the client and shows the reader; without a reader the
// client hears at once that nothing was found.
void RequestCurrentParameters(AppContext& ctx, ParmsClient* client);

}  // namespace k45
