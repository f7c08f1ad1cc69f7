#include "exchange_run.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/headless/headless_backend.h"
#include "platform/win32/ports.h"
#include "protocol/decoders.h"
#include "protocol/frames.h"
#include "serial/serial_channel.h"

namespace exchange {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Copy(std::span<const std::uint8_t> frame) { return Bytes(frame.begin(), frame.end()); }

// Discovery has run: controllers 3 and 5 on the network, 5 in service, four loops, eight inputs in
// group A and twelve analog ones in group B, every value polled at least once.
void Polled(TProcessImage& pi) {
    pi.ControllerNo = 5;
    pi.NetMapLo = 0x14;
    pi.NetNode[3] = 1;
    pi.NetNode[5] = 1;
    pi.CountA = 8;
    pi.CountB = 12;
    pi.LoopCount = 4;
    const int states[] = {1, 32, 31, 2};
    for (int k = 1; k <= 4; ++k) {
        pi.LoopState[k] = states[k - 1];
        pi.LoopSetpoint[k] = 1000 + 100 * k;
        pi.LoopUstavka[k] = 200 + 25 * k;
    }
    pi.GroupBKind = 1;
    for (int k = 1; k <= 8; ++k) {
        pi.InputA[k] = 100 * k;
        pi.InputB[k] = 50 * k;
    }
    for (int k = 9; k <= 12; ++k) pi.InputBUpper[k] = 50 * k;
    pi.StartupDone = 1;
    pi.NoReplyCount = 3;
    pi.Scale = 5.0f;
}

// Discovery under way: BusyMode 10, the probe answered.
void Discovering(TProcessImage& pi) {
    pi.BusyMode = 10;
    pi.ControllerNo = 5;
    pi.NetMapLo = 0x14;
    pi.NetNode[3] = 1;
    pi.NetNode[5] = 1;
    pi.Scale = 5.0f;
}

const std::vector<Role> kRoles = {
    {"probe", [](TProcessImage& pi) { pi.BusyMode = 10; pi.Scale = 5.0f; },
     [](TProcessImage& pi) { return Copy(protocol::GatewayProbe(pi)); }, 28, protocol::Nastrojka},
    {"loop-state-read", Discovering, [](TProcessImage& pi) { return Copy(protocol::BuildLoopState(pi, 2)); }, 28,
     protocol::Nastrojka},
    {"count-a",
     [](TProcessImage& pi) {
         Discovering(pi);
         pi.LoopState[1] = 1;
         pi.LoopState[2] = 2;
     },
     [](TProcessImage& pi) { return Copy(protocol::BuildReadInput(pi, protocol::kGroupA, 8)); }, 23,
     protocol::Nastrojka},
    {"count-b",
     [](TProcessImage& pi) {
         Discovering(pi);
         pi.CountA = 5;
         pi.DiscoveringB = 1;
         pi.CountB = 15;
     },
     [](TProcessImage& pi) { return Copy(protocol::BuildReadInput(pi, protocol::kGroupB, 15)); }, 23,
     protocol::Nastrojka},
    {"group-b-kind",
     [](TProcessImage& pi) {
         Discovering(pi);
         pi.DiscoveringB = 1;
         pi.CountB = 12;
     },
     [](TProcessImage& pi) { return Copy(protocol::BuildReadInput(pi, protocol::kGroupB, 1)); }, 23,
     protocol::Sortirovka_Buf},
    {"poll", Polled, [](TProcessImage& pi) { return Copy(protocol::BuildReadInput(pi, protocol::kGroupA, 3)); },
     23, protocol::Sortirovka_Buf},
    {"loop-state-poll",
     [](TProcessImage& pi) {
         Polled(pi);
         pi.BusyMode = 1;
     },
     [](TProcessImage& pi) { return Copy(protocol::BuildLoopState(pi, 2)); }, 28, protocol::Nastrojka},
    {"write",
     [](TProcessImage& pi) {
         Polled(pi);
         pi.BusyMode = 10;
         pi.WriteRetryBias = 6;
     },
     [](TProcessImage& pi) { return Copy(protocol::BuildWriteParam(pi, 7, 4, 50, pi.WriteRetryBias)); }, 28,
     protocol::Nastrojka},
    {"read-back",
     [](TProcessImage& pi) {
         Polled(pi);
         pi.BusyMode = 1;
     },
     [](TProcessImage& pi) { return Copy(protocol::BuildReadParam(pi, 7, 4)); }, 28, protocol::Sortirovka_Buf},
    {"loop-command",
     [](TProcessImage& pi) {
         Polled(pi);
         pi.BusyMode = 10;
     },
     [](TProcessImage& pi) {
         const auto frame = protocol::BuildLoopCommand(pi, 2);
         return Bytes(frame.begin(), frame.end());
     },
     28, protocol::Nastrojka},
};

// The far end of COM1: it takes the requests and sends only what the run gives it.
struct FarEnd : win32::VirtualDevice {
    void OnWrite(std::span<const std::uint8_t>, Micros, Micros) override {}
};

}  // namespace

const std::vector<Role>& Roles() { return kRoles; }

const Role& RoleNamed(const char* name) {
    for (const Role& r : kRoles)
        if (std::string(r.name) == name) return r;
    throw std::invalid_argument(std::string("no role ") + name);
}

Run RunExchanges(const Role& role, const TProcessImage& start, const std::vector<Chunk>& chunks, int maxExchanges) {
    headless::HeadlessBackend backend;
    vcl::TApplication app{backend};
    backend.VClock().AdvanceTo(platform::Ms(1000));
    auto device = std::make_shared<FarEnd>();
    win32::RegisterVirtualDevice(serial::kPortName, device);

    ProcessImage = start;
    PortOpen();

    Run run;
    std::memcpy(run.earlier.data(), ProcessImage.RxBuf, 30);
    Micros lastArrival = 0;
    std::size_t next = 0;
    bool last = false;
    for (int e = 0; e < maxExchanges; ++e) {
        // One exchange more once everything sent has been read: it reads nothing.
        if (next >= chunks.size() && device->Pending().empty()) {
            if (last) break;
            last = true;
        }

        TProcessImage& pi = ProcessImage;
        const Bytes request = role.request(pi);
        Exchange x{pi, {}, {}, {}, {}, {}};

        // The far end's bytes for this exchange, timed from its read call.
        const Micros readCall = backend.Now() + kCharTime * static_cast<Micros>(request.size());
        for (; next < chunks.size() && chunks[next].exchange <= e; ++next) {
            const Chunk& c = chunks[next];
            Micros t = readCall + c.lead;
            for (std::uint8_t b : c.bytes) {
                t = std::max(t, lastArrival);
                device->DeliverAt(b, t);
                run.line.push_back(b);
                lastArrival = t;
                t += c.spacing;
            }
        }
        Bytes waiting;
        for (const auto& b : device->Pending()) waiting.push_back(b.value);

        PortWrite(request.data(), static_cast<std::uint32_t>(request.size()));
        std::memset(pi.RxBuf, 0, static_cast<std::size_t>(role.cleared));
        std::memcpy(x.cleared.data(), pi.RxBuf, 30);
        PortRead(pi.RxBuf, 30);
        std::memcpy(x.received.data(), pi.RxBuf, 30);
        const std::size_t got = waiting.size() - device->Pending().size();
        x.fresh.assign(waiting.begin(), waiting.begin() + static_cast<std::ptrdiff_t>(got));

        protocol_test::RecordingWindows windows;
        role.decode(pi, windows);
        x.after = pi;
        x.calls = std::move(windows.calls);
        run.exchanges.push_back(std::move(x));
    }

    run.unread = device->Pending().size();
    run.serialBoxes = static_cast<int>(backend.Boxes().size());
    PortClose();
    ProcessImage.ComHandle = win32::INVALID_HANDLE_VALUE;
    win32::UnregisterVirtualDevice(serial::kPortName);
    return run;
}

}  // namespace exchange
