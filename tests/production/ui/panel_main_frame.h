#pragma once
// The main window as the production windows see it without one: the current-parameter reader
// is the active child while it reads, otherwise the window under test is; shown windows are
// recorded.
#include <QWidget>
#include <vector>

#include "programming/programming_bench.h"

namespace k45::test {

struct PanelMainFrame : RecordingMainFrame {
    std::vector<ToolForm*> shown;
    ToolForm* reader = nullptr;
    ToolForm* panel = nullptr;
    ToolForm* ActiveForm() const override { return reader && reader->loaded() ? reader : panel; }
    void ShowForm(ToolForm& f) override {
        shown.push_back(&f);
        if (auto* w = dynamic_cast<QWidget*>(&f)) w->show();
    }
};

}  // namespace k45::test
