#pragma once
// Channel frequency checks before a channel plan is saved or written: restricted bands, the
// working range of the radio type and range, and the channel spacing of the synthesizer.
#include <cstdint>
#include <functional>
#include <vector>

#include "model/app_state.h"
#include "model/records.h"
#include "platform/message_box.h"

namespace k45 {

// One problem of a channel plan. message.field is the field in error: Tx of channel k is k,
// Rx is k + 8.
struct ChannelProblem {
    enum class Kind { restrictedBand, outOfWorkingRange, overrideQuestion, offSpacing };
    Kind kind = Kind::restrictedBand;
    UserMessage message;
};

// The problems of a plan in the order they are shown. The range checks stop at a frequency out
// of the working range; a frequency just outside the range selected asks whether to override,
// and the problems after it assume the answer Yes.
struct ChannelCheck {
    std::vector<ChannelProblem> problems;

    // Shows the problems in order through `show` and returns the field in error (-1 when there
    // is none): the first restricted band or spacing problem, unless a frequency out of the
    // working range or an override answered other than Yes names its own (which also ends the
    // range problems).
    [[nodiscard]] std::int16_t Show(const std::function<MsgAnswer(const UserMessage&)>& show) const;
};

// Checks the Rx and Tx frequency of the 8 channels and changes nothing.
[[nodiscard]] ChannelCheck CheckChannelFreqs(const ModeFlags& modes, const FilePlaces& files,
                                             const SharedRecords& records, const ModemParameters& record);

// Corrects the 8 channels in place, showing nothing: a frequency in a restricted band moves past
// the band's guard, one out of the working range is clamped to it and one off the channel
// spacing snaps down to it. 0 when a clamp or snap took place, else -1.
std::int16_t CorrectChannelFreqs(const ModeFlags& modes, const SharedRecords& records, ModemParameters& record);

}  // namespace k45
