// The whole program on the bench: the main window with every tool window that exists, its
// primary port on a null-modem cable to a simulated modem, driven from the tool bar.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <memory>

#include "frame/ui/tool_windows.h"
#include "main_window_harness.h"
#include "params/modem_defaults.h"
#include "support/simulated_modem.h"

namespace k45::test {
namespace {

class ProgramOnTheBench : public MainWindowTest {
protected:
    void StartWithModem() {
        modemCable = std::make_unique<NullModemPair>(scheduler);
        otherCable = std::make_unique<NullModemPair>(scheduler);
        modem = std::make_unique<SimulatedModem>(scheduler);
        toolWindows = CreateToolWindows(ctx);
        MainWindowOptions options;
        options.hooks = DefaultSubsystemHooks();
        options.makeDevice = [this](int portId) -> std::shared_ptr<SerialDevice> {
            SerialDevice* end = portId == 0 ? static_cast<SerialDevice*>(&modemCable->a())
                                            : static_cast<SerialDevice*>(&otherCable->a());
            return std::shared_ptr<SerialDevice>(std::shared_ptr<void>(), end);
        };
        win = std::make_unique<MDIMain>(ctx, std::move(options));
        win->MDIForm_Load();
        win->show();
        win->MDIForm_Activate();
        QApplication::processEvents();

        // The modem holds a record that differs from the program's defaults.
        ModemParameters unit = ctx.state.mainParameters;
        unit.serialNumber = 123456;
        unit.comment = "Bench unit";
        unit.channels[0].txFrequency = ctx.state.mainParameters.channels[1].txFrequency;
        ASSERT_TRUE(modem->loadRecord(ctx.state, unit, scheduler.wallClockSeconds()));
        modem->attach(*modemCable);
    }

    void TearDown() override {
        win.reset();
        toolWindows.clear();
        MainWindowTest::TearDown();
    }

    void Press(const char* toolbarButton) {
        QAction* a = win->findChild<QAction*>(QString("toolbarTest") + toolbarButton);
        ASSERT_NE(a, nullptr) << toolbarButton;
        ASSERT_TRUE(a->isEnabled()) << toolbarButton;
        a->trigger();
    }

    std::unique_ptr<NullModemPair> modemCable, otherCable;
    std::unique_ptr<SimulatedModem> modem;
    std::vector<std::unique_ptr<ToolForm>> toolWindows;
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
    EXPECT_EQ(rdwr->parmsMode(), 2);
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
