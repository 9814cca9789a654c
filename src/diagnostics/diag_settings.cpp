#include "diagnostics/diag_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/converters.h"
#include "base/ini_routines.h"
#include "base/utilities.h"
#include "platform/profile.h"

namespace k45 {

namespace {

constexpr const char* kAlarms = "Alarms";
constexpr const char* kFilters = "Filters";

struct ClampRange {
    float minimum, maximum, step;
};
// RSSI, temperature, battery, forward power, reverse power.
constexpr std::array<ClampRange, 5> kRanges{{
    {-140.0f, -30.0f, 1.0f},
    {-70.0f, 180.0f, 5.0f},
    {0.0f, 24.0f, 1.0f},
    {0.0f, 8.0f, 0.2f},
    {0.0f, 8.0f, 0.2f},
}};

const LocaleInfo& FileLocale() {
    static const LocaleInfo dot{".", "-"};
    return dot;
}

void ReadLimits(DiagLimits& limits, const DiagLimits& defaults, const LocaleInfo& locale, const IniDocument& doc,
                const char* section) {
    for (int i = 0; i < 10; ++i) {
        const auto text = doc.get(section, kDiaLimitKeys[static_cast<std::size_t>(i)]);
        if (!text) {
            LimitField(limits, i) = LimitField(defaults, i);
            continue;
        }
        // Either separator reads: the text is made neutral as every number from a file is.
        if (const auto v = TextToSingle(LocalizeNumberText(*text, locale), locale)) LimitField(limits, i) = *v;
    }
}

}  // namespace

const std::array<const char*, 10> kDiaLimitKeys{
    "Low RSSI",     "High RSSI",         "Low Temperature",    "High Temperature",  "Low Battery",
    "High Battery", "Low Forward Power", "High Forward Power", "Low Reverse Power", "High Reverse Power",
};

DiagLimits DefaultAlarmLimits() { return {-130, -40, -70, 170, 6.5f, 20, 1.5f, 6, 0, 2.5f}; }
DiagLimits DefaultFilterLimits() { return {-140, -30, -80, 180, 5, 22, 0.1f, 8, 0, 4.5f}; }

float& LimitField(DiagLimits& l, int index) {
    switch (index) {
        case 0: return l.lowRssi;
        case 1: return l.highRssi;
        case 2: return l.lowTemp;
        case 3: return l.highTemp;
        case 4: return l.lowBattery;
        case 5: return l.highBattery;
        case 6: return l.lowFwdPower;
        case 7: return l.highFwdPower;
        case 8: return l.lowRevPower;
        default: return l.highRevPower;
    }
}

float LimitField(const DiagLimits& l, int index) { return LimitField(const_cast<DiagLimits&>(l), index); }

std::string DiaIdKey(int k) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "Filter IDs %02d", k);
    return buf;
}

bool ParseUnitIdItem(std::string_view item, std::uint32_t& id) {
    while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
    while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
    if (item.empty() || item.size() > 10) return false;
    std::uint64_t v = 0;  // ten digits fit
    for (char c : item) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v > kMaxUnitId) return false;
    id = static_cast<std::uint32_t>(v);
    return true;
}

void LoadDiaDocument(DiagSettings& s, const LocaleInfo& locale, const IniDocument& doc) {
    ReadLimits(s.alarmLimits, DefaultAlarmLimits(), locale, doc, kAlarms);
    ReadLimits(s.filterLimits, DefaultFilterLimits(), locale, doc, kFilters);
    s.filterIds.fill(0);
    int next = 0;
    for (int k = 0; k < kDiaIdKeys && next < kMaxFilterIds; ++k) {
        const std::string text = doc.get(kFilters, DiaIdKey(k), std::string());
        std::size_t from = 0;
        while (!text.empty() && next < kMaxFilterIds) {
            const std::size_t comma = text.find(',', from);
            const std::string_view item =
                std::string_view(text).substr(from, comma == std::string::npos ? std::string::npos : comma - from);
            std::uint32_t id = 0;
            // An item that is not an ID is passed over; the ones after it still count.
            if (ParseUnitIdItem(item, id)) s.filterIds[static_cast<std::size_t>(next++)] = id;
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
    }
    s.filterIdCount = static_cast<std::int16_t>(next);
    RebuildIdLists(s);
}

void LoadDiaText(DiagSettings& s, const LocaleInfo& locale, const std::string& text) {
    IniDocument doc;
    doc.parse(text);
    LoadDiaDocument(s, locale, doc);
}

void LoadDiaFile(DiagSettings& s, const LocaleInfo& locale, const std::string& fileName) {
    IniDocument doc;
    if (!doc.load(fileName)) doc = IniDocument();
    LoadDiaDocument(s, locale, doc);
}

std::string DiaLimitText(float value, const LocaleInfo& locale) {
    if (!std::isfinite(value)) return IniValueText(locale, value);
    if (value == 0) return "0";
    // The fewest significant digits (at most 7) that read back as the same single; a value that
    // needs more is written with 7.
    char buf[48];
    std::to_chars_result res{};
    for (int digits = 1; digits <= 7; ++digits) {
        res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
        float back = 0;
        std::from_chars(buf, res.ptr, back);
        if (back == value) break;
    }
    // Scientific "-d.ddde-XX" to plain decimals, without trailing zeros.
    const std::string sci(buf, res.ptr);
    const std::size_t e = sci.find('e');
    const bool negative = sci.front() == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (sci[i] != '.') digits += sci[i];
    const int exponent = std::stoi(sci.substr(e + 1));
    std::string whole, fraction;
    if (exponent >= 0) {
        const std::size_t n = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() < n) digits.append(n - digits.size(), '0');
        whole = digits.substr(0, n);
        fraction = digits.substr(n);
    } else {
        whole = "0";
        fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    std::string text = negative ? "-" : "";
    text += whole;
    if (!fraction.empty()) text += (locale.decimal.empty() ? "." : locale.decimal) + fraction;
    return text;
}

bool SaveDiaFile(const DiagSettings& s, const std::string& fileName, std::string* error) {
    ProfileBatch batch(fileName);
    if (batch.loadFailed()) {
        if (error) *error = batch.loadError();
        return false;
    }
    IniDocument& doc = batch.document();
    for (int i = 0; i < 10; ++i) doc.set(kAlarms, kDiaLimitKeys[static_cast<std::size_t>(i)], DiaLimitText(LimitField(s.alarmLimits, i), FileLocale()));
    for (int i = 0; i < 10; ++i) doc.set(kFilters, kDiaLimitKeys[static_cast<std::size_t>(i)], DiaLimitText(LimitField(s.filterLimits, i), FileLocale()));
    const int count = std::clamp<int>(s.filterIdCount, 0, kMaxFilterIds);
    int start = 0;
    for (int k = 0; k < kDiaIdKeys; ++k) {
        const int n = std::min(kIdsPerDiaKey, count - start);
        std::string value;
        if (n > 0) {
            for (int i = start; i < start + n; ++i) {
                if (i > start) value += ',';
                value += std::to_string(s.filterIds[static_cast<std::size_t>(i)]);
            }
            start += n;
        }
        doc.set(kFilters, DiaIdKey(k), value);
    }
    return batch.commit(error);
}

void RebuildIdLists(DiagSettings& s) {
    const int count = std::clamp<int>(s.filterIdCount, 0, kMaxFilterIds);
    s.filterIdCount = static_cast<std::int16_t>(count);
    std::sort(s.filterIds.begin(), s.filterIds.begin() + count);
    std::fill(s.filterIds.begin() + count, s.filterIds.end(), 0U);
    std::array<bool, 1024> plain{}, plus{};
    for (int i = 0; i < count; ++i) {
        const LongIdParts p = SplitLongId(s.filterIds[static_cast<std::size_t>(i)]);
        (p.isLong ? plus : plain)[static_cast<std::size_t>(p.shortId & 1023)] = true;
    }
    s.shortIds.fill(0);
    s.shortIdsPlus.fill(0);
    s.shortIdCount = 0;
    s.shortIdPlusCount = 0;
    for (int v = 0; v < 1024; ++v) {
        if (plain[static_cast<std::size_t>(v)]) s.shortIds[static_cast<std::size_t>(s.shortIdCount++)] = static_cast<std::int16_t>(v);
        if (plus[static_cast<std::size_t>(v)]) s.shortIdsPlus[static_cast<std::size_t>(s.shortIdPlusCount++)] = static_cast<std::int16_t>(v);
    }
}

void ClampLimits(DiagLimits& alarm, DiagLimits& filter) {
    for (int q = 0; q < 5; ++q) {
        const ClampRange r = kRanges[static_cast<std::size_t>(q)];
        float& aLow = LimitField(alarm, 2 * q);
        float& aHigh = LimitField(alarm, 2 * q + 1);
        float& fLow = LimitField(filter, 2 * q);
        float& fHigh = LimitField(filter, 2 * q + 1);
        if (aLow < r.minimum) aLow = r.minimum + r.step;
        else if (aLow > r.maximum) aLow = r.maximum - r.step;
        if (fLow < r.minimum) fLow = r.minimum;
        else if (fLow > r.maximum) fLow = r.maximum;
        if (aLow < fLow) aLow = fLow;
        if (aHigh < r.minimum) aHigh = r.minimum + r.step;
        else if (aHigh > r.maximum) aHigh = r.maximum - r.step;
        if (fHigh < r.minimum) fHigh = r.minimum;
        else if (fHigh > r.maximum) fHigh = r.maximum;
        if (aHigh >= fHigh) aHigh = fHigh - r.step;
    }
}

}  // namespace k45
