#pragma once
// The calibration tables of CalTables: the power table, the RSSI table and the RSSI
// temperature-compensation table, their builders and the clearing of a table.
//
// Every builder takes a trace flag: with it and modes.debugTest both set it writes its debug trace
// (pwr_tbl.ini, rssi_tbl.ini, temp_tbl.ini in files.places.tempFolder), each call as one batch
// written once. The table is built whether or not the trace could be written; a failed trace
// write is told through *traceError when given.
//
// The 8 x 8 tables CalTables::rssiTempTable and RssiTempComp::compressedTable are indexed
// [x][y]: y = 0..7 is the column (temperature bin y + 2), x = 0..6 its step bytes, x = 7 its
// start byte.
#include <array>
#include <cstdint>
#include <string>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// Whole days from 2000-01-01 to the local date of a wall-clock time (seconds since 1970 UTC).
std::int32_t CalDateStamp(std::int64_t wallClockSeconds);
// Today's stamp, from services.scheduler (the system clock when there is none).
std::int32_t CalDateStampToday(const Services& services);

// Power table from five (watts, A/D) points in any order; sets powerTablePresent, powerTableId
// and the 64 entries (tenths of a watt, 0..75). The caller's points are not changed.
void BuildPowerTable(const ModeFlags& modes, const FilePlaces& files, const Services& services, CalTables& calTables, const PowerCalPoints& points, bool trace,
                     std::string* traceError = nullptr);

// RSSI table from six (level code, A/D) points in any order; sets rssiTablePresent, rssiTableId
// and the 64 entries (-dBm, 45..130).
void BuildRssiTable(const ModeFlags& modes, const FilePlaces& files, const Services& services, CalTables& calTables, const RssiCalPoints& points, bool trace,
                    std::string* traceError = nullptr);

// The temperature sensor code (0..255) of a temperature in degrees C.
std::int16_t TemperatureToSensorCode(std::int16_t temperature);

// Sorts the levels and temperatures of record.rssiTempComp ascending (the readings move with
// them) and sets each delta to the reading the RSSI conversion expects for the level (through
// calTables, else the default curve of record.radioType) minus the reading measured.
void PrepareTempCompPoints(const ModeFlags& modes, const FilePlaces& files, const SharedRecords& records, const CalTables& calTables, ProductionTestRecord& record,
                           bool trace, std::string* traceError = nullptr);

// Grid of deltas indexed [A/D bin 0..15][temperature bin 0..15].
using TempCompGrid = std::array<std::array<std::int16_t, 16>, 16>;

// Spreads the deltas of record.rssiTempComp over the 16 x 16 grid, fills it, and packs it into
// calTables.rssiTempTable (present, stamped with the points' tableId) and
// record.rssiTempComp.compressedTable. Points whose reading lies outside 0..255 are left out.
void BuildTempCompTable(const ModeFlags& modes, const FilePlaces& files, CalTables& calTables, ProductionTestRecord& record, bool trace,
                        std::string* traceError = nullptr);

// The packing step of BuildTempCompTable: writes calTables.rssiTempTable and
// record.rssiTempComp.compressedTable from a filled grid (flags and stamp are not touched).
void PackTempCompTable(const ModeFlags& modes, const FilePlaces& files, const TempCompGrid& grid, CalTables& calTables,
                       ProductionTestRecord& record, bool trace, std::string* traceError = nullptr);

enum ClearTableKind : std::int16_t { clearRssiTable = 0, clearTempCompTable = 1, clearPowerTable = 2 };

// Clears one table (flag False, stamp 0, entries 0); any other kind changes nothing.
void ClearCalibrationTable(CalTables& calTables, std::int16_t kind);

}  // namespace k45
