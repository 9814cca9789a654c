#pragma once
// Helpers shared by the radio model's sources only (not part of its interface).
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "params/app_state.h"
#include "params/records.h"
#include "platform/locale_info.h"
#include "platform/profile.h"

namespace k45::radio_internal {

// Nearest whole number, a half going to the even neighbour.
inline double RoundEven(double x) {
    double r = std::floor(x);
    double diff = x - r;
    if (diff > 0.5) return r + 1;
    if (diff < 0.5) return r;
    return std::fmod(r, 2.0) == 0 ? r : r + 1;
}

inline bool FitsInt32(double v) { return std::isfinite(v) && v >= -2147483648.0 && v <= 2147483647.0; }
inline bool FitsInt16(long long v) { return v >= -32768 && v <= 32767; }

inline std::int16_t ClampByte(double v) {
    if (!(v > 0)) return 0;  // also NaN
    if (v > 255) return 255;
    return static_cast<std::int16_t>(v);
}

// The spec table entry of a type, range and point; nullptr when any of them is out of range.
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
    if (fA == fB) return ClampByte(RoundEven((vA + vB) / 2));
    double f = frequency;
    double width = fB - fA;
    if (f < fA - width) f = fA - width;
    if (f > fB + width) f = fB + width;
    return ClampByte(RoundEven((vB - vA) * (f - fA) / (fB - fA) + vA));
}

// Whole number with at least minDigits digits, a leading "-" when negative (pattern "000").
inline std::string PadInt(long long value, int minDigits) {
    unsigned long long mag = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                       : static_cast<unsigned long long>(value);
    std::string digits = std::to_string(mag);
    if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

// Fixed decimals with the locale's separator and minus (patterns "0.00", "##0.000000").
inline std::string FixedText(double value, int decimals, const LocaleInfo& locale) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
    std::string text = buf;
    // A value that rounds to zero shows no sign.
    bool negative = value < 0 && text.find_first_not_of("0.") != std::string::npos;
    size_t dot = text.find('.');
    if (dot != std::string::npos) text.replace(dot, 1, locale.decimal);
    return negative ? locale.minus + text : text;
}

// Two upper-case hex digits of a value's low 8 bits.
inline std::string Hex2(long long value) {
    static const char digits[] = "0123456789ABCDEF";
    unsigned v = static_cast<unsigned>(value) & 0xFFu;
    return std::string{digits[v >> 4], digits[v & 15]};
}

// "Row" and the row number as two hex digits.
inline std::string RowKey(int row) { return "Row" + Hex2(row); }

// A debug trace file written as one batch: opened only when tracing is on, written once at
// the end. Inside an outer batch for the same file it writes into that one.
class TraceFile {
public:
    TraceFile(const AppState& app, bool trace, const char* fileName) {
        if (!trace || !app.debugTest || app.places.tempFolder.empty()) return;
        path_ = JoinPath(app.places.tempFolder, fileName);
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
