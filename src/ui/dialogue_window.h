#pragma once
// A tool window whose work is a modem dialogue: a plain dialogue class (the window's member)
// that asks its window for what it shows through a view interface, which the window
// implements. The window's load, unload and activation drive the dialogue; the window adds its
// controls, wires them to the dialogue and answers the rest of the view.
//
//   class formVerReqst : public DialogueWindow<VerReqstDialogue, VerReqstView> { ... };
//
// Dialogue: constructible from (AppContext&, View&), or from the parts it reads followed by the
// view, with Load(), Unload() and Activate().
// The view's IsActiveChild() and CloseWindow(), when it has them, are answered here.
#include <utility>

#include "ui/tool_window.h"

namespace k45 {

template <class Dialogue, class View>
class DialogueWindow : public ToolWindowBase, protected View {
public:
    // Re-applies the dialogue's port settings when the window becomes the active child.
    void Form_Activate() override { dialogue_.Activate(); }
    Dialogue& dialogue() { return dialogue_; }

protected:
    // A dialogue that takes only the parts it reads: they come first, the view last.
    template <class... Parts>
    DialogueWindow(AppContext& ctx, const char* objectName, const char* caption, Placement placement, QWidget* parent,
                   Parts&&... parts)
        : ToolWindowBase(ctx, objectName, caption, placement, parent),
          dialogue_(std::forward<Parts>(parts)..., static_cast<View&>(*this)) {}

    // A window that resets its controls at each load does so and then calls this.
    void Form_Load() override { dialogue_.Load(); }
    void Form_Unload() override { dialogue_.Unload(); }

    // The view's questions about the window itself.
    bool IsActiveChild() const { return IsActiveForm(); }
    void CloseWindow() { CloseForm(); }

    Dialogue dialogue_;
};

}  // namespace k45
