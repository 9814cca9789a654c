#pragma once
// Dialogs for tests: every box is recorded; answers come from a script. A box, file dialog
// or modal window that nobody scripted fails the test, and so does a scripted answer that was
// never used by the time the object goes (at the latest, at the end of the test).
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace k45::test {

struct ShownBox {
    std::string text;
    std::string title;
    MsgButtons buttons;
    MsgIcon icon;
    MsgAnswer answer;
};

class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() = default;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;
    ~ScriptedDialogs() override { verify(); }

    // The next box must contain `textPart` in its text; it is answered with `answer`.
    void expectBox(const std::string& textPart, MsgAnswer answer = MsgAnswer::OK);
    // Answers every box not otherwise scripted (use sparingly).
    void answerAllBoxes(MsgAnswer answer) { defaultAnswer_ = answer; }
    // Ends answerAllBoxes: unscripted boxes fail the test again.
    void stopAnsweringAllBoxes() { defaultAnswer_.reset(); }
    void expectOpenFile(std::optional<std::string> path) { openAnswers_.push_back(std::move(path)); }
    void expectSaveFile(std::optional<std::string> path) { saveAnswers_.push_back(std::move(path)); }
    // Handles the modal window `name` each time it is shown.
    void onModal(const std::string& name, std::function<int()> handler) { modal_[name] = std::move(handler); }

    MsgAnswer messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    int runModal(const std::string& name, const std::function<int()>& exec) override;

    std::vector<ShownBox> boxes;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<std::string> modalsShown;
    // Fails the test for each scripted answer not used so far, and drops them. Runs by itself
    // when the object goes; a test calls it to check at an earlier point.
    void verify();
    size_t pendingExpectations() const { return expected_.size() + openAnswers_.size() + saveAnswers_.size(); }

private:
    struct Expect { std::string textPart; MsgAnswer answer; };
    std::deque<Expect> expected_;
    std::deque<std::optional<std::string>> openAnswers_, saveAnswers_;
    std::optional<MsgAnswer> defaultAnswer_;
    std::map<std::string, std::function<int()>> modal_;
};

}  // namespace k45::test
