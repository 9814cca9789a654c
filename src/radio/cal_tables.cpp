#include "radio/cal_tables.h"

#include "platform/local_time.h"
#include "radio/radio_internal.h"
#include "radio/rssi_conversion.h"

namespace k45 {

using namespace radio_internal;

namespace {

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Orders the points by key, each companion swap carrying their other values along. Exchange
// sort from the far end: points with equal keys end in the order this sort leaves them.
template <typename Key, size_t N, class SwapCompanions>
void SortPoints(std::array<Key, N>& key, SwapCompanions swapCompanions) {
    for (size_t i = 0; i + 1 < N; ++i) {
        for (size_t j = N - 1; j >= i + 1; --j) {
            if (key[j] < key[i]) {
                std::swap(key[i], key[j]);
                swapCompanions(i, j);
            }
        }
    }
}

// The segment (k - 1, k) of the sorted A/D readings an A/D value falls in: k is the first
// reading after the first one that is not below the value, else the last reading.
template <size_t N>
size_t SegmentOf(const std::array<std::int16_t, N>& adReading, int ad) {
    for (size_t c = 1; c + 1 < N; ++c)
        if (adReading[c] >= ad) return c;
    return N - 1;
}

template <typename T, size_t N>
std::string JoinRow(const std::array<T, N>& values, size_t first, size_t count, int digits) {
    std::string row;
    for (size_t i = first; i < first + count; ++i) {
        if (i > first) row += ",";
        row += PadInt(static_cast<long long>(values[i]), digits);
    }
    return row;
}

// A row of bytes as two-digit hex, a negative value as its two's complement.
template <size_t N>
std::string HexRow(const std::array<std::int16_t, N>& row) {
    std::string text;
    for (size_t j = 0; j < N; ++j) {
        if (j) text += ",";
        text += Hex2(row[j]);
    }
    return text;
}

// ---- power table ----

void TracePowerCalPoints(TraceFile& file, const LocaleInfo& locale, const PowerCalPoints& points,
                         const std::string& section) {
    for (int i = 0; i < 5; ++i) {
        file.set(section, "Power Pt " + std::to_string(i), FixedText(points.powerWatts[static_cast<size_t>(i)], 2, locale));
        file.set(section, "A/D Pt " + std::to_string(i), PadInt(points.adReading[static_cast<size_t>(i)], 3));
    }
}

// ---- RSSI table ----

void TraceRssiCalPoints(TraceFile& file, const RssiCalPoints& points, const std::string& section) {
    for (int i = 0; i < 6; ++i) {
        const std::int16_t level = points.levelCode[static_cast<size_t>(i)];
        file.set(section, "RSSI Pt " + std::to_string(i), PadInt(level, 3) + " -> -" + PadInt(DbmToRssiCode(level), 3));
        file.set(section, "A/D Pt " + std::to_string(i), PadInt(points.adReading[static_cast<size_t>(i)], 3));
    }
}

// ---- temperature compensation ----

// "+" for a positive value, " " for zero, nothing for a negative one, then the pattern.
std::string Signed(long long value, int digits) {
    return (value > 0 ? "+" : value == 0 ? " " : "") + PadInt(value, digits);
}

void TraceTempCompPoints(TraceFile& file, const RssiTempComp& p, const std::string& section) {
    for (int n = 0; n < 6; ++n) {
        const size_t i = static_cast<size_t>(n);
        const std::string num = std::to_string(n);
        const std::int16_t level = p.levelCode[i];
        file.set(section, "RSSI Pt " + num, PadInt(level, 3) + " -> -" + PadInt(DbmToRssiCode(level), 3));
        const int code = TemperatureToSensorCode(p.temperature[i]);
        file.set(section, "Temp Pt " + num,
                 Signed(p.temperature[i], 2) + " -> " + PadInt(code, 3) + " -> 0x" + Hex2(code));
        std::string ad, delta;
        for (size_t t = 0; t < 6; ++t) {
            if (t) { ad += ","; delta += ","; }
            ad += PadInt(p.adReading[i][t], 3);
            delta += Signed(p.delta[i][t], 3);
        }
        file.set(section, "A/D Pt " + num, ad);
        file.set(section, "Delta Pt " + num, delta);
    }
}

using WorkGrid = std::array<std::array<int, 16>, 16>;

// One row of the grid for a trace; cells of empty (count 0) bins show a blank before a zero
// only when emptyBlank is set, a "+" otherwise.
std::string GridRow(const WorkGrid& grid, const WorkGrid* count, int row) {
    std::string text;
    for (size_t j = 0; j < 16; ++j) {
        if (j) text += ",";
        const int v = grid[static_cast<size_t>(row)][j];
        const bool hasSamples = count && (*count)[static_cast<size_t>(row)][j] != 0;
        text += (v > 0 || (v == 0 && hasSamples) ? "+" : v == 0 ? " " : "") + PadInt(v, 3);
    }
    return text;
}

// Linear value at position pos between the known cells lower and upper (values vl, vu).
int Between(int pos, int lower, int upper, int vl, int vu) {
    if (lower == upper) return vu;
    return static_cast<int>(RoundHalfEven((pos - lower) * (static_cast<double>(vu - vl) / (upper - lower)) + vl));
}

}  // namespace

std::int32_t CalDateStamp(std::int64_t wallClockSeconds) {
    const std::optional<std::tm> local = LocalTimeOf(wallClockSeconds);
    if (!local) return 0;
    return static_cast<std::int32_t>(DaysFromCivil(local->tm_year + 1900, static_cast<unsigned>(local->tm_mon + 1),
                                                   static_cast<unsigned>(local->tm_mday)) -
                                     DaysFromCivil(2000, 1, 1));
}

std::int32_t CalDateStampToday(const Services& services) { return CalDateStamp(WallClockSeconds(services.scheduler)); }

void BuildPowerTable(const ModeFlags& modes, const FilePlaces& files, const Services& services, CalTables& calTables, const PowerCalPoints& points, bool trace,
                     std::string* traceError) {
    TraceFile file(modes, files, trace, "pwr_tbl.ini");
    PowerCalPoints p = points;
    TracePowerCalPoints(file, files.locale, p, "Raw Power Pts");
    SortPoints(p.powerWatts, [&p](size_t i, size_t j) { std::swap(p.adReading[i], p.adReading[j]); });
    TracePowerCalPoints(file, files.locale, p, "Sorted Power Pts");

    std::array<float, 256> curve{};
    for (int a = 0; a < 256; ++a) {
        const size_t k = SegmentOf(p.adReading, a);
        float entry;
        if (p.adReading[k - 1] == p.adReading[k]) {
            entry = 7.5f;
        } else {
            entry = static_cast<float>((static_cast<double>(p.powerWatts[k]) - p.powerWatts[k - 1]) *
                                           (a - p.adReading[k - 1]) / (p.adReading[k] - p.adReading[k - 1]) +
                                       p.powerWatts[k - 1]);
        }
        if (entry < 0) entry = 0;
        if (entry > 7.5f) entry = 7.5f;
        curve[static_cast<size_t>(a)] = entry;
    }
    if (file.on()) {
        file.emptySection("Power Table");
        for (int r = 0; r < 16; ++r) {
            std::string row;
            for (size_t i = 16 * static_cast<size_t>(r); i < 16 * static_cast<size_t>(r) + 16; ++i) {
                if (i % 16) row += ",";
                row += PadInt(static_cast<long long>(RoundHalfEven(curve[i] * 10.0)), 3);
            }
            file.set("Power Table", RowKey(r), row);
        }
    }

    calTables.powerTablePresent = kTrue;
    calTables.powerTableId = CalDateStampToday(services);
    for (size_t i = 0; i < 64; ++i) {
        const float sum = curve[4 * i] + curve[4 * i + 1] + curve[4 * i + 2] + curve[4 * i + 3];
        const float tenths = sum / 4.0f * 10.0f;
        calTables.powerTable[i] = static_cast<std::int16_t>(RoundHalfEven(tenths));
    }
    if (file.on()) {
        file.emptySection("Compressed Power Table");
        for (int r = 0; r < 8; ++r)
            file.set("Compressed Power Table", RowKey(r), JoinRow(calTables.powerTable, 8 * static_cast<size_t>(r), 8, 2));
    }
    file.finish(traceError);
}

void BuildRssiTable(const ModeFlags& modes, const FilePlaces& files, const Services& services, CalTables& calTables, const RssiCalPoints& points, bool trace,
                    std::string* traceError) {
    TraceFile file(modes, files, trace, "rssi_tbl.ini");
    RssiCalPoints p = points;
    TraceRssiCalPoints(file, p, "Raw RSSI Pts");
    SortPoints(p.levelCode, [&p](size_t i, size_t j) { std::swap(p.adReading[i], p.adReading[j]); });
    TraceRssiCalPoints(file, p, "Sorted RSSI Pts");

    std::array<std::int16_t, 256> curve{};
    for (int a = 0; a < 256; ++a) {
        const size_t k = SegmentOf(p.adReading, a);
        double level;
        if (p.adReading[k - 1] == p.adReading[k]) {
            level = 85;
        } else {
            const std::int64_t product =
                std::int64_t{a - p.adReading[k - 1]} * (std::int64_t{p.levelCode[k]} - p.levelCode[k - 1]);
            level = RoundHalfEven(static_cast<double>(product) / (p.adReading[k] - p.adReading[k - 1]) + p.levelCode[k - 1]);
        }
        if (level < 0) level = 0;
        if (level > 85) level = 85;
        curve[static_cast<size_t>(a)] = static_cast<std::int16_t>(level);
    }
    if (file.on()) {
        file.emptySection("Raw RSSI Table");
        file.emptySection("RSSI Table");
        std::array<std::int16_t, 256> converted{};
        for (size_t i = 0; i < 256; ++i) converted[i] = DbmToRssiCode(curve[i]);
        for (int r = 0; r < 16; ++r) {
            file.set("Raw RSSI Table", RowKey(r), JoinRow(curve, 16 * static_cast<size_t>(r), 16, 3));
            file.set("RSSI Table", RowKey(r), JoinRow(converted, 16 * static_cast<size_t>(r), 16, 3));
        }
    }

    calTables.rssiTablePresent = kTrue;
    calTables.rssiTableId = CalDateStampToday(services);
    for (size_t i = 0; i < 64; ++i) {
        const int sum = curve[4 * i] + curve[4 * i + 1] + curve[4 * i + 2] + curve[4 * i + 3];
        const int average = static_cast<int>(RoundHalfEven(sum / 4.0));
        calTables.rssiTable[i] = DbmToRssiCode(static_cast<std::int16_t>(average));
    }
    if (file.on()) {
        file.emptySection("Compressed and Converted RSSI Table");
        for (int r = 0; r < 8; ++r)
            file.set("Compressed and Converted RSSI Table", RowKey(r),
                     JoinRow(calTables.rssiTable, 8 * static_cast<size_t>(r), 8, 3));
    }
    file.finish(traceError);
}

std::int16_t TemperatureToSensorCode(std::int16_t temperature) {
    const double code = RoundHalfEven((temperature + 62.44) / 0.858);
    if (code < 0) return 0;
    if (code > 255) return 255;
    return static_cast<std::int16_t>(code);
}

void PrepareTempCompPoints(const ModeFlags& modes, const FilePlaces& files, const SharedRecords& records, const CalTables& calTables, ProductionTestRecord& record,
                           bool trace, std::string* traceError) {
    TraceFile file(modes, files, trace, "temp_tbl.ini");
    RssiTempComp p = record.rssiTempComp;
    TraceTempCompPoints(file, p, "Raw RSSI Pts");
    // Rows of the A/D readings follow the levels, columns the temperatures.
    SortPoints(p.levelCode, [&p](size_t i, size_t j) { std::swap(p.adReading[i], p.adReading[j]); });
    SortPoints(p.temperature, [&p](size_t i, size_t j) {
        for (size_t l = 0; l < 6; ++l) std::swap(p.adReading[l][i], p.adReading[l][j]);
    });
    TraceTempCompPoints(file, p, "Sorted RSSI Pts");
    for (size_t l = 0; l < 6; ++l) {
        const int expected = RssiDbmToByte(records, calTables, record.radioType, p.levelCode[l], false);
        for (size_t t = 0; t < 6; ++t) {
            const long long delta = static_cast<long long>(expected) - p.adReading[l][t];
            if (FitsInt16(delta)) p.delta[l][t] = static_cast<std::int16_t>(delta);
        }
    }
    TraceTempCompPoints(file, p, "Delta RSSI Pts");
    record.rssiTempComp = p;
    file.finish(traceError);
}

void BuildTempCompTable(const ModeFlags& modes, const FilePlaces& files, CalTables& calTables, ProductionTestRecord& record, bool trace,
                        std::string* traceError) {
    TraceFile file(modes, files, trace, "temp_tbl.ini");
    // Sums need more room than 16 bits; every value after averaging fits again.
    WorkGrid grid{};
    WorkGrid count{};
    const RssiTempComp& p = record.rssiTempComp;
    std::array<int, 6> tempBin{};
    for (size_t t = 0; t < 6; ++t) tempBin[t] = TemperatureToSensorCode(p.temperature[t]) / 16;

    for (size_t l = 0; l < 6; ++l) {
        for (size_t t = 0; t < 6; ++t) {
            const int reading = p.adReading[l][t];
            if (reading < 0 || reading > 255) continue;  // no A/D bin outside the grid
            const size_t a = static_cast<size_t>(reading / 16);
            const size_t tb = static_cast<size_t>(tempBin[t]);
            count[a][tb] += 1;
            grid[a][tb] += p.delta[l][t];
        }
    }
    for (size_t a = 0; a < 16; ++a)
        for (size_t t = 0; t < 16; ++t)
            if (count[a][t] != 0) grid[a][t] = static_cast<int>(RoundHalfEven(static_cast<double>(grid[a][t]) / count[a][t]));
    if (file.on()) {
        file.emptySection("Incomplete Delta RSSI Temp Table");
        for (int r = 0; r < 16; ++r) file.set("Incomplete Delta RSSI Temp Table", RowKey(r), GridRow(grid, &count, r));
        file.emptySection("Columns Delta RSSI Temp Table");
    }

    for (int i = 0; i < 16; ++i) {
        const size_t row = static_cast<size_t>(i);
        for (size_t b = 0; b < 6; ++b) {
            const size_t t = static_cast<size_t>(tempBin[b]);
            int lowest = -1, highest = -1;
            for (int m = 0; m < 16; ++m) {
                if (count[static_cast<size_t>(m)][t] == 0) continue;
                if (lowest < 0) lowest = m;
                highest = m;
            }
            if (lowest < 0) continue;  // nothing measured in this column
            int lower = -1, upper = -1;
            for (int m = i; m >= 0; --m)
                if (count[static_cast<size_t>(m)][t] != 0) { lower = m; break; }
            for (int m = i + 1; m < 16; ++m)
                if (count[static_cast<size_t>(m)][t] != 0) { upper = m; break; }
            if (lower < 0) lower = upper = lowest;
            else if (upper < 0) lower = upper = highest;
            grid[row][t] = Between(i, lower, upper, grid[static_cast<size_t>(lower)][t], grid[static_cast<size_t>(upper)][t]);
            count[row][t] = 1;
        }
        if (file.on()) file.set("Columns Delta RSSI Temp Table", RowKey(i), GridRow(grid, &count, i));

        int lowest = -1, highest = -1;
        for (int m = 0; m < 16; ++m) {
            if (count[row][static_cast<size_t>(m)] == 0) continue;
            if (lowest < 0) lowest = m;
            highest = m;
        }
        if (lowest < 0) continue;  // an empty row stays as it is
        const auto known = count[row];
        const auto values = grid[row];
        for (int j = 0; j < 16; ++j) {
            int lower = -1, upper = -1;
            for (int m = j; m >= 0; --m)
                if (known[static_cast<size_t>(m)] != 0) { lower = m; break; }
            for (int m = j + 1; m < 16; ++m)
                if (known[static_cast<size_t>(m)] != 0) { upper = m; break; }
            if (lower < 0) lower = upper = lowest;
            else if (upper < 0) lower = upper = highest;
            grid[row][static_cast<size_t>(j)] =
                Between(j, lower, upper, values[static_cast<size_t>(lower)], values[static_cast<size_t>(upper)]);
        }
    }
    if (file.on()) {
        file.emptySection("Delta RSSI Temp Table");
        for (int r = 0; r < 16; ++r) file.set("Delta RSSI Temp Table", RowKey(r), GridRow(grid, nullptr, r));
    }

    calTables.rssiTempTablePresent = kTrue;
    calTables.rssiTempTableId = p.tableId;
    TempCompGrid packed{};
    for (size_t a = 0; a < 16; ++a)
        for (size_t t = 0; t < 16; ++t) {
            const int v = grid[a][t];
            packed[a][t] = static_cast<std::int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
        }
    PackTempCompTable(modes, files, packed, calTables, record, trace);
    file.finish(traceError);
}

void PackTempCompTable(const ModeFlags& modes, const FilePlaces& files, const TempCompGrid& grid, CalTables& calTables,
                       ProductionTestRecord& record, bool trace, std::string* traceError) {
    TraceFile file(modes, files, trace, "temp_tbl.ini");
    TempCompGrid g = grid;
    for (auto& row : g)
        for (auto& cell : row) cell = static_cast<std::int16_t>(cell < -128 ? -128 : cell > 127 ? 127 : cell);
    auto& table = calTables.rssiTempTable;
    for (auto& row : table) row.fill(0);
    if (file.on()) {
        file.emptySection("RSSI Temp Table");
        for (int r = 0; r < 16; ++r) file.set("RSSI Temp Table", RowKey(r), HexRow(g[static_cast<size_t>(r)]));
    }
    auto clampStep = [](int d) { return d < -7 ? -7 : d > 7 ? 7 : d; };
    for (size_t y = 0; y < 8; ++y) {
        const size_t t = y + 2;
        int r = g[0][t];
        table[7][y] = static_cast<std::int16_t>(r & 0xFF);
        for (size_t x = 0; x < 7; ++x) {
            const int d1 = clampStep(g[2 * x][t] - r);
            r += d1;
            const int d2 = clampStep(g[2 * x][t + 1] - r);
            r += d2;
            table[x][y] = static_cast<std::int16_t>((d1 & 15) * 16 + (d2 & 15));
        }
    }
    table[6][7] = 2;
    record.rssiTempComp.compressedTable = table;
    if (file.on()) {
        file.emptySection("Compressed RSSI Temp Table");
        for (size_t x = 0; x < 8; ++x) file.set("Compressed RSSI Temp Table", RowKey(static_cast<int>(x)), HexRow(table[x]));
    }
    file.finish(traceError);
}

void ClearCalibrationTable(CalTables& calTables, std::int16_t kind) {
    switch (kind) {
    case clearRssiTable:
        calTables.rssiTablePresent = kFalse;
        calTables.rssiTableId = 0;
        calTables.rssiTable.fill(0);
        break;
    case clearTempCompTable:
        calTables.rssiTempTablePresent = kFalse;
        calTables.rssiTempTableId = 0;
        for (auto& row : calTables.rssiTempTable) row.fill(0);
        break;
    case clearPowerTable:
        calTables.powerTablePresent = kFalse;
        calTables.powerTableId = 0;
        calTables.powerTable.fill(0);
        break;
    default:
        break;
    }
}

}  // namespace k45
