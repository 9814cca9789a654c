#pragma once
// The one host of a tool window's logic. The window holds a plain dialogue or engine (the
// window's `dialogue_`) that asks it for what it shows through a view interface, which the
// window implements; the window's load, unload and activation drive the dialogue. The window
// adds its controls, wires them to the dialogue and answers the rest of the view.
//
//   class formVerReqst : public DialogueWindow<VerReqstDialogue, VerReqstView> { ... };
//
// The dialogue is made with the window from what it uses (its DialogueLinks and whatever else
// it takes, the view last), or by the window itself (MakeDialogue): in its constructor, where
// the dialogue takes something of the window that the host's construction comes before (a
// settings member, an interface the window implements), or at a load, where an engine is bound
// to the port objects that start-up creates after the windows. Until then the window keeps its
// settings and its controls reach nothing (ToDialogue).
// The dialogue has Load() or Load(View&), Unload() and Activate(). The view's IsActiveChild()
// and CloseWindow(), when it has them, are answered here.
#include <optional>
#include <utility>

#include "ui/tool_window.h"

namespace k45 {

// Chooses the host's constructor that leaves the dialogue to the window (MakeDialogue).
struct MadeByWindow {};

template <class Dialogue, class View>
class DialogueWindow : public ToolWindowBase, public View {
public:
    // Re-applies the dialogue's port settings when the window becomes the active child.
    void Form_Activate() override {
        if (dialogue_) dialogue_->Activate();
    }
    // The dialogue; where the window makes it at a load, only once hasDialogue().
    Dialogue& dialogue() { return *dialogue_; }
    const Dialogue& dialogue() const { return *dialogue_; }
    bool hasDialogue() const { return dialogue_.has_value(); }

protected:
    // The dialogue is made now from what it takes; the view comes last.
    template <class... Parts>
    DialogueWindow(AppContext& ctx, const char* objectName, const char* caption, Placement placement, QWidget* parent,
                   Parts&&... parts)
        : ToolWindowBase(ctx, objectName, caption, placement, parent),
          dialogue_(std::in_place, std::forward<Parts>(parts)..., static_cast<View&>(*this)) {}
    // The window makes the dialogue: in its constructor or at a load (MakeDialogue).
    DialogueWindow(AppContext& ctx, const char* objectName, const char* caption, Placement placement, QWidget* parent,
                   MadeByWindow)
        : ToolWindowBase(ctx, objectName, caption, placement, parent) {}

    // A window that resets its controls (or makes its dialogue) at each load does so and then
    // calls this.
    void Form_Load() override {
        if (!dialogue_) return;
        if constexpr (requires(Dialogue & d, View & v) { d.Load(v); }) dialogue_->Load(static_cast<View&>(*this));
        else dialogue_->Load();
    }
    void Form_Unload() override {
        if (dialogue_) dialogue_->Unload();
    }

    // Makes the dialogue (a window that makes its own).
    template <class... Args>
    Dialogue& MakeDialogue(Args&&... args) {
        return dialogue_.emplace(std::forward<Args>(args)...);
    }
    // A control's slot that hands its value to the dialogue, once there is one.
    template <class... Args>
    auto ToDialogue(void (Dialogue::*call)(Args...)) {
        return [this, call](Args... args) {
            if (dialogue_) ((*dialogue_).*call)(args...);
        };
    }

    // The view's questions about the window itself.
    bool IsActiveChild() const { return IsActiveForm(); }
    void CloseWindow() { CloseForm(); }

    std::optional<Dialogue> dialogue_;
};

}  // namespace k45
