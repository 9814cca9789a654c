#include "wiring/startup.h"

#include <algorithm>
#include <cstdint>

#include "base/utilities.h"

namespace k45 {

std::vector<std::string> SplitCommandLineWords(const std::string& commandLine) {
    std::vector<std::string> words;
    size_t pos = 0;
    while (pos < commandLine.size()) {
        while (pos < commandLine.size() && commandLine[pos] == ' ') ++pos;
        if (pos >= commandLine.size()) break;
        size_t end = commandLine.find(' ', pos);
        if (end == std::string::npos) end = commandLine.size();
        words.push_back(commandLine.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

std::string CommandLineText(const std::vector<std::string>& arguments) {
    std::string text;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i) text += ' ';
        text += arguments[i];
    }
    return text;
}

void ApplyCommandLineWords(ModeFlags& modes, const std::string& commandLine) {
    for (const std::string& word : SplitCommandLineWords(commandLine)) {
        if (word == "/FieldTest" || word == "-FieldTest") {
            modes.debugTest = false;
            modes.engineerMode = false;
            modes.productionMode = false;
        } else if (word == "/DebugTest" || word == "-DebugTest") {
            if (modes.engineerMode) modes.debugTest = true;
        } else if (word == "/ProductionTest" || word == "-ProductionTest") {
            if (modes.engineerMode) {
                modes.engineerMode = false;
                modes.productionMode = true;
            }
        }
    }
}

void SetModeFlags(ModeFlags& modes, bool engineeringBuild, const std::string& commandLine) {
    modes.debugTest = false;
    modes.productionMode = false;
    // The delivered engineering configuration is the only way engineerMode comes on.
    modes.engineerMode = engineeringBuild;
    ApplyCommandLineWords(modes, commandLine);
}

std::string MakePartNumberText(const std::string& partNumber, const ModeFlags& modes) {
    const char mode = modes.engineerMode ? '#' : (modes.productionMode ? '1' : '0');
    return partNumber + mode;
}

std::string RevisionText(int major, int minor, int revision) {
    auto two = [](int v) {
        std::string s = std::to_string(v);
        return (v >= 0 && v < 10) ? "0" + s : s;
    };
    return "Revision " + std::to_string(major) + "." + two(minor) + "." + two(revision);
}

std::string NextTestNumberText(const std::string& panelText) {
    size_t pos = 0;
    while (pos < panelText.size() && panelText[pos] == ' ') ++pos;
    bool negative = false;
    if (pos < panelText.size() && (panelText[pos] == '-' || panelText[pos] == '+')) {
        negative = panelText[pos] == '-';
        ++pos;
    }
    std::int64_t n = 0;
    // Capped well below overflow: the counter never gets near it, but the text is not ours alone.
    constexpr std::int64_t kCap = 999999999999LL;
    while (pos < panelText.size() && panelText[pos] >= '0' && panelText[pos] <= '9') {
        if (n < kCap) n = std::min(kCap, n * 10 + (panelText[pos] - '0'));
        ++pos;
    }
    if (negative) n = -n;
    return std::to_string(n + 1);
}

std::string ComPortsText(int primaryPort, int secondaryPort) {
    return "Com" + std::to_string(primaryPort) + " / Com" + std::to_string(secondaryPort);
}

std::string DefaultDataFileName(const FilePlaces& files) {
    return JoinPath(files.places.programFolder, "default.dat");
}

std::string DefaultTestFileName(const FilePlaces& files) {
    return JoinPath(files.places.programFolder, "default.tst");
}

}  // namespace k45
