#pragma once
#include <string>

namespace k45 {

// Decimal separator and negative sign of the user's LC_NUMERIC locale.
struct LocaleInfo {
    std::string decimal = ".";
    std::string minus = "-";
};

LocaleInfo ReadUserLocale();

}  // namespace k45
