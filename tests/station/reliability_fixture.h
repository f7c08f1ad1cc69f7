#pragma once
// The whole station on the headless backend against a network that starts healthy and then
// goes bad (phased_device.h): discovery runs clean, the main window comes up, and the test
// turns the faults on for the running station.

#include <memory>
#include <string>
#include <vector>

#include "app/no_error.h"
#include "app/zastavka.h"
#include "line_fixture.h"
#include "network/oll.h"
#include "phased_device.h"

namespace reliability {

using line_test::Fault;
using line_test::Network;
using platform::Micros;
using platform::Ms;
using sim::TimingMode;

constexpr Micros kMinute = Ms(60'000);
constexpr Micros kHour = 60 * kMinute;

// The boxes of one text and caption among those recorded.
inline std::vector<headless::BoxRecord> BoxesCaptioned(const std::vector<headless::BoxRecord>& boxes,
                                                        const std::string& caption) {
    std::vector<headless::BoxRecord> out;
    for (const headless::BoxRecord& b : boxes)
        if (b.caption == caption) out.push_back(b);
    return out;
}

struct StationGoingBad : ::testing::Test {
    headless::HeadlessBackend backend;
    vcl::TApplication app{backend};
    std::shared_ptr<PhasedDevice> device;

    // Starts the station on `healthy` and shows its main window; `faulty` takes over once the
    // test calls device->TurnFaultsOn().
    void Start(const sim::Scenario& healthy, const sim::Scenario& faulty) {
        ProcessImage = TProcessImage{};
        device = std::make_shared<PhasedDevice>(healthy, faulty);
        win32::RegisterVirtualDevice("COM1", device);
        app::CreateStationForms(app);
        ASSERT_TRUE(backend.RunUntil([] { return Form1->Visible(); }, Ms(200)));
    }

    // Turns the faults on and runs until the first request has met them.
    void GoBad() {
        device->TurnFaultsOn();
        ASSERT_TRUE(backend.RunUntil([this] { return device->FaultsOn(); }, Ms(60'000)));
    }

    void TearDown() override {
        PortClose();
        app::DestroyStation(app);
        win32::UnregisterVirtualDevice("COM1");
    }
};

}  // namespace reliability
