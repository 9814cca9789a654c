#include "wiring/dialogue_links.h"

#include "wiring/app_context.h"
#include "wiring/main_frame.h"

namespace k45 {
namespace {

// The windows of a program without a main window (before it exists, once it has gone, or a
// test that has none).
class NoWindows final : public WindowServices {
public:
    void ReadCurrentParameters(ParmsClient& client) override { client.UpdateParms(false); }
    bool ReadWriteLoaded(std::string*) const override { return false; }
    void OpenParmsReadWrite(ParmsMode, bool) override {}
    void RestartParmsReadWrite(ParmsMode, ProgCompleteClient*) override {}
    EditorPage* RadioParmsEditor() override { return nullptr; }
    bool RadioParmsEditorLoaded() const override { return false; }
    void OpenRadioParmsEditor() override {}
    void OpenDacValuesEditor() override {}
    bool OpenPacketTest() override { return false; }
    void SetFirmwareVersionLabel(const std::string&) override {}
    void SetUnitIdLabels(std::uint32_t) override {}
    void IncrementTestNumber(bool) override {}
    void DisplayFilenames() override {}
    void DacValuesChanged() override {}
};

}  // namespace

WindowServices& DialogueLinks::windows() const {
    static NoWindows none;
    if (mainFrameSlot) return *mainFrameSlot;
    return none;
}

DialogueLinks DialogueLinks::Of(AppContext& ctx) {
    return {ctx.state, ctx.state, ctx.state, ctx.state, ctx.ports, ctx.mainFrame};
}

}  // namespace k45
