#include "soak.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "app/no_error.h"
#include "app/station.h"
#include "app/zagruzka.h"
#include "app/zastavka.h"
#include "console/read_write.h"
#include "memory.h"
#include "network/oll.h"
#include "platform/headless/headless_backend.h"
#include "platform/win32/ports.h"
#include "serial/serial_channel.h"
#include "soak_network.h"
#include "state/process_image.h"
#include "station/phased_device.h"

namespace soak {

namespace {

using platform::Micros;
using platform::Ms;

constexpr Micros kMinute = Ms(60'000);
constexpr Micros kHour = 60 * kMinute;
constexpr Micros kCheckEvery = 10 * kMinute;
constexpr std::size_t kFindingsKept = 20;
// The live heap after the warm-up may lie this far above its highest in the warm-up: room for
// the record of values sent to fill in, not for a leak of a few bytes per exchange.
constexpr std::size_t kHeapSlack = 64 * 1024;

// The boxes of the serial channel, which it counts: at most nine of them in one run.
const std::vector<std::string> kChannelCaptions = {
    "Ошибка->GetLastError(Возможно Сом порт не подключен, или обрыв лин. связи ",
    "Не могу отправить байт",
    "Дважды открываешь СОМ порт",
    "Не могу получить данные с Ремиконта",
};

double Seconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Ends the process when the run makes no progress: a hang would otherwise hold CI until its
// time-out without a word on where it stood.
class Watchdog {
public:
    explicit Watchdog(double stallSeconds) : thread_([this, stallSeconds] { Watch(stallSeconds); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void Progress(Micros virtualTime) {
        virtualTime_ = virtualTime;
        ++beats_;
    }

private:
    void Watch(double stallSeconds) {
        using Clock = std::chrono::steady_clock;
        long seen = -1;
        Clock::time_point since = Clock::now();
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_; })) {
            if (const long beats = beats_; beats != seen) {
                seen = beats;
                since = Clock::now();
            } else if (std::chrono::duration<double>(Clock::now() - since).count() > stallSeconds) {
                std::fprintf(stderr, "soak: no progress for %.0f s of wall time at %.3f virtual hours: hung\n",
                             stallSeconds, static_cast<double>(virtualTime_.load()) / static_cast<double>(kHour));
                std::abort();
            }
        }
    }

    std::atomic<long> beats_ = 0;
    std::atomic<Micros> virtualTime_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;  // last: it starts once the rest is ready
};

class Soak {
public:
    explicit Soak(const Options& options) : o_(options), rng_(options.seed * 0x9E3779B97F4A7C15ull + 1) {}
    Report Run();

private:
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    Micros AnswerAfter();
    void Count(const sim::LoggedFrame& frame);
    void Operate();
    void WriteParameter();
    void SwitchLoop();
    void Plant();
    void InjectPortFaults();
    void Check();
    void CheckImage();
    void TallyBoxes();
    void Finding(const std::string& what);

    Options o_;
    std::mt19937_64 rng_;
    Report r_;
    headless::HeadlessBackend* backend_ = nullptr;
    vcl::TApplication* app_ = nullptr;
    std::shared_ptr<reliability::PhasedDevice> device_;
    std::map<std::pair<int, int>, bool> filled_;  // by field and index: seen away from its start value
};

void Soak::Finding(const std::string& what) {
    ++r_.findingCount;
    const double at = backend_ ? static_cast<double>(backend_->Now()) / static_cast<double>(kHour) : 0;
    char when[32];
    std::snprintf(when, sizeof when, "[%.3f h] ", at);
    // The first ones, and the last (which may be one of the run's end).
    if (r_.findings.size() == kFindingsKept) r_.findings.pop_back();
    r_.findings.push_back(when + what);
}

// Half the boxes are closed within seconds, most others within a minute, some after minutes;
// now and then the operator is away for an hour or so while boxes pile up over the first.
Micros Soak::AnswerAfter() {
    const int kind = Uniform(0, 999);
    if (kind < 500) return Ms(Uniform(0, 5'000));
    if (kind < 900) return Ms(Uniform(5'000, 60'000));
    if (kind < 970) return Ms(Uniform(60'000, 600'000));
    return Ms(Uniform(20, 90) * 60'000);
}

void Soak::Count(const sim::LoggedFrame& frame) {
    if (frame.direction == sim::LoggedFrame::Direction::Reply) {
        ++r_.replies;
        return;
    }
    ++r_.requests;
    for (sim::FaultType f : frame.faults) ++r_.faults[sim::FaultName(f)];
}

// The operator at the console, between two stretches of the message loop (never while a box
// is open: the boxes are modal to every window).
void Soak::Operate() {
    if (Chance(0.03)) WriteParameter();
    if (Chance(0.02)) SwitchLoop();
    if (Chance(0.005)) {
        Form1->Shkala->Click();
        Form1->ListBox1->ClickItem(Uniform(0, 2));
        ++r_.operatorActions["scale"];
    }
    if (Chance(0.005)) {
        Form1->Button1->Click();
        ++r_.operatorActions["network window"];
    }
    if (Form4->Visible() && Chance(0.05)) Form4->Close();
    if (Form2->Visible() && Chance(0.2)) {
        Form2->Image1->Click();
        ++r_.operatorActions["no-answer window closed"];
    }
    if (Form3->Visible() && Chance(0.3)) {
        Form3->RxGIFAnimator1->Click();
        ++r_.operatorActions["command window closed"];
    }
}

void Soak::WriteParameter() {
    std::vector<console::LoopEditor*> editors;
    for (console::LoopControls& loop : Form1->Loops)
        for (console::LoopEditor* e : {&loop.setpoint, &loop.setting})
            if (e->value->AcceptsClicks()) editors.push_back(e);
    if (editors.empty()) return;
    console::LoopEditor& e = *editors[static_cast<std::size_t>(Uniform(0, static_cast<int>(editors.size()) - 1))];
    e.value->Click();
    e.spin->SetValue(Uniform(e.spin->MinValue(), e.spin->MaxValue()));
    e.ok->Click();
    ++r_.operatorActions["write"];
}

void Soak::SwitchLoop() {
    std::vector<vcl::TRxGIFAnimator*> lamps;
    for (console::LoopControls& loop : Form1->Loops)
        if (loop.PS->AcceptsClicks()) lamps.push_back(loop.PS);
    if (lamps.empty()) return;
    lamps[static_cast<std::size_t>(Uniform(0, static_cast<int>(lamps.size()) - 1))]->Click();
    ++r_.operatorActions["loop switch"];
}

// Someone at the controller's panel puts a loop back on its own setpoint, so that the operator
// has loops to switch all run long.
void Soak::Plant() {
    if (!Chance(0.02)) return;
    sim::Network& network = device_->Active().network();
    const int node = ProcessImage.ControllerNo;
    const int loop = Uniform(1, 4);
    const std::uint16_t status = network.LoopStatus(node, loop);
    if (!(status & sim::kLoopInUse) || (status & sim::kLoopBit6)) return;
    network.SetLoopStatus(node, loop, static_cast<std::uint16_t>(status | sim::kLoopBit6));
    ++r_.operatorActions["loop switched at the panel"];
}

// Now and then the port itself fails a write or a read.
void Soak::InjectPortFaults() {
    constexpr win32::DWORD kWriteCodes[] = {win32::ERROR_GEN_FAILURE, win32::ERROR_ALREADY_EXISTS,
                                            win32::ERROR_IO_PENDING, win32::ERROR_ACCESS_DENIED};
    constexpr win32::DWORD kReadCodes[] = {win32::ERROR_HANDLE_EOF, win32::ERROR_IO_PENDING,
                                           win32::ERROR_ACCESS_DENIED};
    if (Chance(0.3)) {
        const win32::DWORD code = kWriteCodes[Uniform(0, 3)];
        device_->faults.writes.push_back(code);
        ++r_.portFaults["write " + std::to_string(code)];
    }
    if (Chance(0.3)) {
        const win32::DWORD code = kReadCodes[Uniform(0, 2)];
        device_->faults.reads.push_back(code);
        ++r_.portFaults["read " + std::to_string(code)];
    }
}

// Between handlers: the record, and that nothing is left open or held.
void Soak::Check() {
    CheckImage();
    if (ProcessImage.BusyMode != 0)
        Finding("BusyMode " + std::to_string(ProcessImage.BusyMode) + " between handlers");
    if (app_->OpenBoxes() != 0) Finding(std::to_string(app_->OpenBoxes()) + " boxes open between handlers");
}

// Whatever runs: every value one the network sent for its field, every count in its range.
void Soak::CheckImage() {
    ++r_.checks;
    const TProcessImage& pi = ProcessImage;
    const auto sent = [&](sim::Field field, const char* name, int index, int value) {
        // A field keeps its start value (0) until a reply fills it; after that only replies
        // change it, so a 0 too must have been sent.
        bool& filled = filled_[{static_cast<int>(field), index}];
        filled = filled || value != 0;
        if (filled && !device_->Sent(field, index, value))
            Finding(std::string(name) + "[" + std::to_string(index) + "] = " + std::to_string(value) +
                    ", which the network never sent");
    };
    for (int k = 1; k <= 8; ++k) {
        sent(sim::Field::InputA, "InputA", k, pi.InputA[k]);
        sent(sim::Field::InputB, "InputB", k, pi.InputB[k]);
    }
    for (int k = 9; k <= 15; ++k) sent(sim::Field::InputB, "InputBUpper", k, pi.InputBUpper[k]);
    for (int k = 1; k <= 4; ++k) {
        sent(sim::Field::Setpoint, "LoopSetpoint", k, pi.LoopSetpoint[k]);
        sent(sim::Field::Setting, "LoopUstavka", k, pi.LoopUstavka[k]);
        sent(sim::Field::LoopState, "LoopState", k, pi.LoopState[k]);
    }
    const int map = pi.NetMapHi * 256 + pi.NetMapLo;
    if (!device_->Sent(sim::Field::NetworkMap, 0, map))
        Finding("network map " + std::to_string(map) + ", which the network never sent");
    for (int k = 1; k <= 14; ++k)
        if (pi.NetNode[k] != ((map >> (k - 1)) & 1))
            Finding("NetNode[" + std::to_string(k) + "] against the map " + std::to_string(map));
    if (pi.NetNode[15] != 0) Finding("NetNode[15] set");
    if (pi.ControllerNo != 3 && pi.ControllerNo != 5)
        Finding("ControllerNo " + std::to_string(pi.ControllerNo) + ": no such controller answers");

    const auto range = [&](const char* name, int value, int lo, int hi) {
        if (value < lo || value > hi)
            Finding(std::string(name) + " = " + std::to_string(value) + ", outside " + std::to_string(lo) + ".." +
                    std::to_string(hi));
    };
    range("CountA", pi.CountA, 0, 8);
    range("CountB", pi.CountB, 0, 15);
    range("LoopCount", pi.LoopCount, 1, 4);
    if (pi.GroupBKind != 0 && pi.GroupBKind != 1 && pi.GroupBKind != 3) range("GroupBKind", pi.GroupBKind, 0, 1);
    range("NoReplyCount", pi.NoReplyCount, 0, 50);
    range("LinkWindowArmed", pi.LinkWindowArmed, 0, 1);
    range("RxLamp", pi.RxLamp, 0, 1);
    range("TxLamp", pi.TxLamp, 0, 1);
    range("PollTick", pi.PollTick, 0, pi.CountB + 22);
    range("GroupATick", pi.GroupATick, 0, 3);
    range("ParamTick", pi.ParamTick, 0, 10);
    range("ParamPollIndex", pi.ParamPollIndex, 0, 8);
    // A polling tick moves the cursor on after its write; when the write fails, its boxes run
    // ticks of their own first, so each open box may add one beyond the wrap (the next tick
    // wraps it back).
    range("ChannelCursor", pi.ChannelCursor, 0, pi.CountA + pi.CountB + 1 + vcl::TApplication::kMaxOpenBoxes);
    for (int k = 1; k <= 8; ++k) range("discrete InputB", pi.InputB[k], 0, 1);
    range("deepest boxes", backend_->MaxDepth(), 0, vcl::TApplication::kMaxOpenBoxes);
    long channel = 0;
    for (const std::string& caption : kChannelCaptions) channel += r_.boxes[caption];
    range("channel boxes shown", static_cast<int>(channel), 0, serial::kShownReportLimit - 1);
}

// The headless backend keeps a record of every box; counted and dropped as the run goes.
void Soak::TallyBoxes() {
    for (const headless::BoxRecord& b : backend_->Boxes()) ++r_.boxes[b.caption];
    backend_->ClearBoxes();
}

Report Soak::Run() {
    const double wall0 = Seconds(CLOCK_MONOTONIC), cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    {
        headless::HeadlessBackend backend;
        vcl::TApplication app{backend};
        backend_ = &backend;
        app_ = &app;
        ProcessImage = TProcessImage{};
        device_ = std::make_shared<reliability::PhasedDevice>(HealthyNetwork(o_.timing, o_.seed),
                                                              FaultyNetwork(o_.timing, o_.seed));
        for (sim::Session* s : {&device_->Healthy(), &device_->Faulty()}) {
            s->KeepLog(false);
            s->onFrame = [this](const sim::LoggedFrame& f) { Count(f); };
        }
        win32::RegisterVirtualDevice(serial::kPortName, device_);
        app::CreateStationForms(app);
        if (!backend.RunUntil([] { return Form1->Visible(); }, Ms(1000))) Finding("the main window never came up");
        const TProcessImage& pi = ProcessImage;
        if (pi.ControllerNo != 5 || pi.CountA != 8 || pi.CountB != 8 || pi.LoopCount != 4)
            Finding("discovery on the healthy line found controller " + std::to_string(pi.ControllerNo) + ", " +
                    std::to_string(pi.CountA) + " and " + std::to_string(pi.CountB) + " inputs, " +
                    std::to_string(pi.LoopCount) + " loops");
        // The record is checked also as each box closes, so that it is looked at while the
        // operator is away too.
        backend.onBox = [this](headless::OpenBox& box) {
            box.RunFor(AnswerAfter());
            CheckImage();
        };
        TallyBoxes();
        device_->TurnFaultsOn();

        const Micros start = backend.Now();
        const Micros end = start + static_cast<Micros>(o_.hours * static_cast<double>(kHour));
        const Micros warmUpEnd = start + std::max(kHour / 2, (end - start) / 4);
        Micros nextCheck = start + kCheckEvery, nextHour = start + kHour;
        double hourStart = Seconds(CLOCK_MONOTONIC);
        Watchdog watchdog(o_.stallSeconds);
        while (backend.Now() < end) {
            backend.RunFor(std::min(Ms(Uniform(1'000, 20'000)), end - backend.Now()));
            watchdog.Progress(backend.Now() - start);
            Operate();
            Plant();
            if (backend.Now() >= nextCheck || backend.Now() >= end) {
                Check();
                TallyBoxes();
                const std::size_t live = LiveHeapBytes();
                // A box left open for an hour may hide the whole warm-up: the first sample then
                // stands for it.
                const bool warm = backend.Now() < warmUpEnd || r_.warmLiveHeap == 0;
                std::size_t& highest = warm ? r_.warmLiveHeap : r_.laterLiveHeap;
                highest = std::max(highest, live);
                while (nextCheck <= backend.Now()) nextCheck += kCheckEvery;
            }
            if (backend.Now() >= nextHour || backend.Now() >= end) {
                const double now = Seconds(CLOCK_MONOTONIC);
                r_.hours.push_back({now - hourStart, LiveHeapBytes(), ResidentBytes()});
                if (now - hourStart > o_.maxWallPerHour)
                    Finding("a virtual hour took " + std::to_string(now - hourStart) + " s of wall time");
                if (o_.verbose)
                    std::printf("hour %zu: %.1f s, %ld requests, live heap %zu KiB, resident %zu KiB\n",
                                r_.hours.size(), now - hourStart, r_.requests, r_.hours.back().liveHeap / 1024,
                                r_.hours.back().resident / 1024);
                hourStart = now;
                InjectPortFaults();
                while (nextHour <= backend.Now()) nextHour += kHour;
            }
        }
        r_.virtualHours = static_cast<double>(backend.Now() - start) / static_cast<double>(kHour);
        r_.suppressedBoxes = app.SuppressedBoxes();
        r_.deepestBoxes = backend.MaxDepth();
        // A run that met too few faults, or sent too little, would prove nothing. (The operator
        // may be away for most of a short run, and only writes meet no_ack.)
        if (r_.virtualHours >= 6) {
            using sim::FaultType;
            for (FaultType kind : {FaultType::Silence, FaultType::Late, FaultType::Split, FaultType::Noise,
                                   FaultType::BadChecksum, FaultType::BitFlip, FaultType::GatewayError,
                                   FaultType::WrongNode, FaultType::NoAck})
                if (r_.faults[sim::FaultName(kind)] == 0)
                    Finding(std::string("no ") + sim::FaultName(kind) + " struck");
        }
        if (static_cast<double>(r_.requests) < 1500 * r_.virtualHours)
            Finding("only " + std::to_string(r_.requests) + " requests went out");
        if (r_.laterLiveHeap > r_.warmLiveHeap + kHeapSlack)
            Finding("the live heap grew from " + std::to_string(r_.warmLiveHeap) + " bytes in the warm-up to " +
                    std::to_string(r_.laterLiveHeap));

        PortClose();
        app::DestroyStation(app);
        win32::UnregisterVirtualDevice(serial::kPortName);
        device_.reset();
        backend_ = nullptr;
        app_ = nullptr;
    }
    r_.wallSeconds = Seconds(CLOCK_MONOTONIC) - wall0;
    r_.cpuSeconds = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    r_.peakResident = PeakResidentBytes();
    return r_;
}

}  // namespace

Report Run(const Options& options) { return Soak(options).Run(); }

}  // namespace soak
