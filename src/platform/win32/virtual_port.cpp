#include "platform/win32/virtual_port.h"

#include <algorithm>
#include <vector>

#include "platform/win32/read_timeouts.h"
#include "platform/win32/termios_dcb.h"

namespace win32 {

namespace {

platform::VirtualClock* MovableClock() {
    return dynamic_cast<platform::VirtualClock*>(&platform::CurrentClock());
}

// The next injected failure of a queue, or ERROR_SUCCESS when none is left.
DWORD NextFault(std::deque<DWORD>& faults) {
    if (faults.empty()) return ERROR_SUCCESS;
    const DWORD code = faults.front();
    faults.pop_front();
    return code;
}

}  // namespace

DWORD VirtualOpen(VirtualDevice& device) {
    if (device.faults.open) return *device.faults.open;
    if (device.isOpen) return ERROR_ACCESS_DENIED;  // as a second open of a COM port
    device.isOpen = true;
    device.OnOpen();
    return ERROR_SUCCESS;
}

void VirtualClose(VirtualDevice& device) {
    device.isOpen = false;
    device.OnClose();
}

DWORD VirtualGetState(VirtualDevice& device, DCB& dcb) {
    if (device.faults.getCommState) return *device.faults.getCommState;
    dcb = DCB{};
    dcb.BaudRate = device.line.baudRate;
    dcb.ByteSize = device.line.byteSize;
    dcb.Parity = device.line.parity;
    dcb.StopBits = device.line.stopBits;
    return ERROR_SUCCESS;
}

DWORD VirtualSetState(VirtualDevice& device, const DCB& dcb) {
    if (device.faults.setCommState) return *device.faults.setCommState;
    if (dcb.BaudRate == 0) return ERROR_INVALID_PARAMETER;
    if (const DWORD e = CheckLineFields(dcb); e != ERROR_SUCCESS) return e;
    device.line = LineSettings{dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits};
    device.OnSettings(device.line);
    return ERROR_SUCCESS;
}

DWORD VirtualSetTimeouts(VirtualDevice& device, const COMMTIMEOUTS& timeouts) {
    if (device.faults.setCommTimeouts) return *device.faults.setCommTimeouts;
    device.timeouts = timeouts;
    return ERROR_SUCCESS;
}

DWORD VirtualRead(VirtualDevice& device, const COMMTIMEOUTS& timeouts, std::uint8_t* buffer, DWORD count,
                  DWORD& got) {
    got = 0;
    if (const DWORD e = NextFault(device.faults.reads); e != ERROR_SUCCESS) return e;
    auto& pending = device.Pending();
    platform::VirtualClock* clock = MovableClock();
    const platform::Micros now = platform::CurrentClock().Now();
    std::size_t take = 0;
    platform::Micros end = now;
    if (clock) {
        std::vector<platform::Micros> arrivals;
        arrivals.reserve(std::min<std::size_t>(pending.size(), count));
        for (const auto& b : pending) {
            if (arrivals.size() == count) break;
            arrivals.push_back(b.arrival);
        }
        const ReadPlan plan = PlanRead(LimitsFor(timeouts, count), count, now, arrivals);
        take = plan.taken;
        end = plan.end;
    } else {
        while (take < pending.size() && take < count && pending[take].arrival <= now) ++take;
    }
    for (std::size_t i = 0; i < take; ++i) {
        buffer[i] = pending.front().value;
        pending.pop_front();
    }
    got = static_cast<DWORD>(take);
    if (clock) clock->AdvanceTo(end);
    return ERROR_SUCCESS;
}

DWORD VirtualWrite(VirtualDevice& device, const std::uint8_t* bytes, DWORD count, DWORD& written) {
    written = 0;
    if (const DWORD e = NextFault(device.faults.writes); e != ERROR_SUCCESS) return e;
    const platform::Micros start = platform::CurrentClock().Now();
    const platform::Micros charTime = CharacterTime(device.line);
    device.OnWrite(std::span<const std::uint8_t>(bytes, count), start, charTime);
    written = count;
    if (platform::VirtualClock* clock = MovableClock()) clock->AdvanceTo(start + charTime * count);
    return ERROR_SUCCESS;
}

}  // namespace win32
