#pragma once
// The main window as the dialogues and windows under test see it: what they ask of it is
// recorded, and the windows a request reaches (the reader, the read/write window, the radio
// parameters editor, the packet test) are what a test plugs in. Without them it answers as a main window whose
// windows are missing: a read finds nothing at once, the read/write window is not loaded.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "wiring/main_frame.h"

namespace k45::test {

struct FakeMainFrame : MainFrame {
    // ---- the windows the requests reach
    ToolForm* active = nullptr;
    // Answers a read of the current parameters (as the reader would, later or at once); without
    // it the client hears at once that nothing was found.
    std::function<void(ParmsClient&)> reader;
    // The read/write window: loaded and its caption; what a restart does.
    std::function<bool(std::string*)> readWrite;
    std::function<void(ParmsMode, ProgCompleteClient*)> restartReadWrite;
    // The radio parameters editor (a ToolForm that is an EditorPage).
    ToolForm* radioParms = nullptr;
    // There is a packet test window to hand over to.
    bool packetTest = false;
    // What the windows that take the DAC values do when told of new ones.
    std::function<void()> dacValuesTaken;

    // ---- what was asked
    std::vector<ParmsClient*> readRequests;
    std::vector<std::pair<ParmsMode, bool>> readWriteOpens;
    std::vector<ParmsMode> readWriteRestarts;
    std::string counterText;  // status-bar panel 1
    std::vector<bool> counterCalls;
    std::string versionLabel;
    int versionCalls = 0;
    double longId = -1;
    std::vector<double> unitIds;
    int unitIdCalls = 0;
    int displayFilenamesCalls = 0;
    int displayComPorts = 0;
    int dacOpens = 0;     // the DAC values editor opened
    int packetOpens = 0;  // the packet test asked for, whether or not there is one
    int dacChanges = 0;   // the DAC values editor's OK told the windows of new values
    std::vector<ToolForm*> opened;
    std::vector<ToolForm*> shown;
    std::vector<ToolForm*> focused;

    int resendsCounted() const {
        int n = 0;
        for (bool b : counterCalls) n += b ? 1 : 0;
        return n;
    }

    // ---- MainFrame
    ToolForm* ActiveForm() const override { return active; }
    void DisplayComPorts() override { ++displayComPorts; }
    void OpenForm(ToolForm& form) override { opened.push_back(&form); }
    void ShowForm(ToolForm& form) override { shown.push_back(&form); }
    void FocusForm(ToolForm& form) override { focused.push_back(&form); }
    void OpenVersionRequest(bool) override {}

    // ---- WindowServices
    void ReadCurrentParameters(ParmsClient& client) override {
        readRequests.push_back(&client);
        if (reader) reader(client);
        else client.UpdateParms(false);
    }
    bool ReadWriteLoaded(std::string* caption) const override { return readWrite && readWrite(caption); }
    void OpenParmsReadWrite(ParmsMode mode, bool autoStart) override {
        readWriteOpens.emplace_back(mode, autoStart);
    }
    void RestartParmsReadWrite(ParmsMode mode, ProgCompleteClient* client) override {
        readWriteRestarts.push_back(mode);
        if (restartReadWrite) restartReadWrite(mode, client);
    }
    EditorPage* RadioParmsEditor() override { return dynamic_cast<EditorPage*>(radioParms); }
    bool RadioParmsEditorLoaded() const override { return radioParms && radioParms->loaded(); }
    void OpenRadioParmsEditor() override {
        if (radioParms) OpenForm(*radioParms);
    }
    void OpenDacValuesEditor() override { ++dacOpens; }
    bool OpenPacketTest() override {
        ++packetOpens;
        return packetTest;
    }
    void DacValuesChanged() override {
        ++dacChanges;
        if (dacValuesTaken) dacValuesTaken();
    }
    void SetFirmwareVersionLabel(const std::string& text) override {
        versionLabel = text;
        ++versionCalls;
    }
    void SetUnitIdLabels(std::uint32_t id) override {
        longId = id;
        unitIds.push_back(id);
        ++unitIdCalls;
    }
    void IncrementTestNumber(bool tmpFlag) override {
        counterCalls.push_back(tmpFlag);
        counterText = tmpFlag ? std::to_string(counterText.empty() ? 1 : std::stoi(counterText) + 1) : "";
    }
    void DisplayFilenames() override { ++displayFilenamesCalls; }
};

}  // namespace k45::test
