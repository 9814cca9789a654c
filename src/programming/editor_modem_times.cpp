#include "programming/editor_modem_times.h"

#include <array>

namespace k45 {

namespace {
using TimeArray = std::array<std::int16_t, 5> ModemParameters::*;
constexpr TimeArray kColumns[kModemTimeColumns] = {&ModemParameters::t1Time, &ModemParameters::extendedT1Time,
                                                   &ModemParameters::t2Time, &ModemParameters::extendedT2Time,
                                                   &ModemParameters::rxClampTime};
}  // namespace

std::int16_t* ModemTimeEntry(ModemParameters& record, int column, int row) {
    if (column < 0 || column >= kModemTimeColumns || row < 0 || row >= kModemTimeRows) return nullptr;
    return &(record.*kColumns[column])[static_cast<std::size_t>(row)];
}

void GiveBackModemTimes(const ModemParameters& edited, ModemParameters& target) {
    for (TimeArray column : kColumns)
        for (std::size_t row = 0; row < kModemTimeRows; ++row) (target.*column)[row] = (edited.*column)[row];
    target.txDivisorTest = edited.txDivisorTest;
    target.rxDivisorTest = edited.rxDivisorTest;
}

void CopyTimingFields(const ModemParameters& source, ModemParameters& target) {
    for (TimeArray column : kColumns) target.*column = source.*column;
    target.txDivisorTest = source.txDivisorTest;
    target.rxDivisorTest = source.rxDivisorTest;
}

}  // namespace k45
