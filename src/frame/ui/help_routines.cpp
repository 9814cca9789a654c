#include "frame/ui/help_routines.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <filesystem>

#include "wiring/app_context.h"
#include "wiring/main_frame.h"
#include "frame/ui/help_topics.h"
#include "platform/dialogs.h"
#include "platform/help_viewer.h"
#include "platform/places.h"
#include "platform/qt/qt_help_viewer.h"

namespace k45 {

namespace {

// F1 in a modal window (the About box, the radio spec editor) shows that window's topic. The
// main window's command is blocked there; windows without a topic (message boxes, the splash
// box) keep the key.
class ModalHelpKey : public QObject {
public:
    explicit ModalHelpKey(HelpRoutines& help) : help_(help) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(e);
        const auto held = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (key->key() != Qt::Key_F1 || held) return false;
        QWidget* modal = QApplication::activeModalWidget();
        auto* target = qobject_cast<QWidget*>(watched);
        if (!modal || !target || (target != modal && !modal->isAncestorOf(target))) return false;
        const int id = HelpContextFor(*modal, modal->focusWidget());
        if (id == 0) return false;
        e->accept();
        help_.ShowHelpContext(id);
        return true;
    }

private:
    HelpRoutines& help_;
};

}  // namespace

std::string HelpFileName(const std::string& programFolder) {
    size_t b = programFolder.find_first_not_of(' ');
    size_t e = programFolder.find_last_not_of(' ');
    std::string folder = (b == std::string::npos) ? std::string() : programFolder.substr(b, e - b + 1);
    return JoinPath(folder, "K45MR.html");
}

std::string HelpFilePath(const std::string& programFolder, const std::string& executableFolder) {
    const std::string own = HelpFileName(programFolder);
    std::error_code ec;
    if (executableFolder.empty() || std::filesystem::exists(own, ec)) return own;
    const std::string installed = HelpFileName(executableFolder);
    return std::filesystem::exists(installed, ec) ? installed : own;
}

HelpRoutines::HelpRoutines(AppContext& ctx) : ctx_(ctx) {}

HelpRoutines::~HelpRoutines() = default;

void HelpRoutines::InitHelp() {
    helpFile_ = HelpFilePath(ctx_.state.places.programFolder, ctx_.state.places.executableFolder);
    // The help window opens over the main window.
    if (auto* viewer = dynamic_cast<QtHelpViewer*>(ctx_.state.helpViewer))
        viewer->setOwner(dynamic_cast<QWidget*>(ctx_.mainFrame));
    if (!modalHelpKey_ && QCoreApplication::instance()) {
        modalHelpKey_ = std::make_unique<ModalHelpKey>(*this);
        QCoreApplication::instance()->installEventFilter(modalHelpKey_.get());
    }
}

void HelpRoutines::Report(bool shown, const std::string& error) {
    if (shown || !ctx_.dialogs()) return;
    ctx_.dialogs()->messageBox(error.empty() ? "The help file " + helpFile_ + " cannot be shown." : error, {},
                               MsgButtons::OK, MsgIcon::Exclamation);
}

void HelpRoutines::ShowHelpContext(int contextId) {
    if (!ctx_.state.helpViewer) return;
    std::string error;
    Report(ctx_.state.helpViewer->showTopic(helpFile_, contextId, &error), error);
}

void HelpRoutines::ShowHelpContents() {
    if (!ctx_.state.helpViewer) return;
    std::string error;
    Report(ctx_.state.helpViewer->showContents(helpFile_, &error), error);
}

void HelpRoutines::ShowHelpFor(const QWidget* activeChild) {
    const int id = activeChild ? HelpContextFor(*activeChild, activeChild->focusWidget()) : 0;
    if (id != 0) ShowHelpContext(id);
    else ShowHelpContents();
}

void HelpRoutines::QuitHelp() {
    if (ctx_.state.helpViewer) ctx_.state.helpViewer->quit();
}

}  // namespace k45
