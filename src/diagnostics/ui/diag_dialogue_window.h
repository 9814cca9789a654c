#pragma once
// A diagnostics window on a dialogue that starts with a read of the modem's current parameters
// (asked of the main window's services): the dialogue window with the rule these windows share,
// that the window's own settings are written only when it was loaded during the run.
#include "diagnostics/ui/diag_window_support.h"
#include "ui/dialogue_window.h"

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

    // The settings beyond the placement are written only after a load in this run.
    bool wasLoaded_ = false;
};

}  // namespace k45
