#pragma once
// The base of every tool window the main window shows as an MDI child. It implements ToolForm
// once for all of them:
// - load and unload: the window loads when it is shown while not loaded (it is placed, marked
//   loaded, then Form_Load runs) and unloads when it closes (its placement is kept, then
//   Form_Unload runs); `loaded()` is true in between;
// - placement: "Left" and "Top" of the window's settings section, in twips, restored into
//   savedLeft/savedTop and written back only when the window was shown during the run;
// - closing: CloseForm closes the window (its MDI sub-window); asked while the window is
//   being shown, it closes right after;
// - the active-child rule its timers follow (IsActiveForm); the main window runs Form_Activate
//   once per activation, after the window's load.
// A window adds its controls, its wiring and the overrides it needs (Form_Load,
// Form_Unload, Form_Activate, more settings). Its one owner is the Qt parent it is created
// with (the main window); the context's registry only refers to it.
#include <QWidget>
#include <cstdint>
#include <string>

#include "wiring/window_interfaces.h"

namespace k45 {

struct AppContext;

class ToolWindowBase : public QWidget, public ToolForm {
    Q_OBJECT
public:
    // Where the window goes when it loads.
    enum class Placement {
        Saved,          // at savedLeft/savedTop, kept in the window's settings section
        CentredInArea,  // centred in the main window's area; keeps no settings
    };

    ToolWindowBase(AppContext& ctx, const char* objectName, const char* caption, Placement placement = Placement::Saved,
                   QWidget* parent = nullptr);
    ~ToolWindowBase() override;

    // ToolForm: the placement settings (a window with more settings overrides these and calls
    // them), the loaded flag.
    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    bool loaded() const final { return loaded_; }

    // The position in twips the window loads at and its settings keep.
    std::int16_t savedLeft = 0;
    std::int16_t savedTop = 0;

protected:
    // Runs at each load, after the window was placed and marked loaded.
    virtual void Form_Load() {}
    // Runs at each unload, after the placement was kept and before the window hides.
    virtual void Form_Unload() {}

    // Closes the window (its MDI sub-window when it has one), which unloads it.
    void CloseForm();
    // The window is the main window's active child (always, without a main window).
    bool IsActiveForm() const;

    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

    AppContext& ctx_;

private:
    void CentreInArea();
    void KeepReadable();

    Placement placement_;
    bool loaded_ = false;
    bool shownThisRun_ = false;
    bool loading_ = false;
};

}  // namespace k45
