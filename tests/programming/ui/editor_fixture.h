#pragma once
// Shared set-up of the editor window tests: a context with the start-up defaults in place,
// scripted dialogs, virtual time, a program folder of its own, and a main window stand-in
// that records what the editors ask of it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMimeData>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "wiring/app_context.h"
#include "wiring/main_frame.h"
#include "params/modem_defaults.h"
#include "params/startup_defaults.h"
#include "support/fake_window_services.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/virtual_scheduler.h"
#include "ui/num_box.h"
#include "ui/num_box_drop.h"

#include <ostream>

// Readable QString values in failure messages.
[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace k45::test {

struct RecordingMain : FakeMainFrame {
    // Shows the window as a top-level widget (the tests have no MDI area).
    void OpenForm(ToolForm& form) override {
        opened.push_back(&form);
        if (auto* w = dynamic_cast<QWidget*>(&form); w && !form.loaded()) w->show();
    }
};

class EditorFixture : public ::testing::Test {
protected:
    EditorFixture() {
        AppState& s = ctx.state;
        s.scheduler = &sched;
        s.dialogs = &dialogs;
        s.places.programFolder = home.path();
        s.places.tempFolder = home.path();
        s.places.configFolder = home.path();
        InitDefaultTables(s);
        CopyDefaultTestRecord(s, s.testParameters);
        s.mainParameters.radioType = s.testDefaults.radioType;
        s.mainParameters.radioRange = s.testDefaults.radioRange;
        SetDefaultModemParameters(s, s, s.mainParameters);
        ctx.mainFrame = &mainFrame;
    }
    ~EditorFixture() override { dialogs.verify(); }

    // Shows a window and makes it the active one, so that focus can be checked.
    static void ShowActive(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
    }

    static void PressKey(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(target, &release);
    }

    static void DropOn(NumBox* source, NumBox* target) { DropNumBox(source, target); }

    static QStringList Entries(const QComboBox* c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
        return l;
    }

    TempHome home;
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppContext ctx;
    RecordingMain mainFrame;
};

}  // namespace k45::test
