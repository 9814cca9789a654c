#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include "version_info.h"

namespace k45::test {

void ScriptedDialogs::expectBox(const std::string& textPart, MsgAnswer answer) {
    expected_.push_back(Expect{textPart, answer});
}

MsgAnswer ScriptedDialogs::messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                                      MsgIcon icon) {
    ShownBox box{text, title.empty() ? std::string(version::programTitle) : title, buttons, icon, MsgAnswer::Cancel};
    if (!expected_.empty()) {
        Expect e = expected_.front();
        expected_.pop_front();
        EXPECT_NE(text.find(e.textPart), std::string::npos)
            << "message box \"" << text << "\" shown where one containing \"" << e.textPart << "\" was expected";
        box.answer = e.answer;
    } else if (defaultAnswer_) {
        box.answer = *defaultAnswer_;
    } else {
        ADD_FAILURE() << "unexpected message box: \"" << text << "\" titled \"" << box.title << "\"";
        box.answer = (buttons == MsgButtons::OK) ? MsgAnswer::OK : MsgAnswer::Cancel;
    }
    boxes.push_back(box);
    return box.answer;
}

std::optional<std::string> ScriptedDialogs::openFile(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (openAnswers_.empty()) {
        ADD_FAILURE() << "unexpected open-file dialog: " << request.title;
        return std::nullopt;
    }
    auto a = openAnswers_.front();
    openAnswers_.pop_front();
    return a;
}

std::optional<std::string> ScriptedDialogs::saveFile(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (saveAnswers_.empty()) {
        ADD_FAILURE() << "unexpected save-file dialog: " << request.title;
        return std::nullopt;
    }
    auto a = saveAnswers_.front();
    saveAnswers_.pop_front();
    return a;
}

int ScriptedDialogs::runModal(const std::string& name, const std::function<int()>&) {
    modalsShown.push_back(name);
    auto it = modal_.find(name);
    if (it == modal_.end()) {
        ADD_FAILURE() << "unexpected modal window: " << name;
        return 0;
    }
    return it->second();
}

void ScriptedDialogs::verify() {
    for (const auto& e : expected_) ADD_FAILURE() << "expected message box never shown: " << e.textPart;
    if (!openAnswers_.empty()) ADD_FAILURE() << openAnswers_.size() << " open-file answers unused";
    if (!saveAnswers_.empty()) ADD_FAILURE() << saveAnswers_.size() << " save-file answers unused";
    expected_.clear();
    openAnswers_.clear();
    saveAnswers_.clear();
}

}  // namespace k45::test
