#pragma once
// The station's windows on the headless backend for tests of what the display handlers make
// of the process image. The polling timers are stopped, so that nothing but the test writes
// the record; the display timers run from the moment the test starts.

#include <gtest/gtest.h>

#include <memory>
#include <span>

#include "app/station.h"
#include "console/read_write.h"
#include "network/oll.h"
#include "platform/headless/headless_backend.h"
#include "platform/vcl/format.h"
#include "platform/win32/ports.h"
#include "serial/serial_channel.h"
#include "state/process_image.h"

namespace display_test {

using platform::Ms;

// A port with nothing behind it: writes go nowhere and no reply ever comes.
class SilentDevice final : public win32::VirtualDevice {
public:
    void OnWrite(std::span<const std::uint8_t>, platform::Micros, platform::Micros) override {}
};

struct DisplayFixture : ::testing::Test {
    headless::HeadlessBackend backend;
    vcl::TApplication app{backend};
    const char separator = vcl::DecimalSeparator;

    void SetUp() override {
        vcl::DecimalSeparator = '.';
        ProcessImage = TProcessImage{};
        win32::RegisterVirtualDevice("COM1", std::make_shared<SilentDevice>());
        app::CreateStationForms(app);
        Form1->Timer2->SetEnabled(false);
        Form1->Timer3->SetEnabled(false);
        for (vcl::TTimer* t : {Form1->Timer1, Form1->Timer4, Form4->Timer1}) {
            t->SetEnabled(false);
            t->SetEnabled(true);
        }
        // Whatever start-up left in the record, each test begins from the initial values.
        const win32::HANDLE port = ProcessImage.ComHandle;
        ProcessImage = TProcessImage{};
        ProcessImage.ComHandle = port;
        backend.ClearBoxes();
    }

    void TearDown() override {
        PortClose();
        app::DestroyStation(app);
        win32::UnregisterVirtualDevice("COM1");
        vcl::DecimalSeparator = separator;
    }

    // One run of the value display (and ten of the fast display timer).
    void RunValueDisplay() { backend.RunFor(Ms(2000)); }
    // One run of the fast display timer.
    void RunFastDisplay() { backend.RunFor(Ms(200)); }
};

}  // namespace display_test
