#include "platform/win32/ports.h"

#include <algorithm>
#include <map>

namespace win32 {

namespace {
std::map<std::string, std::string>& PortPaths() {
    static std::map<std::string, std::string> paths;
    return paths;
}
std::map<std::string, std::shared_ptr<VirtualDevice>>& VirtualDevices() {
    static std::map<std::string, std::shared_ptr<VirtualDevice>> devices;
    return devices;
}
}  // namespace

void SetPortPath(const std::string& portName, const std::string& devicePath) {
    PortPaths()[portName] = devicePath;
}

std::string PortPath(const std::string& portName) {
    if (auto it = PortPaths().find(portName); it != PortPaths().end()) return it->second;
    if (portName.size() > 3 && portName.compare(0, 3, "COM") == 0) {
        const int n = std::atoi(portName.c_str() + 3);
        if (n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
    }
    return portName;
}

platform::Micros CharacterTime(const LineSettings& line) {
    if (line.baudRate == 0) return 0;
    const int parityBits = line.parity == NOPARITY ? 0 : 1;
    // 1.5 stop bits counted as 2: whole bit times are what a byte's slot on the line costs.
    const int stopBits = line.stopBits == ONESTOPBIT ? 1 : 2;
    const int bits = 1 + line.byteSize + parityBits + stopBits;
    return (static_cast<platform::Micros>(bits) * 1'000'000 + line.baudRate / 2) / line.baudRate;
}

void VirtualDevice::Deliver(std::span<const std::uint8_t> bytes, platform::Micros firstArrival,
                            platform::Micros gap) {
    platform::Micros t = firstArrival;
    for (std::uint8_t b : bytes) {
        DeliverAt(b, t);
        t += gap;
    }
}

void VirtualDevice::DeliverAt(std::uint8_t byte, platform::Micros arrival) {
    // Kept in arrival order; bytes arriving at the same moment keep the order they were given.
    auto it = std::upper_bound(pending_.begin(), pending_.end(), arrival,
                               [](platform::Micros t, const TimedByte& b) { return t < b.arrival; });
    pending_.insert(it, TimedByte{arrival, byte});
}

void RegisterVirtualDevice(const std::string& portName, std::shared_ptr<VirtualDevice> device) {
    VirtualDevices()[portName] = std::move(device);
}

void UnregisterVirtualDevice(const std::string& portName) { VirtualDevices().erase(portName); }

std::shared_ptr<VirtualDevice> FindVirtualDevice(const std::string& portName) {
    auto it = VirtualDevices().find(portName);
    return it == VirtualDevices().end() ? nullptr : it->second;
}

}  // namespace win32
