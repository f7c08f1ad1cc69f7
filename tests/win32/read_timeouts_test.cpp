#include "platform/win32/read_timeouts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::Micros;
using win32::COMMTIMEOUTS;
using win32::DWORD;

constexpr DWORD kMax = 0xFFFFFFFFu;
constexpr Micros kCall = 5'000'000;  // the read starts here; times in the table are relative to it

struct PlanCase {
    std::string name;
    COMMTIMEOUTS timeouts;
    DWORD count;
    std::vector<Micros> arrivals;  // relative to the call
    std::size_t taken;
    Micros end;                    // relative to the call
};

std::vector<Micros> Paced(Micros first, Micros gap, int n) {
    std::vector<Micros> v;
    for (int i = 0; i < n; ++i) v.push_back(first + i * gap);
    return v;
}

// The station's time-outs: 5 ms between bytes, 1 ms per byte plus 10 ms.
constexpr COMMTIMEOUTS kStation{5, 1, 10, 0, 0};

const std::vector<PlanCase> kCases = {
    {"SilentLineEndsAtTheTotalLimit", kStation, 30, {}, 0, 40'000},
    {"ReplyEndsOneIntervalAfterItsLastByte", kStation, 30, Paced(10'000, 2'500, 10), 10, 37'500},
    {"ReplyStillArrivingIsCutAtTheTotalLimitByteAtTheLimitTaken", kStation, 30, Paced(30'000, 2'500, 10), 5,
     40'000},
    {"BytesWaitingAtTheCallCountAsReceivedAtIt", kStation, 30, {-8'000, -5'000, -2'500, -1'000}, 4, 5'000},
    {"AByteAfterTheWaitingOnesRestartsTheInterval", kStation, 30, {-1'000, 3'000}, 2, 8'000},
    {"AGapLongerThanTheIntervalEndsTheReadBeforeTheLateByte", kStation, 30, {1'000, 2'000, 9'000}, 2, 7'000},
    {"AGapOfExactlyTheIntervalDoesNot", kStation, 30, {1'000, 6'000}, 2, 11'000},
    {"TheCountReachedEndsTheReadAtThatByte", kStation, 5, Paced(1'000, 1'000, 8), 5, 5'000},
    {"NoIntervalLimitOnlyTheTotal", {0, 1, 10, 0, 0}, 30, {1'000, 20'000}, 2, 40'000},
    {"NoTotalLimitWaitsForTheFirstByteAsLongAsItTakes", {5, 0, 0, 0, 0}, 30, {100'000, 102'000}, 2, 107'000},
    {"NoLimitAtAllAndNothingToComeEndsAtTheCall", {0, 0, 0, 0, 0}, 30, {}, 0, 0},
    {"TheTotalLimitGrowsWithTheCount", {5, 2, 10, 0, 0}, 11, {}, 0, 32'000},
    {"MultiplierTimesCountBeyond32Bits", {0, 100'000'000, 0, 0, 0}, 50, {}, 0, 5'000'000'000'000},
    {"MaxIntervalAloneReturnsAtOnceWithWhatWaits", {kMax, 0, 0, 0, 0}, 30, {-1'000, 0, 1'000}, 2, 0},
    {"MaxIntervalAndMultiplierReturnWithTheFirstByte", {kMax, kMax, 50, 0, 0}, 30, {20'000, 20'000, 22'000}, 2,
     20'000},
    {"MaxIntervalAndMultiplierGiveUpAtTheConstant", {kMax, kMax, 50, 0, 0}, 30, {}, 0, 50'000},
    {"ZeroBytesAskedReturnsAtOnce", kStation, 0, {1'000}, 0, 0},
};

class ReadPlanTable : public ::testing::TestWithParam<PlanCase> {};

TEST_P(ReadPlanTable, TakesTheBytesAndEndsWhenWindowsWould) {
    const PlanCase& c = GetParam();
    std::vector<Micros> arrivals;
    for (Micros t : c.arrivals) arrivals.push_back(kCall + t);
    const win32::ReadPlan plan = win32::PlanRead(win32::LimitsFor(c.timeouts, c.count), c.count, kCall, arrivals);
    EXPECT_EQ(plan.taken, c.taken);
    EXPECT_EQ(plan.end - kCall, c.end);
}

INSTANTIATE_TEST_SUITE_P(Timeouts, ReadPlanTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

// The tty loop asks for the deadline as bytes come in; it must move with the last byte but
// never past the total limit.
TEST(ReadDeadline, FollowsTheLastByteWithinTheTotalLimit) {
    const win32::ReadLimits limits = win32::LimitsFor(kStation, 30);
    EXPECT_EQ(win32::ReadDeadline(limits, kCall, std::nullopt), kCall + 40'000);
    EXPECT_EQ(win32::ReadDeadline(limits, kCall, kCall + 12'000), kCall + 17'000);
    EXPECT_EQ(win32::ReadDeadline(limits, kCall, kCall + 38'000), kCall + 40'000);
    EXPECT_EQ(win32::ReadDeadline(win32::LimitsFor({0, 0, 0, 0, 0}, 30), kCall, kCall + 1'000), std::nullopt);
}

}  // namespace
