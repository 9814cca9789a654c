#pragma once
// A main window on the offscreen platform with virtual time, scripted dialogs, a temporary
// program folder and stand-in tool windows that record what the main window asks of them.
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "wiring/app_context.h"
#include "base/ini_routines.h"
#include "wiring/main_frame.h"
#include "wiring/tool_window_ids.h"
#include "frame/ui/mdi_main.h"
#include "frame/ui/subsystem_hooks.h"
#include "platform/clipboard.h"
#include "platform/help_viewer.h"
#include "platform/places.h"
#include "platform/profile.h"
#include "support/null_modem.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/virtual_scheduler.h"

namespace k45::test {

class FakeClipboard : public Clipboard {
public:
    std::string text() const override { return text_; }
    void setText(const std::string& t) override { text_ = t; }
    void clear() override {
        text_.clear();
        ++clears;
    }
    std::string text_;
    int clears = 0;
};

// Records the help calls; a help file that does not exist is refused as the real viewer does.
class FakeHelpViewer : public HelpViewer {
public:
    bool showTopic(const std::string& helpFile, int contextId, std::string* error) override {
        calls.push_back("topic " + std::to_string(contextId));
        return check(helpFile, error);
    }
    bool showContents(const std::string& helpFile, std::string* error) override {
        calls.push_back("contents");
        return check(helpFile, error);
    }
    void quit() override { calls.push_back("quit"); }
    std::vector<std::string> calls;

private:
    bool check(const std::string& helpFile, std::string* error) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(helpFile, ec)) {
            if (error) *error = "The help file " + helpFile + " was not found.";
            return false;
        }
        return true;
    }
};

// A tool window standing in for the windows of later subsystems.
class FakeToolWindow : public QWidget,
                       public ToolForm,
                       public EditorPage,
                       public ParmsRdWrForm,
                       public TerminalForm {
public:
    FakeToolWindow(std::string caption, std::vector<std::string>* journal, const LocaleInfo& locale)
        : caption_(std::move(caption)), journal_(journal), locale_(locale) {
        setWindowTitle(QString::fromStdString(caption_));
        auto* layout = new QVBoxLayout(this);
        edit = new QLineEdit(this);
        edit->setObjectName("textField");
        layout->addWidget(edit);
        resize(300, 200);
    }

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override {
        journal_->push_back("restore " + sectionName);
        ReadIniInto(locale_, fileName, sectionName, "Left", left);
    }
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override {
        journal_->push_back("save " + sectionName);
        if (openedDuringRun) {
            EXPECT_TRUE(WriteIniValue(locale_, fileName, sectionName, "Left", left));
        }
    }
    bool loaded() const override { return loaded_; }
    void Form_Activate() override { ++activations; }
    void UpdateChanges() override { ++updates; }
    bool SaveChanges() override {
        ++saves;
        return loaded_ && saveResult;
    }
    ParmsMode parmsMode() const override { return mode; }
    void setParmsMode(ParmsMode m) override { mode = m; }
    bool autoStart() const override { return autoStart_; }
    void setAutoStart(bool on) override { autoStart_ = on; }
    std::string Caption() const override { return caption_; }
    void setThisFormType(std::int32_t k) override { kind = k; }

    QLineEdit* edit = nullptr;
    std::int16_t left = 0;
    bool openedDuringRun = false;
    int loads = 0, activations = 0, updates = 0, saves = 0;
    bool saveResult = true;
    ParmsMode mode = ParmsMode::Invalid;
    bool autoStart_ = false;
    int kind = -1;

protected:
    void showEvent(QShowEvent* e) override {
        if (!loaded_) {
            loaded_ = true;
            openedDuringRun = true;
            ++loads;
        }
        QWidget::showEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        loaded_ = false;
        QWidget::closeEvent(e);
    }

private:
    std::string caption_;
    std::vector<std::string>* journal_;
    const LocaleInfo& locale_;
    bool loaded_ = false;
};

// Port 0 gets `primary`, any other port `secondary`; the test owns both.
inline SerialDeviceFactory FixedDevices(SerialDevice& primary, SerialDevice& secondary) {
    return [&primary, &secondary](int portId) {
        return std::shared_ptr<SerialDevice>(std::shared_ptr<void>(), portId == 0 ? &primary : &secondary);
    };
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctx.state.places = DiscoverPlaces("/nonexistent/k45mr");
        // The production settings file goes to the configuration folder: keep it in the test's.
        ctx.state.places.configFolder = home.file("config");
        std::filesystem::create_directory(ctx.state.places.configFolder);
        ctx.state.scheduler = &scheduler;
        ctx.state.dialogs = &dialogs;
        ctx.state.clipboard = &clipboard;
        ctx.state.helpViewer = &help;
        dialogs.onModal("formSplash", [this] {
            ++splashShown;
            return 0;
        });
    }

    void TearDown() override {
        win.reset();
        unowned.clear();
        dialogs.verify();
    }

    // A stand-in window in `slot`. The main window owns it, as it owns the real ones; one
    // added before Start is handed to the main window when it is created.
    FakeToolWindow& AddWindow(ToolWindow slot, const std::string& caption = "Tool Window") {
        auto w = std::make_unique<FakeToolWindow>(caption, &journal, ctx.state.locale);
        FakeToolWindow& ref = *w;
        ctx.Register(slot, ref);
        if (win) {
            w.release()->setParent(win.get());
            ref.hide();
            win->UpdateCommandStates();
        } else {
            unowned.push_back(std::move(w));
        }
        return ref;
    }

    // Creates, loads and shows the main window. withPorts binds the port objects to the two
    // ends of a null-modem cable.
    void Start(bool engineeringBuild = false, const std::string& commandLine = "",
               SubsystemHooks hooks = DefaultSubsystemHooks(), bool withPorts = false) {
        MainWindowOptions options;
        options.engineeringBuild = engineeringBuild;
        options.commandLine = commandLine;
        options.hooks = std::move(hooks);
        if (withPorts) {
            cable = std::make_unique<NullModemPair>(scheduler);
            options.makeDevice = FixedDevices(cable->a(), cable->b());
        }
        options.createToolWindows = [this](AppContext& c, QWidget& owner) {
            AdoptWindows(owner);
            if (createToolWindows) createToolWindows(c, owner);
        };
        win = std::make_unique<MDIMain>(ctx, std::move(options));
        win->MDIForm_Load();
        if (showOnStart) win->show();
    }

    // Hands the stand-in windows added so far to their owner.
    void AdoptWindows(QWidget& owner) {
        for (auto& w : unowned) {
            FakeToolWindow* fake = w.release();
            fake->setParent(&owner);
            fake->hide();
        }
        unowned.clear();
    }

    // Closes the main window as the operator would; true when it closed.
    bool Close() {
        win->close();
        return !win->isVisible();
    }

    std::string Ini() const { return home.file("K45MR.ini"); }
    std::string IniValue(const std::string& section, const std::string& key) const {
        return ProfileRead(Ini(), section, key, "<missing>");
    }
    // Writes a data file through the real saver, with a comment that marks it.
    void WriteDataFile(const std::string& path, const std::string& comment) {
        ModemParameters p;
        p.comment = comment;
        std::string error;
        ASSERT_TRUE(DefaultSubsystemHooks().saveDataFile(ctx.state, path, p, &error)) << error;
    }

    TempHome home;
    VirtualScheduler scheduler;
    ScriptedDialogs dialogs;
    FakeClipboard clipboard;
    FakeHelpViewer help;
    AppContext ctx;
    std::vector<std::string> journal;
    std::vector<std::unique_ptr<FakeToolWindow>> unowned;  // added before Start
    // Creates real tool windows in the main window at Start (CreateToolWindows), if set.
    std::function<void(AppContext&, QWidget&)> createToolWindows;
    std::unique_ptr<NullModemPair> cable;
    std::unique_ptr<MDIMain> win;
    bool showOnStart = true;  // false: Start leaves the main window hidden
    int splashShown = 0;
};

}  // namespace k45::test
