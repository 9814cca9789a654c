#pragma once
// The main window as the production windows see it without one: the current-parameter reader
// is the active child while it reads, otherwise the window under test is; shown windows are
// recorded.
#include <QWidget>
#include <vector>

#include "programming/programming_bench.h"

namespace k45::test {

struct PanelMainFrame : FakeMainFrame {
    ToolForm* readerForm = nullptr;
    ToolForm* panel = nullptr;
    ToolForm* ActiveForm() const override { return readerForm && readerForm->loaded() ? readerForm : panel; }
    void ShowForm(ToolForm& f) override {
        shown.push_back(&f);
        if (auto* w = dynamic_cast<QWidget*>(&f)) w->show();
    }
    // The read as the main window makes it: a busy reader is unloaded, the client registered
    // and the reader shown.
    void ReadCurrentParameters(ParmsClient& client) override {
        readRequests.push_back(&client);
        auto* r = dynamic_cast<ParmsReader*>(readerForm);
        if (!r) {
            client.UpdateParms(false);
            return;
        }
        if (readerForm->loaded()) r->Unload();
        r->RegisterForParms(&client);
        ShowForm(*readerForm);
    }
};

}  // namespace k45::test
