#include "diagnostics/online_stream.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "base/converters.h"
#include "platform/local_time.h"

namespace k45 {

namespace {

// Applies one quantity's filter window and alarm bounds; false rejects the packet.
bool Check(float v, float filterLow, float filterHigh, float alarmLow, float alarmHigh, std::int16_t lowFlag,
           std::int16_t highFlag, std::int16_t& flags) {
    if (v < filterLow || v > filterHigh) return false;
    if (v < alarmLow) flags = static_cast<std::int16_t>(flags | lowFlag);
    else if (v > alarmHigh) flags = static_cast<std::int16_t>(flags | highFlag);
    return true;
}

const LocaleInfo& DotLocale() {
    static const LocaleInfo dot{".", "-"};
    return dot;
}

std::string AlarmMark(std::int16_t flags, std::int16_t low, std::int16_t high) {
    if (flags & low) return "<";
    if (flags & high) return ">";
    return " ";
}

}  // namespace

std::optional<OnlineDiagRecord> DecodeOnlinePacket(const std::uint8_t* p, const DiagLimits& a, const DiagLimits& f,
                                                   std::int64_t timeStamp) {
    OnlineDiagRecord r;
    const int flags = p[0];
    r.shortId = static_cast<std::int16_t>(p[1] + ((flags & 32) ? 256 : 0) + ((flags & 64) ? 512 : 0));
    r.plusId = (flags & 16) != 0;
    r.rssiRaw = p[2];
    if (!Check(NegateToSingle(r.rssiRaw), f.lowRssi, f.highRssi, a.lowRssi, a.highRssi, alarmRssiLow, alarmRssiHigh,
               r.alarmFlags))
        return std::nullopt;
    r.temperatureRaw = p[3];
    if (!Check(SignedByteToSingle(r.temperatureRaw), f.lowTemp, f.highTemp, a.lowTemp, a.highTemp, alarmTempLow,
               alarmTempHigh, r.alarmFlags))
        return std::nullopt;
    r.batteryRaw = p[4];
    if (!Check(TenthsToVolts(r.batteryRaw), f.lowBattery, f.highBattery, a.lowBattery, a.highBattery, alarmBattLow,
               alarmBattHigh, r.alarmFlags))
        return std::nullopt;
    r.spareRaw = p[5];
    if (flags & 1) {
        r.forwardPowerRaw = p[6];
        if (!Check(TenthsToWatts(r.forwardPowerRaw), f.lowFwdPower, f.highFwdPower, a.lowFwdPower, a.highFwdPower,
                   alarmFwdLow, alarmFwdHigh, r.alarmFlags))
            return std::nullopt;
        r.reversePowerRaw = p[7];
        if (!Check(TenthsToWatts(r.reversePowerRaw), f.lowRevPower, f.highRevPower, a.lowRevPower, a.highRevPower,
                   alarmRevLow, alarmRevHigh, r.alarmFlags))
            return std::nullopt;
    } else {
        r.forwardPowerRaw = -1;
        r.reversePowerRaw = -1;
    }
    r.timeStamp = timeStamp;
    return r;
}

void OnlineFramer::Feed(std::string_view chunk, const PacketHandler& onPacket) {
    std::size_t taken = 0;
    while (taken < chunk.size()) {
        // Fill what the buffer holds; at most eight bytes are ever carried, so it always has room.
        const std::size_t n = std::min(chunk.size() - taken, static_cast<std::size_t>(kBufferSize - pending_));
        std::memcpy(buffer_.data() + pending_, chunk.data() + taken, n);
        pending_ += static_cast<int>(n);
        taken += n;
        int pos = 0;
        while (pending_ - pos >= kOnlinePacketBytes) {
            const std::uint8_t* b = buffer_.data() + pos;
            const unsigned sum = b[0] + b[1] + b[2] + b[3] + b[4] + b[5] + b[6] + b[7] + b[8];
            if ((sum & 255) == 0) {
                onPacket(b);
                pos += kOnlinePacketBytes;
            } else {
                ++pos;
            }
        }
        // Every byte the scan passed is consumed.
        std::memmove(buffer_.data(), buffer_.data() + pos, static_cast<std::size_t>(pending_ - pos));
        pending_ -= pos;
    }
}

void OnlineHistory::Add(const OnlineDiagRecord& r) {
    ring_[static_cast<std::size_t>(write_)] = r;
    write_ = (write_ + 1) % kOnlineHistorySize;
    if (count_ == kOnlineHistorySize) oldest_ = (oldest_ + 1) % kOnlineHistorySize;
    else ++count_;
}

std::string ShortIdEntryText(std::int16_t shortId, bool plusId) { return MarkedShortIdText(plusId, shortId); }

std::vector<std::string> FilterIdEntries(const DiagSettings& s) {
    std::vector<std::string> r;
    auto add = [&](std::int16_t id, bool plus) {
        const std::string text = ShortIdEntryText(id, plus);
        if (id == 0) return;
        for (const auto& e : r)
            if (e == text) return;
        r.push_back(text);
    };
    for (int i = 0; i < s.shortIdCount; ++i) add(s.shortIds[static_cast<std::size_t>(i)], false);
    for (int i = 0; i < s.shortIdPlusCount; ++i) add(s.shortIdsPlus[static_cast<std::size_t>(i)], true);
    return r;
}

bool PassesIdFilter(const OnlineDiagRecord& r, IdFilterMode mode, const DiagSettings& s, const std::string& comboText) {
    if (mode == IdFilterMode::List) {
        const auto& list = r.plusId ? s.shortIdsPlus : s.shortIds;
        const int count = std::clamp<int>(r.plusId ? s.shortIdPlusCount : s.shortIdCount, 0, 1024);
        for (int i = 0; i < count; ++i)
            if (list[static_cast<std::size_t>(i)] == r.shortId) return true;
    }
    return ShortIdEntryText(r.shortId, r.plusId) == comboText;
}

void OnlineGrid::Clear() {
    rows_.clear();
    displaySequence_ = 0;
    topRow_ = 0;
}

void OnlineGrid::SetVisibleRows(int rows) {
    const bool following = !slotted_ && topRow_ == LastTop();
    visibleRows_ = std::max(rows, 1);
    SetTopRow(following ? LastTop() : topRow_);
}

int OnlineGrid::FindSlotRow(const OnlineDiagRecord& r) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].record.shortId == r.shortId && rows_[i].record.plusId == r.plusId) return static_cast<int>(i);
    return rowsUsed();
}

int OnlineGrid::Display(const OnlineDiagRecord& r) {
    const Row row{r, displaySequence_};
    displaySequence_ += 1;
    if (displaySequence_ >= 4000000000.0) displaySequence_ = 0;
    int written;
    if (!slotted_) {
        rows_.push_back(row);
        if (rowsUsed() > kOnlineGridMaxRows) rows_.pop_front();
        written = rowsUsed() - 1;
        SetTopRow(LastTop());
    } else {
        written = FindSlotRow(r);
        if (written >= rowsUsed()) rows_.push_back(row);
        else rows_[static_cast<std::size_t>(written)] = row;
    }
    return written;
}

std::string OnlineTimeText(std::int64_t wallClockSeconds) {
    const auto local = LocalTimeOf(wallClockSeconds);
    if (!local) return {};
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d  %02d/%02d/%04d", local->tm_hour, local->tm_min, local->tm_sec,
                  local->tm_mon + 1, local->tm_mday, local->tm_year + 1900);
    return buf;
}

std::string OnlineCellText(const OnlineGrid::Row& row, int column, const LocaleInfo& locale) {
    const OnlineDiagRecord& r = row.record;
    switch (column) {
        case 0: return r.plusId ? ">" : "=";
        case 1: return std::to_string(r.shortId);
        case 2: return std::to_string(-r.rssiRaw);
        case 3: return AlarmMark(r.alarmFlags, alarmRssiLow, alarmRssiHigh);
        case 4: return std::to_string(static_cast<int>(SignedByteToSingle(r.temperatureRaw)));
        case 5: return AlarmMark(r.alarmFlags, alarmTempLow, alarmTempHigh);
        case 6: return FormatFixed(r.batteryRaw / 10.0, 1, locale);
        case 7: return AlarmMark(r.alarmFlags, alarmBattLow, alarmBattHigh);
        case 8: return r.forwardPowerRaw == -1 ? "-" : FormatFixed(r.forwardPowerRaw / 10.0, 1, locale);
        case 9: return AlarmMark(r.alarmFlags, alarmFwdLow, alarmFwdHigh);
        case 10: return r.reversePowerRaw == -1 ? "-" : FormatFixed(r.reversePowerRaw / 10.0, 1, locale);
        case 11: return AlarmMark(r.alarmFlags, alarmRevLow, alarmRevHigh);
        case 12: return OnlineTimeText(r.timeStamp);
        case 13: return WholeText(row.sequence);
        default: return std::string();
    }
}

std::string OnlineSaveHeader() { return "-   ID  RSSI A  Temp A  Batt A  Fwd A  Rev A      Time        Date"; }

std::string OnlineSaveLine(const OnlineGrid::Row& row) {
    static constexpr std::size_t kWidths[] = {5, 6, 2, 6, 2, 6, 2, 5, 2, 5, 2, 22};
    std::string line = OnlineCellText(row, 0, DotLocale());
    for (int c = 1; c <= 12; ++c) line += RightAligned(OnlineCellText(row, c, DotLocale()), kWidths[c - 1]);
    return line;
}

bool WriteOnlineSaveFile(const std::string& path, SaveMode mode, const OnlineGrid& grid, std::string* error,
                         const std::function<void(int)>& progress) {
    std::ofstream out(path, std::ios::binary | (mode == SaveMode::Append ? std::ios::app : std::ios::trunc));
    if (!out) {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    out << OnlineSaveHeader() << "\r\n";
    const int n = grid.rowsUsed();
    for (int i = 0; i < n; ++i) {
        out << OnlineSaveLine(grid.row(i)) << "\r\n";
        if (progress && n > 1) progress(100 * i / (n - 1));
    }
    out << "\r\n";
    out.close();
    if (!out) {
        if (error) *error = path + ": the file could not be written";
        return false;
    }
    return true;
}

}  // namespace k45
