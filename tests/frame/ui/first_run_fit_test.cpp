// At the main window's first-run size every tool window opens whole, and tiling cannot squeeze
// one below the size it opened at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>

#include "wiring/tool_window_ids.h"
#include "program_bench.h"

namespace k45::test {
namespace {

class FirstRunFit : public ProgramWithModem {
protected:
    QMdiSubWindow* OpenSlot(ToolWindow slot) {
        ToolForm* form = ctx.form(slot);
        if (!form) return nullptr;
        win->OpenForm(*form);
        QApplication::processEvents();
        auto* w = dynamic_cast<QWidget*>(form);
        return w ? qobject_cast<QMdiSubWindow*>(w->parentWidget()) : nullptr;
    }
};

TEST_F(FirstRunFit, EveryToolWindowOpensWholeInTheFirstRunArea) {
    StartProgramWithModem(true, "");
    dialogs.answerAllBoxes(MsgAnswer::OK);
    // The test screen may be smaller than the first-run size: take the area the first-run
    // window would give, from what the menus, tool bar, status bar and frame take here.
    const QSize chrome = win->frameGeometry().size() - win->mdiArea()->viewport()->size();
    const QSize area(MDIMain::kFirstRunWidth - chrome.width(), MDIMain::kFirstRunHeight - chrome.height());
    int opened = 0;
    for (const ToolWindowInfo& info : kToolWindows) {
        QMdiSubWindow* sub = OpenSlot(info.id);
        if (!sub) continue;
        ++opened;
        EXPECT_LE(sub->width(), area.width()) << info.objectName;
        EXPECT_LE(sub->height(), area.height()) << info.objectName;
        sub->close();
        QApplication::processEvents();
    }
    EXPECT_GT(opened, 0);
}

TEST_F(FirstRunFit, TilingKeepsEveryWindowAtLeastAsLargeAsItOpened) {
    StartProgramWithModem(true, "");
    dialogs.answerAllBoxes(MsgAnswer::OK);
    std::vector<std::pair<QMdiSubWindow*, QSize>> open;
    for (ToolWindow slot : {ToolWindow::formRadioParms, ToolWindow::formMdmTimes, ToolWindow::formPortSettings})
        if (QMdiSubWindow* sub = OpenSlot(slot)) open.emplace_back(sub, sub->size());
    ASSERT_FALSE(open.empty());
    for (int arrangement : {1, 2}) {  // Tile Horizontally, Tile Vertically
        SCOPED_TRACE(arrangement);
        win->ArrangeWindows(arrangement);
        QApplication::processEvents();
        for (const auto& [sub, opened] : open) {
            EXPECT_GE(sub->width(), opened.width()) << sub->widget()->objectName().toStdString();
            EXPECT_GE(sub->height(), opened.height()) << sub->widget()->objectName().toStdString();
        }
    }
}

// A window that reaches past the area still shows its buttons: it is brought in from the right
// and bottom edges.
TEST_F(FirstRunFit, AWindowPlacedPastTheAreaIsBroughtIn) {
    home.write("K45MR.ini", "[Port Settings Window]\r\nLeft=300000\r\nTop=300000\r\n");
    StartProgramWithModem(true, "");
    dialogs.answerAllBoxes(MsgAnswer::OK);
    QMdiSubWindow* sub = OpenSlot(ToolWindow::formPortSettings);
    ASSERT_NE(sub, nullptr);
    const QRect area(QPoint(0, 0), win->mdiArea()->viewport()->size());
    if (sub->width() <= area.width() && sub->height() <= area.height())
        EXPECT_TRUE(area.contains(sub->geometry())) << sub->x() << "," << sub->y();
    else
        EXPECT_EQ(sub->geometry().topLeft(), QPoint(0, 0));
}

// The current-parameter reader, opened the way the windows that need it open it, shows its
// label and button whole inside its sub-window.
TEST_F(FirstRunFit, TheCurrentParameterReaderShowsItsTextsWhole) {
    StartProgramWithModem(true, "");
    dialogs.answerAllBoxes(MsgAnswer::OK);
    ToolForm* reader = ctx.formParmsGetCurrent.get();
    ASSERT_NE(reader, nullptr);
    win->ShowForm(*reader);
    QApplication::processEvents();
    auto* w = dynamic_cast<QWidget*>(reader);
    auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    ASSERT_NE(sub, nullptr);
    const QRect inside = sub->contentsRect();
    int texts = 0;
    for (QWidget* c : w->findChildren<QWidget*>()) {
        if (!c->isVisible() || !(qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c))) continue;
        ++texts;
        const std::string name = c->objectName().toStdString();
        EXPECT_GE(c->width(), c->minimumSizeHint().width()) << name;
        EXPECT_GE(c->height(), c->minimumSizeHint().height()) << name;
        const QRect shown(c->mapTo(sub, QPoint(0, 0)), c->size());
        EXPECT_TRUE(inside.contains(shown)) << name << " reaches past its window";
    }
    EXPECT_GE(texts, 2);
}

}  // namespace
}  // namespace k45::test
