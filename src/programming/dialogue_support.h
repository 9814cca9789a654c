#pragma once
// What the modem dialogues of the programming windows share: the programming port settings,
// the version line, the progress figure, the tracking of an image dump, and the lists of
// windows waiting for a result.
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "wiring/dialogue_links.h"
#include "wiring/window_interfaces.h"
#include "programming/modem_exchange.h"

namespace k45 {

class classComm;
class CommForm;
class MainFrame;
class Scheduler;
class Timer;
struct SRecordMessage;

// Message texts of the dialogues.
inline constexpr const char* kNoVersionText = "Modem not responding to Version Request!";
inline constexpr const char* kNoReadText = "Unit not responding to Read!";
inline constexpr const char* kErrorTitle = "Error";

// Record letter of the modem's replies.
inline constexpr std::uint16_t kReplyLetter = 'R';

// A timer of the scheduler with its interval and handler; without a scheduler a timer that
// never fires (a context not yet wired still makes its windows safely).
std::unique_ptr<Timer> MakeDialogueTimer(Scheduler* scheduler, int intervalMs, std::function<void()> handler);

// Stops and starts a timer, so a full interval runs from now.
void RestartTimer(Timer& t);

// Stops a dialogue's timers and takes it off every list of the primary port: what ends a load
// of its window, and the dialogue itself.
void DetachDialogue(const DialogueLinks& links, CommForm& form, std::initializer_list<Timer*> timers);

// The primary port has closed (its device was lost): a resend could not reach the modem, so a
// dialogue gives up at once instead of resending into it.
bool PrimaryPortClosed(const DialogueLinks& links);
// Registers a dialogue for its lists on the primary port. A port that will not open has named
// the device and the reason in its own message: the remaining lists are not tried (one message,
// not one per list), and false tells the dialogue to end at once rather than wait for a modem
// it never reached. True without a port object (nothing to open).
[[nodiscard]] bool RegisterWithPrimary(const DialogueLinks& links, CommForm& form, bool crLf, bool sRecord);

// Counts one resend in the main window's status bar.
void CountResend(const DialogueLinks& links);
// An exchange on the primary port: no resend into a closed port, each counted resend shown in
// the main window's status bar.
ModemExchange::Hooks PrimaryExchangeHooks(const DialogueLinks& links);

// The record in slot rxSRecordIndex of the port's table when it is a reply of the modem that
// lies within the first `extent` bytes; nothing for any other record or slot.
const SRecordMessage* ReplyRecordWithin(classComm* port, std::int16_t rxSRecordIndex, std::int64_t extent);

// Applies transmit mode 7 at 9600 8N1 on the port (every dialogue does this on activation).
void ApplyProgrammingSettings(classComm& port);

// The version text of a version line: the text before the blank in front of the first
// "Copyright" (case-sensitive), empty when the line starts with it or one character before it;
// nothing when the line does not hold the keyword.
std::optional<std::string> VersionOfLine(const std::string& line);
// The line from the keyword on, without its line end (CR and LF at the end).
std::string NoticeOfLine(const std::string& line);

// count / total x 100 as a whole number, halves to even, at most 100 (0 for a total of 0).
int ProgressPercent(std::int64_t count, std::int64_t total);

// Which bytes of a parameter image dump have arrived. The dump counts as complete when every
// 16-byte block of the layout's extent holds bytes: 40 blocks, or 29 when the layout version in
// byte 0 is 2. The extent is decided by the first record that brings byte 0. A block that
// arrives twice counts once.
class ImageDumpTracker {
public:
    static constexpr int kBlockBytes = 16;
    static constexpr int kImageBytes = 640;
    static constexpr int kFullBlocks = 40;
    static constexpr int kVersion2Blocks = 29;  // bytes 0..460 of layout 2, in whole blocks

    // Forgets what arrived; expects the full image until byte 0 arrives.
    void Start();
    // Stores the data of an accepted record into image (elements 0..639) and notes the bytes.
    // False (nothing stored) when the record reaches outside the image.
    [[nodiscard]] bool Take(const SRecordMessage& record, std::span<std::uint8_t> image);
    int blocksExpected() const { return expected_; }
    int blocksComplete() const;

private:
    std::array<bool, kImageBytes> arrived_{};
    int expected_ = kFullBlocks;
    bool decided_ = false;
};

// Steps of a parameter image read and of the programming that may follow it, named by what
// each waits for.
enum class ReadWriteState : std::int32_t {
    Idle = 0,
    AwaitVersion = 1,      // the version line, after "?"
    AwaitReady = 2,        // the ready record
    AwaitReadDelay = 3,    // the delay timer, then "DE"
    AwaitData = 4,         // the image records
    AwaitEnd = 5,          // the end record
    AwaitFinalAck = 6,     // the acknowledgement that ends the read
    AwaitBlockAck = 7,     // the acknowledgement of an "S1" block
    AwaitBlockDelay = 10,  // the delay timer, then the next block
    AwaitChannelAck = 12,  // the acknowledgement of "CHANNEL"
    AwaitEndAck = 13,      // the acknowledgement of "S9"
};

// The steps of a parameter image read after the version request, as the read/write window and
// the current-parameter reader both take them: the version line, the ready record, the image
// records, the end record and the final acknowledgement. The owner keeps the state, counters,
// delay timer, exchange and image; it sends "?" and "DE" itself (as the exchange's commands)
// and decides what a time-out in the data phase does.
class ImageReadSteps {
public:
    struct Owner {
        DialogueLinks links;
        CommForm& form;  // no longer hears lines once the modem is ready
        Timer& timerDelay;
        ModemExchange& exchange;  // its last command is the "?" while the version is awaited
        ReadWriteState& state;
        std::int16_t& stepTotal;
        std::int32_t& stepCount;
        std::span<std::uint8_t> image;
        std::function<void(int)> showPercent;
    };

    explicit ImageReadSteps(Owner owner) : o_(std::move(owner)) {}

    // A data phase begins: progress 0, nothing taken, the whole image expected.
    void StartData();
    // A line in AwaitVersion: one holding "Copyright" puts its version on the main window and
    // moves on to AwaitReady. True when the line was taken.
    bool TakeLine(const std::string& line);
    // A reply record in AwaitReady .. AwaitFinalAck. True when the final acknowledgement has
    // ended the transfer (the response timer is stopped; the image is in place).
    [[nodiscard]] bool TakeRecord(const SRecordMessage& rec);
    // A time-out in AwaitVersion or AwaitReady: "?" again, counted, while the exchange may
    // resend (True); False when the owner has to give up.
    [[nodiscard]] bool ResendVersionRequest();

private:
    Owner o_;
    ImageDumpTracker dump_;
};

// The windows registered for a callback, in registration order, each once.
template <class Client>
class ClientList {
public:
    // True when the list is not empty afterwards.
    bool Register(Client* c) {
        if (!c) return !list_.empty();
        if (std::find(list_.begin(), list_.end(), c) == list_.end()) list_.push_back(c);
        return !list_.empty();
    }
    // True when the window was listed.
    bool DeRegister(Client* c) {
        auto it = std::find(list_.begin(), list_.end(), c);
        if (it == list_.end()) return false;
        list_.erase(it);
        return true;
    }
    // Hands the list over (emptied): callbacks may register again meanwhile.
    std::vector<Client*> Take() {
        std::vector<Client*> l;
        l.swap(list_);
        return l;
    }
    const std::vector<Client*>& items() const { return list_; }
    bool empty() const { return list_.empty(); }

private:
    std::vector<Client*> list_;
};

// False for a client that is a window and not loaded (a window closed meanwhile); other
// clients count as open.
template <class Client>
bool ClientIsOpen(Client* c) {
    const auto* f = dynamic_cast<const ToolForm*>(c);
    return !f || f->loaded();
}

}  // namespace k45
