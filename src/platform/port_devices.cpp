#include "platform/port_devices.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/profile.h"
#include "version_info.h"

namespace k45 {
namespace {

std::string Key(int portNumber) { return "Com" + std::to_string(portNumber); }

// The document of a batch of the file, or the file read now; nothing when it cannot be read.
struct MapDocument {
    IniDocument own;
    IniDocument* doc = nullptr;
    std::string error;
    explicit MapDocument(const std::string& path) {
        doc = ProfileBatch::find(path);
        if (doc) return;
        if (own.load(path, &error)) doc = &own;
    }
};

}  // namespace

std::string PortDeviceMapFile(const Places& places) {
    return JoinPath(places.programFolder, std::string(version::programTitle) + ".ini");
}

std::string DefaultPortDevice(int portNumber) { return "/dev/ttyS" + std::to_string(portNumber - 1); }

std::string MappedPortDevice(const std::string& mapFile, int portNumber) {
    const std::string path = ProfileRead(mapFile, kComPortDevicesSection, Key(portNumber), "");
    return path.empty() ? DefaultPortDevice(portNumber) : path;
}

std::map<int, std::string> ReadPortDeviceMap(const std::string& mapFile) {
    MapDocument file(mapFile);
    std::map<int, std::string> map;
    for (int n = 1; n <= kMaxComPort; ++n) {
        const std::string path = file.doc ? file.doc->get(kComPortDevicesSection, Key(n), "") : std::string();
        map[n] = path.empty() ? DefaultPortDevice(n) : path;
    }
    return map;
}

PortDeviceState CheckPortDevice(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return errno == EACCES ? PortDeviceState::NoPermission : PortDeviceState::Missing;
    if (!S_ISCHR(st.st_mode)) return PortDeviceState::NotADevice;
    if (::access(path.c_str(), R_OK | W_OK) != 0) return PortDeviceState::NoPermission;
    return PortDeviceState::Present;
}

bool WritePortDevices(const std::string& mapFile, const std::map<int, std::string>& devices, std::string* error) {
    if (devices.empty()) return true;
    if (IniDocument* batch = ProfileBatch::find(mapFile)) {
        for (const auto& [n, path] : devices) batch->set(kComPortDevicesSection, Key(n), path);
        return true;
    }
    IniDocument doc;
    if (!doc.load(mapFile, error)) return false;
    for (const auto& [n, path] : devices) doc.set(kComPortDevicesSection, Key(n), path);
    return doc.save(mapFile, error);
}

bool AddMissingPortDevices(const std::string& mapFile, const std::initializer_list<int>& portNumbers,
                           std::string* error) {
    MapDocument file(mapFile);
    if (!file.doc) {
        if (error) *error = file.error;
        return false;
    }
    std::map<int, std::string> missing;
    for (int n : portNumbers)
        if (n >= 1 && n <= kMaxComPort && !file.doc->get(kComPortDevicesSection, Key(n)))
            missing[n] = DefaultPortDevice(n);
    return WritePortDevices(mapFile, missing, error);
}

}  // namespace k45
