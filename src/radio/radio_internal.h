#pragma once
// Helpers shared by the radio model's sources only (not part of its interface).
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/converters.h"
#include "base/hex_text.h"
#include "base/utilities.h"
#include "model/app_state.h"
#include "model/records.h"
#include "platform/locale_info.h"
#include "platform/profile.h"

namespace k45::radio_internal {

inline bool FitsInt32(double v) { return std::isfinite(v) && v >= -2147483648.0 && v <= 2147483647.0; }
inline bool FitsInt16(long long v) { return v >= -32768 && v <= 32767; }

inline std::int16_t ClampByte(double v) {
    if (!(v > 0)) return 0;  // also NaN
    if (v > 255) return 255;
    return static_cast<std::int16_t>(v);
}

// Writes a frequency or offset into a 32-bit field only when it fits.
inline void StoreIfFits(std::int32_t& field, std::int64_t value) {
    if (value >= INT32_MIN && value <= INT32_MAX) field = static_cast<std::int32_t>(value);
}

// The radio spec table entry of a type, range and point; nullptr when any of them is out of range.
inline const RadioSpec* SpecEntry(const ProductionTestRecord& record, std::int32_t type, std::int32_t range,
                                  int point) {
    if (!RadioSpecIndexValid(type, range, point)) return nullptr;
    return &record.radioSpecs[static_cast<size_t>(RadioSpecIndex(type, range, point))];
}

// Low/Mid/High interpolation: segment Low..Mid below Mid, else Mid..High; the rounded mean when
// the segment's frequencies are equal; the frequency held within one segment width beyond the
// segment's ends; result rounded and clamped to 0..255.
inline std::int16_t InterpolateThreePoints(std::int32_t frequency, std::int32_t fL, std::int32_t fM,
                                           std::int32_t fH, int vL, int vM, int vH) {
    double fA, fB, vA, vB;
    if (frequency < fM) {
        fA = fL; fB = fM; vA = vL; vB = vM;
    } else {
        fA = fM; fB = fH; vA = vM; vB = vH;
    }
    if (fA == fB) return ClampByte(RoundHalfEven((vA + vB) / 2));
    double f = frequency;
    double width = fB - fA;
    if (f < fA - width) f = fA - width;
    if (f > fB + width) f = fB + width;
    return ClampByte(RoundHalfEven((vB - vA) * (f - fA) / (fB - fA) + vA));
}

// Whole number with at least minDigits digits, a leading "-" when negative (pattern "000").
inline std::string PadInt(long long value, int minDigits) {
    unsigned long long mag = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                       : static_cast<unsigned long long>(value);
    std::string digits = std::to_string(mag);
    if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

// The frame's converters write a plain "-"; the radio texts show the user's negative sign.
inline std::string WithLocaleMinus(std::string text, const LocaleInfo& locale) {
    if (!text.empty() && text.front() == '-' && !locale.minus.empty()) text.replace(0, 1, locale.minus);
    return text;
}

// Fixed decimals with the locale's separator and minus (patterns "0.00", "##0.000000"); a value
// that rounds to zero shows no sign.
inline std::string FixedText(double value, int decimals, const LocaleInfo& locale) {
    return WithLocaleMinus(FormatFixed(value, decimals, locale), locale);
}

// Two upper-case hex digits of a value's low 8 bits (-1 gives "FF").
inline std::string Hex2(int value) { return ByteToHex2(value & 0xFF); }

// "Row" and the row number as two hex digits.
inline std::string RowKey(int row) { return "Row" + Hex2(row); }

// A debug trace file written as one batch: opened only when tracing is on, written once at
// the end. Inside an outer batch for the same file it writes into that one.
class TraceFile {
public:
    TraceFile(const ModeFlags& modes, const FilePlaces& files, bool trace, const char* fileName) {
        if (!trace || !modes.debugTest || files.places.tempFolder.empty()) return;
        path_ = JoinPath(files.places.tempFolder, fileName);
        if (ProfileBatch::find(path_) == nullptr) batch_ = std::make_unique<ProfileBatch>(path_);
        on_ = true;
    }
    bool on() const { return on_; }
    void set(const std::string& section, const std::string& key, const std::string& value) {
        if (on_) ProfileBatch::find(path_)->set(section, key, value);
    }
    void emptySection(const std::string& section) {
        if (on_) ProfileBatch::find(path_)->emptySection(section);
    }
    // Writes the file when this object opened the batch; false with the reason when that failed.
    void finish(std::string* error) {
        if (!batch_) return;
        std::string reason;
        if (!batch_->commit(&reason) && error) *error = reason;
        batch_.reset();
    }

private:
    bool on_ = false;
    std::string path_;
    std::unique_ptr<ProfileBatch> batch_;
};

}  // namespace k45::radio_internal
