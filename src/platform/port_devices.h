#pragma once
// Which device file each port number ("Com1".."Com32") opens. One map serves every mode: it is
// kept in section "Com Port Devices" of the settings file in the program folder, also in
// production mode, whose other settings live in the user's configuration folder.
#include <map>
#include <string>

#include "platform/places.h"

namespace k45 {

inline constexpr const char* kComPortDevicesSection = "Com Port Devices";
inline constexpr int kMaxComPort = 32;

// The file that holds the map: K45MR.ini in the program folder.
std::string PortDeviceMapFile(const Places& places);
// The device a port number opens without an entry: /dev/ttyS<n-1>.
std::string DefaultPortDevice(int portNumber);
// The device port n opens: key "Com<n>" of the map, else the default.
std::string MappedPortDevice(const std::string& mapFile, int portNumber);
// The device of every port number 1..32, read in one pass.
std::map<int, std::string> ReadPortDeviceMap(const std::string& mapFile);
// Writes the given entries in one atomic write (inside a batch of the same file, into the batch);
// an empty path stands for the default device. False with the reason when the file could not be
// written.
[[nodiscard]] bool WritePortDevices(const std::string& mapFile, const std::map<int, std::string>& devices,
                                    std::string* error);
// Whether a device file can be opened as a port, as far as the file system tells before an open.
enum class PortDeviceState {
    Present,       // a character device this user may read and write
    Missing,       // no such file (an unplugged adapter, a typing error)
    NoPermission,  // there, but this user may not open it
    NotADevice,    // a file or folder that is not a device
};
PortDeviceState CheckPortDevice(const std::string& path);

// Writes an entry for each of the port numbers the map does not name yet (the device it opens
// now), so the section is there to be read and edited. False with the reason on a failed write.
[[nodiscard]] bool AddMissingPortDevices(const std::string& mapFile, const std::initializer_list<int>& portNumbers,
                                         std::string* error);

}  // namespace k45
