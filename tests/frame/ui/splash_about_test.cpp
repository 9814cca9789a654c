// The splash box and the About box.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <cstdlib>

#include "wiring/tool_window_ids.h"
#include "frame/ui/form_about.h"
#include "frame/ui/form_splash.h"
#include "frame/ui/mdi_main.h"
#include "main_window_harness.h"
#include "version_info.h"

namespace k45::test {
namespace {

class IdentityBoxTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ctx.state.partNumberText = "047-2210-030";
    }
    static void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(w, &e);
    }
};

TEST_F(IdentityBoxTest, SplashShowsTheIdentityAndClosesAfterThreeSeconds) {
    FormSplash splash(ctx);
    splash.show();
    EXPECT_EQ(splash.windowTitle(), "Splash Screen");
    EXPECT_EQ(splash.labelTitle->text().toStdString(), version::fileDescription);
    EXPECT_EQ(splash.labelRevision->text(), "Revision 3.02.00");
    EXPECT_EQ(splash.labelPartNumber->text(), "047-2210-030");
    EXPECT_EQ(splash.labelCopyright->text().toStdString(), version::copyright);
    EXPECT_EQ(splash.labelCompanyName->text(), "");
    EXPECT_TRUE(splash.loaded());

    scheduler.advance(2999);
    EXPECT_TRUE(splash.isVisible());
    scheduler.advance(1);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.loaded());
    EXPECT_FALSE(splash.timerSplash()->enabled());
}

TEST_F(IdentityBoxTest, SplashKeysWithModifiersLeaveItOpen) {
    FormSplash splash(ctx);
    splash.show();
    Key(&splash, Qt::Key_A, Qt::ShiftModifier);
    Key(&splash, Qt::Key_A, Qt::ControlModifier);
    Key(&splash, Qt::Key_A, Qt::AltModifier);
    Key(&splash, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_TRUE(splash.loaded());
    Key(&splash, Qt::Key_A);
    EXPECT_FALSE(splash.loaded());
    EXPECT_FALSE(splash.isVisible());
}

TEST_F(IdentityBoxTest, SplashClosesOnAClickOnAnyOfItsParts) {
    for (const char* part : {"labelPartNumber", "imageSplash", "frameSplash"}) {
        FormSplash splash(ctx);
        splash.show();
        QWidget* target = splash.findChild<QWidget*>(part);
        ASSERT_NE(target, nullptr) << part;
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        EXPECT_FALSE(splash.loaded()) << part;
    }
}

TEST_F(IdentityBoxTest, AboutBoxShowsTheIdentityAndOpensTheRadioSpecEditorOnCtrlAltQ) {
    ctx.state.partNumberText = "047-2210-03#";
    int radSpecsShown = 0;
    FormAbout about(ctx);
    about.show();
    EXPECT_EQ(about.windowTitle().toStdString(), version::programTitle);
    EXPECT_EQ(about.labelPartNumber->text(), "047-2210-03#");
    EXPECT_EQ(about.labelRevision->text(), "Revision 3.02.00");
    EXPECT_EQ(about.buttonOK->text(), "&OK");
    EXPECT_EQ(about.buttonOK->toolTip(), "Close the About Box");

    // Not built yet: the chord does nothing.
    Key(&about, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
    // The editor takes the keyboard while it is open, as a modal window does.
    QWidget editor;
    ctx.showRadSpecs = [&] {
        ++radSpecsShown;
        editor.show();
        editor.activateWindow();
        editor.setFocus();
        QApplication::processEvents();
        editor.hide();
    };
    Key(&about, Qt::Key_Q, Qt::ControlModifier);
    Key(&about, Qt::Key_Q, Qt::AltModifier);
    Key(&about, Qt::Key_Escape);
    EXPECT_EQ(radSpecsShown, 0);
    EXPECT_TRUE(about.loaded());
    Key(&about, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(radSpecsShown, 1);
    EXPECT_TRUE(about.isVisible());
    // Back from the editor, the box has the keyboard again: Enter presses OK.
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), about.buttonOK);

    about.buttonOK->click();
    EXPECT_FALSE(about.loaded());
    EXPECT_FALSE(about.isVisible());
}

TEST_F(IdentityBoxTest, HelpAboutShowsTheAboutBoxModally) {
    Start();
    int shown = 0;
    dialogs.onModal("formAbout", [&] {
        ++shown;
        return 0;
    });
    win->action("menuHelpAbout")->trigger();
    EXPECT_EQ(shown, 1);
}

// Pictures of the main window (field and engineering), the About box and the splash box.
// They are written as PNG files when K45_SCREENSHOT_DIR names a folder.
TEST_F(IdentityBoxTest, Screenshots) {
    const char* dir = std::getenv("K45_SCREENSHOT_DIR");
    auto save = [&](QWidget& w, const char* name) {
        QPixmap pm = w.grab();
        EXPECT_FALSE(pm.isNull()) << name;
        EXPECT_GT(pm.width(), 200) << name;
        if (dir) {
            EXPECT_TRUE(pm.save(QString("%1/%2.png").arg(dir, name))) << name;
        }
    };
    {
        FormSplash splash(ctx);
        splash.show();
        save(splash, "splash");
    }
    {
        FormAbout about(ctx);
        about.show();
        save(about, "about");
    }
    FakeToolWindow& w = AddWindow(ToolWindow::formComStats, "Port Statistics");
    AddWindow(ToolWindow::formRadioParms);
    AddWindow(ToolWindow::formParmsRdWr);
    Start();
    win->resize(900, 560);
    win->SetFirmwareVersionLabel("K45MR V3.10 PNet ");
    win->SetUnitIdLabels(5000);
    win->OpenForm(w);
    QApplication::processEvents();
    save(*win, "main_field");
    win.reset();

    Start(true);
    win->resize(900, 560);
    QApplication::processEvents();
    save(*win, "main_engineering");
}

}  // namespace
}  // namespace k45::test
