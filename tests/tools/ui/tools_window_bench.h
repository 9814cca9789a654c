#pragma once
// The bench of the tool window tests: the program's context with both port objects on the two
// ends of one null-modem cable, in virtual time, the tool windows created as the main window
// creates them, and pictures of the windows when K45_SCREENSHOT_DIR names a folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>

#include "wiring/app_context.h"
#include "wiring/tool_window_ids.h"
#include "platform/qt/qt_local_link.h"
#include "serial/class_comm.h"
#include "support/null_modem.h"
#include "support/port_pair.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/virtual_scheduler.h"
#include "tools/ui/array_test_window.h"
#include "tools/ui/com_stats_window.h"
#include "tools/ui/packet_test_window.h"
#include "tools/ui/port_test_window.h"
#include "tools/ui/terminal_window.h"
#include "tools/ui/tools_windows.h"

namespace k45::test {

inline void Shot(QWidget& w, const char* name) {
    const QPixmap pm = w.grab();
    EXPECT_FALSE(pm.isNull()) << name;
    if (const char* dir = std::getenv("K45_SCREENSHOT_DIR")) {
        EXPECT_TRUE(pm.save(QString("%1/%2.png").arg(dir, name)));
    }
}

// A typed key with its text, as the operator types it.
inline void Type(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &release);
}
inline void TypeText(QWidget* w, const QString& text) {
    for (QChar c : text) Type(w, c.toUpper().unicode(), QString(c));
}

class ToolWindowBench : public ::testing::Test {
protected:
    ToolWindowBench() {
        ctx.state.scheduler = &sched;
        ctx.state.dialogs = &dialogs;
        ctx.state.places.programFolder = home.path();
        pair.fill(ctx.ports);
        ctx.state.localLinks = &links;
        owner.resize(1000, 700);
        owner.show();
        AddToolsWindows(ctx, owner);
    }
    ~ToolWindowBench() override {
        for (const auto& info : kToolWindows)
            if (auto* w = dynamic_cast<QWidget*>(ctx.form(info.id))) w->close();
        dialogs.verify();
    }
    template <class W>
    W& Window(ToolWindow slot) {
        auto* w = ctx.formAs<W>(slot);
        EXPECT_NE(w, nullptr);
        return *w;
    }
    template <class W>
    W& Open(ToolWindow slot) {
        W& w = Window<W>(slot);
        w.show();
        w.Form_Activate();
        QApplication::processEvents();
        return w;
    }
    std::string fromPrimary() const { return cable.wireBytes(Direction::AtoB); }
    std::string fromSecondary() const { return cable.wireBytes(Direction::BtoA); }

    TempHome home;
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppContext ctx;
    QtLocalLinks links{home.path() + "/links"};
    NullModemPair cable{sched};
    PortPair pair{ctx.state, sched, dialogs, cable.a(), cable.b()};
    std::unique_ptr<classComm>& primary = pair.primary;
    std::unique_ptr<classComm>& secondary = pair.secondary;
    QWidget owner;
};

}  // namespace k45::test
