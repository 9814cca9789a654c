#pragma once
// The parameter editor's communication lists: which baud rates, data types and network types
// a record's firmware family offers, and how the lists map to record fields. The baud-rate
// list of a family always starts with the same rates, so a stored position means one rate.
#include <cstdint>
#include <string>
#include <vector>

#include "model/records.h"

namespace k45 {

struct RateListContent {
    std::vector<std::string> baudRates;
    std::vector<std::string> dataTypes;
    std::vector<std::string> networkTypes;  // empty for families without a network type
    bool networkTypeEnabled = false;
};

// The widest content, put in before a record is shown so that every stored position up to 3
// can be selected (the fourth baud entry only holds its place until the rebuild).
RateListContent WidestRateLists();

// The lists for a family (record model), the selected network-type position and the item data
// of the selected bandwidth (1 is half bandwidth, anything else full).
RateListContent RateListsFor(std::int16_t model, int networkTypePosition, std::int32_t bandwidthItemData);

// The position to select again after a rebuild: the noted position (below 0 counts as 0) when
// the new list still has it, else the last entry; -1 for an empty list.
int ReselectedPosition(int notedPosition, int entryCount);

// Data format list: "8 Bits, 1 Stop", "8 Bits, 2 Stop", "9 Bits, 1 Stop", "9 Bits, 2 Stop".
extern const char* const kDataFormatEntries[4];
int DataFormatPosition(Flag nineDataBits, Flag twoStopBits);
// Position 1, 2 and 3 set the two flags; any other position clears both.
void ReadDataFormatPosition(int position, Flag& nineDataBits, Flag& twoStopBits);

// Data type list: position 1 ("Compatible") for inverted data, else 0.
int DataTypePosition(Flag invertedData);
Flag InvertedDataOfPosition(int position);

// Network type captions at positions 0..2.
extern const char* const kNetworkTypeEntries[3];

// Fixed entries of the channel bandwidth list (item data 0 and 1).
extern const char* const kBandwidthEntries[2];

}  // namespace k45
