#pragma once
// A diagnostics window on a dialogue that starts with a read of the modem's current parameters:
// the dialogue window with what these windows share - the request to the reader and the rule
// that the window's own settings are written only when it was loaded during the run.
#include "diagnostics/ui/diag_window_support.h"
#include "ui/dialogue_window.h"
#include "ui/parameter_request.h"

namespace k45 {

template <class Dialogue, class View>
class DiagDialogueWindow : public DialogueWindow<Dialogue, View> {
protected:
    using Base = DialogueWindow<Dialogue, View>;
    using Base::Base;

    void Form_Load() override {
        wasLoaded_ = true;
        Base::Form_Load();
    }

    // The view's request: the reader reads the parameters and tells the dialogue.
    void RequestCurrentParameters(ParmsClient* client) override { k45::RequestCurrentParameters(this->ctx_, client); }

    // The settings beyond the placement are written only after a load in this run.
    bool wasLoaded_ = false;
};

}  // namespace k45
