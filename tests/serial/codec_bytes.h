#pragma once
// Frames in the codec tests are written as lists of byte values; these turn them into the text
// a decoder reads and back.
#include <cstddef>
#include <string>
#include <vector>

namespace k45::test {

using Bytes = std::vector<int>;

inline std::string Wire(const Bytes& b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

inline Bytes ToBytes(const std::string& s) {
    Bytes b;
    for (char c : s) b.push_back(static_cast<unsigned char>(c));
    return b;
}

// Feeds the stream to a fresh receiver in two chunks, cut at every position in turn, and hands
// each receiver with its cut to `check`: a decoder must carry any message across the cut.
template <class Rx, class Check>
void FeedCutAtEveryPosition(const std::string& stream, Check&& check) {
    for (std::size_t i = 1; i < stream.size(); ++i) {
        Rx split;
        split.feed(stream.substr(0, i));
        split.feed(stream.substr(i));
        check(split, i);
    }
}

}  // namespace k45::test
