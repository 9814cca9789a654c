#pragma once
// What a dialogue asks of the windows around it. A dialogue never looks a window up: it asks the
// main window, which implements this once (MDIMain, src/frame/ui) and knows which window does
// the work. Every request is one the main window must answer.
#include <cstdint>
#include <string>

#include "wiring/parms_mode.h"

namespace k45 {

class EditorPage;
class ParmsClient;
class ProgCompleteClient;

class WindowServices {
public:
    virtual ~WindowServices() = default;

    // The current-parameter reader: unloads a busy reader, registers the client and shows the
    // reader. Without a reader the client hears at once that nothing was found.
    virtual void ReadCurrentParameters(ParmsClient& client) = 0;

    // The read/write window is loaded; its caption then (named in the "Must close " message).
    virtual bool ReadWriteLoaded(std::string* caption) const = 0;
    // Opens the read/write window in a mode: a loaded window is focused, with the
    // "Must close " box when it is in another mode.
    virtual void OpenParmsReadWrite(ParmsMode tmpParmsMode, bool tmpAutoStart) = 0;
    // Closes a loaded read/write window and opens it again to write in the mode by itself; the
    // client, when given, hears when the write finished.
    virtual void RestartParmsReadWrite(ParmsMode tmpParmsMode, ProgCompleteClient* client) = 0;

    // The radio parameters editor: its page (null without one), whether it is loaded, and its
    // opening (focused when loaded, else shown).
    virtual EditorPage* RadioParmsEditor() = 0;
    virtual bool RadioParmsEditorLoaded() const = 0;
    virtual void OpenRadioParmsEditor() = 0;

    // The DAC values editor and the packet test window, each focused when loaded, else shown.
    // False when there is no packet test window: the hand-off to it is skipped.
    virtual void OpenDacValuesEditor() = 0;
    virtual bool OpenPacketTest() = 0;
    // OK in the DAC values editor put new values into dacValues: the windows that handed theirs
    // to it (the production test panel, then the tuning window), each while loaded, take them
    // (DacValuesClient). Without those windows nobody is told.
    virtual void DacValuesChanged() = 0;

    // Version frame on the tool bar: labelVersion shows the text unchanged.
    virtual void SetFirmwareVersionLabel(const std::string& text) = 0;
    // labelLongId and labelShortID from a long unit ID.
    virtual void SetUnitIdLabels(std::uint32_t longId) = 0;
    // Status bar: True counts one more resend in panel 1, False clears it.
    virtual void IncrementTestNumber(bool tmpFlag) = 0;
    // Panel 3: the current data file (and test file in production mode), the names as they are.
    virtual void DisplayFilenames() = 0;
};

}  // namespace k45
