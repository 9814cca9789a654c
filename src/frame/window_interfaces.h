#pragma once
// Small interfaces through which windows reach each other. Every method has a no-op default,
// so a window implements only what it answers to, and a caller can call any window safely.
#include <cstdint>
#include <string>

namespace k45 {

// Every tool window kept by the main window from start-up to exit.
class ToolForm {
public:
    virtual ~ToolForm() = default;
    // Reads the window's settings into the window object without creating or showing it.
    virtual void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
        (void)fileName; (void)sectionName;
    }
    // Writes the window's settings (only when it was opened during the run).
    virtual void SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
        (void)fileName; (void)sectionName;
    }
    // True from the window's load to its unload.
    virtual bool loaded() const { return false; }
    // Re-applies the window's port settings and resumes its dialogue.
    virtual void Form_Activate() {}
};

// Told by the current-parameter reader when it closes.
class ParmsClient {
public:
    virtual ~ParmsClient() = default;
    virtual void UpdateParms(bool parmsWereFound) { (void)parmsWereFound; }
};

// Told by the read/write window when a write finished.
class ProgCompleteClient {
public:
    virtual ~ProgCompleteClient() = default;
    virtual void ProgrammingComplete(bool programCompleted) { (void)programCompleted; }
};

// Told when the DAC values editor stored the shared DAC values.
class DacValuesClient {
public:
    virtual ~DacValuesClient() = default;
    virtual void UpdateDacValues() {}
};

// Editors refreshed after a read or a file load, and asked to store their fields.
class EditorPage {
public:
    virtual ~EditorPage() = default;
    virtual void UpdateChanges() {}
    virtual bool SaveChanges() { return false; }
    // Shows and focuses the box of one channel frequency: 0..7 the Tx frequency of channel
    // freqIndex, 8..15 the Rx frequency of channel freqIndex - 8 (ValidateChannelFreqs' index).
    virtual void SelectFrequencyInError(std::int16_t freqIndex) { (void)freqIndex; }
};

}  // namespace k45
