#pragma once
// What a message box shows and how it is answered, as plain values: model code returns a
// UserMessage for what went wrong and the window or dialogue that called it shows it through
// Dialogs.
#include <string>
#include <utility>

namespace k45 {

enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { OK, Cancel, Yes, No, Retry, Abort, Ignore };

struct UserMessage {
    std::string text;
    std::string title;  // empty: the program's title
    MsgButtons buttons = MsgButtons::OK;
    MsgIcon icon = MsgIcon::None;
    int field = -1;     // the input to focus afterwards (the caller's numbering), -1 none
    bool operator==(const UserMessage&) const = default;
};

// The result of a model operation that can fail: success, or the message saying what went wrong.
class [[nodiscard]] Outcome {
public:
    Outcome() = default;
    Outcome(UserMessage problem) : failed_(true), problem_(std::move(problem)) {}
    bool ok() const { return !failed_; }
    // Meaningful only when !ok().
    const UserMessage& problem() const { return problem_; }

private:
    bool failed_ = false;
    UserMessage problem_;
};

}  // namespace k45
