#include "programming/editor_rate_lists.h"

namespace k45 {

const char* const kDataFormatEntries[4] = {"8 Bits, 1 Stop", "8 Bits, 2 Stop", "9 Bits, 1 Stop", "9 Bits, 2 Stop"};
const char* const kNetworkTypeEntries[3] = {"K-45M/VX5180", "Crystal", "K-45MR Native"};
const char* const kBandwidthEntries[2] = {"Full (25.00 kHz)", "Half (12.50 kHz)"};

namespace {
std::vector<std::string> NetworkEntries() {
    return {kNetworkTypeEntries[0], kNetworkTypeEntries[1], kNetworkTypeEntries[2]};
}
}  // namespace

RateListContent WidestRateLists() {
    RateListContent c;
    c.baudRates = {"4800", "9600", "19200", "XXXXX"};
    c.dataTypes = {"Enhanced", "Compatible"};
    c.networkTypes = NetworkEntries();
    c.networkTypeEnabled = true;
    return c;
}

RateListContent RateListsFor(std::int16_t model, int networkTypePosition, std::int32_t bandwidthItemData) {
    RateListContent c;
    const bool half = bandwidthItemData == bandwidthHalf;
    if (model == familyPNet) {
        const bool native = networkTypePosition == networkNative;
        if (native)
            c.baudRates = half ? std::vector<std::string>{"4800", "9600"}
                               : std::vector<std::string>{"4800", "9600", "19200"};
        else
            c.baudRates = half ? std::vector<std::string>{"4800"} : std::vector<std::string>{"4800", "9600"};
        c.dataTypes = native ? std::vector<std::string>{"Enhanced Only"}
                             : std::vector<std::string>{"Enhanced", "Compatible"};
        c.networkTypes = NetworkEntries();
        c.networkTypeEnabled = true;
    } else {
        c.baudRates = half ? std::vector<std::string>{"1200", "2400", "4800"}
                           : std::vector<std::string>{"1200", "2400", "4800", "9600"};
        c.dataTypes = {"Enhanced", "Compatible"};
    }
    return c;
}

int ReselectedPosition(int notedPosition, int entryCount) {
    if (entryCount <= 0) return -1;
    const int p = notedPosition < 0 ? 0 : notedPosition;
    return p < entryCount ? p : entryCount - 1;
}

int DataFormatPosition(Flag nineDataBits, Flag twoStopBits) {
    return (IsSet(nineDataBits) ? 2 : 0) + (IsSet(twoStopBits) ? 1 : 0);
}

void ReadDataFormatPosition(int position, Flag& nineDataBits, Flag& twoStopBits) {
    nineDataBits = ToFlag(position == 2 || position == 3);
    twoStopBits = ToFlag(position == 1 || position == 3);
}

int DataTypePosition(Flag invertedData) { return IsSet(invertedData) ? 1 : 0; }

Flag InvertedDataOfPosition(int position) { return ToFlag(position != 0); }

}  // namespace k45
