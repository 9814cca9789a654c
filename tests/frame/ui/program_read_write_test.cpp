// The whole program on the bench: the main window with every tool window that exists, its
// primary port on a null-modem cable to a simulated modem, driven from the tool bar.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <memory>

#include "wiring/tool_window_ids.h"
#include "params/modem_defaults.h"
#include "program_bench.h"

namespace k45::test {
namespace {

class ProgramOnTheBench : public ProgramWithModem {
protected:
    // The modem's channel 1 also differs from the program's defaults.
    void StartWithModem() {
        StartProgramWithModem(false, "", [this](ModemParameters& unit) {
            unit.channels[0].txFrequency = ctx.state.mainParameters.channels[1].txFrequency;
        });
    }

    void Press(const char* toolbarButton) {
        QAction* a = win->findChild<QAction*>(QString("toolbarTest") + toolbarButton);
        ASSERT_NE(a, nullptr) << toolbarButton;
        ASSERT_TRUE(a->isEnabled()) << toolbarButton;
        a->trigger();
    }
};

TEST_F(ProgramOnTheBench, ToolBarReadBringsTheModemsParametersIntoTheProgram) {
    StartWithModem();
    Press("Read");
    ASSERT_TRUE(scheduler.advanceUntil([&] { return ctx.state.mainParameters.serialNumber == 123456; }, 20000, 5));
    QApplication::processEvents();
    EXPECT_EQ(ctx.state.mainParameters.comment, "Bench unit");
    // The commands the modem saw: the version request, then the dump.
    ASSERT_GE(modem->received.size(), 2u);
    EXPECT_EQ(modem->received[0].text, "?");
    EXPECT_EQ(modem->received[1].text, "DE");
    // The data file is now called upload.dat in the same folder, and the status bar says so.
    EXPECT_EQ(std::filesystem::path(ctx.state.dataFileName).filename(), "upload.dat");
    EXPECT_NE(win->panelText(3).toStdString().find("upload.dat"), std::string::npos);
    EXPECT_TRUE(dialogs.boxes.empty());  // the tool-bar read shows no completion box
}

TEST_F(ProgramOnTheBench, ToolBarWriteProgramsTheEditedParameters) {
    StartWithModem();
    ctx.state.mainParameters.comment = "Written from the bench";
    Press("Write");
    // Write waits for OK; the window is the active child.
    auto* rdwr = dynamic_cast<ParmsRdWrForm*>(ctx.form(ToolWindow::formParmsRdWr));
    ASSERT_NE(rdwr, nullptr);
    EXPECT_EQ(rdwr->parmsMode(), ParmsMode::WriteProgrammable);
    QWidget* w = dynamic_cast<QWidget*>(ctx.form(ToolWindow::formParmsRdWr));
    ASSERT_NE(w, nullptr);
    auto* ok = w->findChild<QAbstractButton*>("buttonOK");
    ASSERT_NE(ok, nullptr);
    dialogs.expectBox("Programming Complete!");
    ok->click();
    ASSERT_TRUE(scheduler.advanceUntil([&] { return modem->endRecords > 0; }, 60000, 5));
    scheduler.advance(3000);
    QApplication::processEvents();
    ModemParameters inModem;
    ASSERT_TRUE(modem->decodeInto(ctx.state, inModem));
    EXPECT_EQ(inModem.comment, "Written from the bench");
    EXPECT_EQ(modem->programmed.size(), 14u);
}

TEST_F(ProgramOnTheBench, ParmsOpensTheEditorInsideTheMainWindow) {
    StartWithModem();
    win->resize(1000, 720);
    Press("Parms");
    QApplication::processEvents();
    ToolForm* editor = ctx.form(ToolWindow::formRadioParms);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->loaded());
    if (const char* dir = std::getenv("K45_SCREENSHOT_DIR")) {
        win->grab().save(QString::fromUtf8(dir) + "/program_with_editor.png");
    }
}

}  // namespace
}  // namespace k45::test
