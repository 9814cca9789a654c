#pragma once
// How a failed check shows a step or a test: by the number the engineering display shows.
// Every test file that compares steps or tests includes it, so all of them print alike.
#include <ostream>

#include "tuning/tune_steps.h"

namespace k45 {

inline void PrintTo(TuneStep step, std::ostream* os) { *os << "step " << StepNumber(step); }
inline void PrintTo(TuneTest test, std::ostream* os) {
    if (test == TuneTest::None) *os << "no test";
    else *os << "test " << TestNumber(test);
}

}  // namespace k45
