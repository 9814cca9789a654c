#include "radio/channel_validation.h"

#include <cstdlib>
#include <string>

#include "radio/radio_codes.h"
#include "radio/radio_internal.h"
#include "radio/synth_internal.h"

namespace k45 {

using namespace radio_internal;

namespace {

constexpr std::int64_t kWorkingMargin = 1200000;
constexpr std::int64_t kSelectedMargin = 120000;

// Hz as MHz ("##0.000000") in the user's notation.
std::string MHzText(std::int32_t hz, const LocaleInfo& locale) { return WithLocaleMinus(FormatMHz(hz, locale), locale); }

std::string MHzUnitText(std::int32_t hz, const LocaleInfo& locale) { return MHzText(hz, locale) + " MHz"; }

struct Limits {
    bool known = false;
    std::int64_t low = 0;
    std::int64_t high = 0;
};

enum class SpacingGroup { none, types02, type1Wide, type1Range9, type1Fine };

SpacingGroup GroupOf(std::int32_t type, std::int32_t range) {
    if (type == 0 || type == 2) return SpacingGroup::types02;
    if (type != 1) return SpacingGroup::none;
    if (range == 4 || range == 5) return SpacingGroup::type1Wide;
    if (range == 9) return SpacingGroup::type1Range9;
    return SpacingGroup::type1Fine;
}

// The spacings a frequency may lie on are the grids that tell its modulus; types 0 and 2 also
// take the 2.5 kHz grid in engineering mode.
bool OnSpacing(std::int32_t type, std::int32_t range, std::int64_t lo, bool engineerMode) {
    for (const ModulusTest& t : ModulusTests(type, range))
        if (lo % t.step == 0) return true;
    return (type == 0 || type == 2) && engineerMode && lo % 2500 == 0;
}

const char* SpacingText(SpacingGroup group) {
    switch (group) {
    case SpacingGroup::type1Wide: return " is NOT on a 6.25, 10.00, 7.50 or 5.00 kHz Channel Spacing.";
    case SpacingGroup::type1Fine: return " is NOT on a 2.50 or 4.00 kHZ Channel Spacing.";
    default: return " is NOT on a 6.25, 10.00 or 5.00 kHz Channel Spacing.";
    }
}

class Validator {
public:
    // Interactive when problems is given: the problems are listed and the record stays as it is.
    Validator(const ModeFlags& modes, const LocaleInfo& locale, const SharedRecords& records, ModemParameters& record,
              std::vector<ChannelProblem>* problems)
        : modes_(modes), locale_(locale), records_(records), rec_(record), problems_(problems),
          interactive_(problems != nullptr) {}

    std::int16_t run() {
        const RadioSpec* low = SpecEntry(records_.testDefaults, rec_.radioType, rec_.radioRange, pointLow);
        const RadioSpec* high = SpecEntry(records_.testDefaults, rec_.radioType, rec_.radioRange, pointHigh);
        if (low && high) {
            rx_ = {true, low->rxFrequency, high->rxFrequency};
            tx_ = {true, low->txFrequency, high->txFrequency};
            if (rec_.radioType == 0 && rec_.radioRange == 0) {
                if (IsSet(rec_.highBand))
                    rx_.low = rx_.high - 16000000;
                else
                    rx_.high = rx_.low + 16000000;
            }
        }
        for (int k = 0; k < 8 && !phase1Ended_; ++k) {
            ChannelFrequency& ch = rec_.channels[static_cast<size_t>(k)];
            checkRangeAndBands(ch.rxFrequency, rx_, k, true);
            if (!phase1Ended_) checkRangeAndBands(ch.txFrequency, tx_, k, false);
        }
        const SpacingGroup group = GroupOf(rec_.radioType, rec_.radioRange);
        if (group != SpacingGroup::none) {
            for (int k = 0; k < 8; ++k) {
                ChannelFrequency& ch = rec_.channels[static_cast<size_t>(k)];
                checkSpacing(ch.rxFrequency, group, k, true);
                checkSpacing(ch.txFrequency, group, k, false);
            }
        }
        return result_;
    }

private:
    static int FieldIndex(int k, bool rx) { return rx ? k + 8 : k; }

    std::string prefix(std::int32_t f, int k, bool rx) const {
        return std::string(rx ? "Rx Frequency (" : "Tx Frequency (") + MHzUnitText(f, locale_) +
               ") for Channel " + std::to_string(k + 1);
    }

    void report(ChannelProblem::Kind kind, const std::string& text, const char* title, MsgButtons buttons,
                MsgIcon icon, int index) {
        problems_->push_back({kind, UserMessage{text, title, buttons, icon, index}});
    }

    void checkRangeAndBands(std::int32_t& field, const Limits& lim, int k, bool rx) {
        const std::int64_t f = field;  // every test uses the value as read, even after a correction
        const int index = FieldIndex(k, rx);
        for (const RestrictedBand& band : records_.restrictedBands) {
            if (f < band.lowFrequency || f > band.highFrequency) continue;
            if (interactive_) {
                report(ChannelProblem::Kind::restrictedBand,
                       prefix(field, k, rx) + " is in a Restricted Frequency Band (" +
                           MHzText(band.lowFrequency, locale_) + " - " + MHzUnitText(band.highFrequency, locale_) +
                           ").",
                       "Invalid Frequency!", MsgButtons::OK, MsgIcon::Critical, index);
            } else {
                const std::int64_t up = std::int64_t{band.highFrequency} + band.guardOffset;
                if (lim.known && up >= lim.low - kSelectedMargin && up <= lim.high + kSelectedMargin)
                    StoreIfFits(field, up);
                else
                    StoreIfFits(field, std::int64_t{band.lowFrequency} - band.guardOffset);
            }
        }
        if (!lim.known) return;
        const std::string text = prefix(static_cast<std::int32_t>(f), k, rx);
        if (f < lim.low - kWorkingMargin || f > lim.high + kWorkingMargin) {
            const bool tooLow = f < lim.low - kWorkingMargin;
            if (interactive_) {
                report(ChannelProblem::Kind::outOfWorkingRange,
                       text + (tooLow ? " is out of Working Range (too LOW)!" : " is out of Working Range (too HIGH)!"),
                       "Frequency Out Of Range!", MsgButtons::OK, MsgIcon::Critical, index);
                phase1Ended_ = true;
            } else {
                StoreIfFits(field, tooLow ? lim.low - kWorkingMargin : lim.high + kWorkingMargin);
                result_ = 0;
            }
        } else if (f < lim.low - kSelectedMargin || f > lim.high + kSelectedMargin) {
            if (!interactive_) return;
            const bool tooLow = f < lim.low - kSelectedMargin;
            // The problems after it are those of the answer Yes; Show drops the rest of the
            // range problems on any other answer.
            report(ChannelProblem::Kind::overrideQuestion,
                   text + (tooLow ? " is too LOW for the Range Selected." : " is too HIGH for the Range Selected.") +
                       "\r\nDo you want to Override?",
                   "Frequency Out Of Range!", MsgButtons::YesNo, MsgIcon::None, index);
        }
    }

    void checkSpacing(std::int32_t& field, SpacingGroup group, int k, bool rx) {
        const std::int64_t offset = rx ? RxFrequencyOffset(rec_.radioType) : 0;
        const std::int64_t lo = std::int64_t{field} + offset;
        if (OnSpacing(rec_.radioType, rec_.radioRange, lo, modes_.engineerMode)) return;
        if (interactive_) {
            report(ChannelProblem::Kind::offSpacing, prefix(field, k, rx) + SpacingText(group), "Invalid Frequency!",
                   MsgButtons::OK, MsgIcon::None, FieldIndex(k, rx));
        } else {
            const std::int64_t snap = group == SpacingGroup::type1Fine ? 2500 : 6250;
            StoreIfFits(field, lo - lo % snap - offset);
            result_ = 0;
        }
    }

    const ModeFlags& modes_;
    const LocaleInfo& locale_;
    const SharedRecords& records_;
    ModemParameters& rec_;
    std::vector<ChannelProblem>* problems_;
    const bool interactive_;
    Limits rx_, tx_;
    std::int16_t result_ = -1;
    bool phase1Ended_ = false;
};

}  // namespace

ChannelCheck CheckChannelFreqs(const ModeFlags& modes, const FilePlaces& files, const SharedRecords& records,
                               const ModemParameters& record) {
    ChannelCheck check;
    ModemParameters unchanged = record;  // the interactive pass writes nothing; it runs on a copy
    Validator(modes, files.locale, records, unchanged, &check.problems).run();
    return check;
}

std::int16_t CorrectChannelFreqs(const ModeFlags& modes, const SharedRecords& records, ModemParameters& record) {
    static const LocaleInfo kNoText;  // the corrections build no text
    return Validator(modes, kNoText, records, record, nullptr).run();
}

std::int16_t ChannelCheck::Show(const std::function<MsgAnswer(const UserMessage&)>& show) const {
    std::int16_t field = -1;
    bool rangeEnded = false;
    for (const ChannelProblem& p : problems) {
        using Kind = ChannelProblem::Kind;
        if (rangeEnded && p.kind != Kind::offSpacing) continue;
        const MsgAnswer answer = show(p.message);
        const auto index = static_cast<std::int16_t>(p.message.field);
        switch (p.kind) {
        case Kind::restrictedBand:
        case Kind::offSpacing:
            if (field == -1) field = index;
            break;
        case Kind::outOfWorkingRange: field = index; break;
        case Kind::overrideQuestion:
            if (answer != MsgAnswer::Yes) {
                field = index;
                rangeEnded = true;
            }
            break;
        }
    }
    return field;
}

}  // namespace k45
