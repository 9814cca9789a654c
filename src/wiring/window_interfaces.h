#pragma once
// Small interfaces through which windows reach each other. Every method has a no-op default,
// so a window implements only what it answers to, and a caller can call any window safely.
#include <cstdint>
#include <string>
#include <vector>

namespace k45 {

class ToolFormRef;

// Every tool window kept by the main window from start-up to exit. The windows themselves
// derive from ToolWindowBase (src/ui/tool_window.h), which implements all of this.
class ToolForm {
public:
    ToolForm() = default;
    ToolForm(const ToolForm&) = delete;
    ToolForm& operator=(const ToolForm&) = delete;
    // Empties every ToolFormRef that still names this window.
    virtual ~ToolForm();
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

private:
    friend class ToolFormRef;
    std::vector<ToolFormRef*> refs_;
};

// A non-owning reference to a tool window (a registry slot). It empties itself when the window
// is destroyed, so it never dangles; the window's owner is elsewhere (the main window).
class ToolFormRef {
public:
    ToolFormRef() = default;
    ToolFormRef(const ToolFormRef&) = delete;
    ToolFormRef& operator=(const ToolFormRef&) = delete;
    ~ToolFormRef() { reset(); }

    ToolFormRef& operator=(ToolForm* form) {
        reset();
        form_ = form;
        if (form_) form_->refs_.push_back(this);
        return *this;
    }
    void reset() {
        if (!form_) return;
        std::erase(form_->refs_, this);
        form_ = nullptr;
    }
    ToolForm* get() const { return form_; }
    ToolForm* operator->() const { return form_; }
    explicit operator bool() const { return form_ != nullptr; }

private:
    friend class ToolForm;
    ToolForm* form_ = nullptr;
};

inline ToolForm::~ToolForm() {
    for (ToolFormRef* r : refs_) r->form_ = nullptr;
}

// Told by the current-parameter reader when it closes.
class ParmsClient {
public:
    virtual ~ParmsClient() = default;
    virtual void UpdateParms(bool parmsWereFound) { (void)parmsWereFound; }
};

// What the main window uses of the current-parameter reader (AppContext::formParmsGetCurrent)
// when a dialogue asks for the current parameters: it unloads a busy reader, registers the
// client and then shows the reader (WindowServices::ReadCurrentParameters). The reader
// implements all of it.
class ParmsReader {
public:
    virtual ~ParmsReader() = default;
    virtual bool RegisterForParms(ParmsClient* frm) = 0;
    virtual bool DeRegisterForParms(ParmsClient* frm) = 0;
    // Ends a read in progress: the windows waiting for it are told it found nothing.
    virtual void Unload() = 0;
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

// Told by Swap Comm Ports before the ports change hands, so a window whose modem is in a test
// mode can end it on the port it was started on.
class PortSwapClient {
public:
    virtual ~PortSwapClient() = default;
    virtual void PortsSwapping() {}
};

// Editors refreshed after a read or a file load, and asked to store their fields.
class EditorPage {
public:
    virtual ~EditorPage() = default;
    virtual void UpdateChanges() {}
    virtual bool SaveChanges() { return false; }
    // Shows and focuses the box of one channel frequency: 0..7 the Tx frequency of channel
    // freqIndex, 8..15 the Rx frequency of channel freqIndex - 8 (CheckChannelFreqs' field index).
    virtual void SelectFrequencyInError(std::int16_t freqIndex) { (void)freqIndex; }
};

}  // namespace k45
