// tranzit-sim as a program: on a real pseudo-terminal a request goes in and the right reply
// comes out, paced like the line; bad options and bad scenario files end it with status 2.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// The program with its stdout and stderr on pipes.
class Program {
public:
    explicit Program(std::vector<std::string> args) {
        args.insert(args.begin(), TRANZIT_SIM_PATH);
        int out[2], err[2];
        EXPECT_EQ(pipe(out), 0);
        EXPECT_EQ(pipe(err), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        close(err_);
    }

    // One line of stdout, waiting at most `ms`.
    std::string Line(int ms = 5000) {
        std::string line;
        const auto t0 = Clock::now();
        char c;
        while (MsSince(t0) < ms) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 100) > 0) {
                if (read(out_, &c, 1) != 1) break;
                if (c == '\n') return line;
                line += c;
            }
        }
        return line;
    }
    static std::string Drain(int fd) {
        std::string text;
        char buf[512];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
        return text;
    }
    // Signals it (if given), waits, and returns the exit status; the rest of its output is kept.
    int Finish(int signal = 0) {
        if (signal) kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        out = Drain(out_);
        err = Drain(err_);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string out, err;

private:
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
};

int OpenRaw(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

struct Arrival {
    double ms;
    std::uint8_t value;
};

// Reads until `n` bytes came or `ms` passed, with each byte's time since `t0`.
std::vector<Arrival> ReadBytes(int fd, std::size_t n, Clock::time_point t0, int ms = 3000) {
    std::vector<Arrival> got;
    while (got.size() < n && MsSince(t0) < ms) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        std::uint8_t buf[64];
        const ssize_t r = read(fd, buf, sizeof buf);
        for (ssize_t i = 0; i < r; ++i) got.push_back({MsSince(t0), buf[i]});
    }
    return got;
}

TEST(TranzitSim, AnswersAProbeOnItsPseudoTerminalPacedLikeTheLine) {
    Program sim({"--latency", "20", "--trace"});
    const std::string first = sim.Line();
    ASSERT_EQ(first.rfind("pty: /dev/pts/", 0), 0u) << first;
    const int fd = OpenRaw(first.substr(5));
    ASSERT_GE(fd, 0);

    const std::uint8_t probe[] = {0x10, 0x02, 0x04, 0x10, 0x03, 0x29};
    const auto t0 = Clock::now();
    ASSERT_EQ(write(fd, probe, sizeof probe), 6);
    const auto got = ReadBytes(fd, 8, t0);
    close(fd);

    std::vector<std::uint8_t> bytes;
    for (const Arrival& a : got) bytes.push_back(a.value);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x10, 0x02, 0x04, 0x14, 0x00, 0x10, 0x03, 0x3D}));
    ASSERT_EQ(got.size(), 8u);
    // 20 ms of latency, then 2.5 ms a byte: byte i cannot come before 20 + 2.5 (i + 1) ms.
    // (Only the lower bound holds on a loaded machine: a late reader sees the bytes bunched.)
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_GE(got[i].ms, 20.0 + 2.5 * static_cast<double>(i + 1) - 0.1) << i;
    EXPECT_LT(got.back().ms, 1000.0);

    EXPECT_EQ(sim.Finish(SIGTERM), 0);
    EXPECT_NE(sim.out.find("station>sim 10 02 04 10 03 29  probe"), std::string::npos) << sim.out;
    EXPECT_NE(sim.out.find("sim>station 10 02 04 14 00 10 03 3D  probe reply"), std::string::npos) << sim.out;
}

TEST(TranzitSim, InstantTimingSendsTheWholeReplyAtOnce) {
    Program sim({"--timing", "instant"});
    const std::string first = sim.Line();
    ASSERT_EQ(first.rfind("pty: ", 0), 0u) << first;
    const int fd = OpenRaw(first.substr(5));
    const std::uint8_t read3[] = {0x10, 0x02, 0x01, 0x05, 0x02, 0x4E, 0x03, 0x10, 0x03, 0x7E};
    const auto t0 = Clock::now();
    ASSERT_EQ(write(fd, read3, sizeof read3), 10);
    const auto got = ReadBytes(fd, 22, t0);
    close(fd);
    ASSERT_EQ(got.size(), 22u);
    EXPECT_EQ(got[17].value, 0x68);  // loop 3 of the built-in network: bits 3, 5 and 6
    EXPECT_LT(got.back().ms - got.front().ms, 10.0);
    EXPECT_EQ(sim.Finish(SIGINT), 0);
}

TEST(TranzitSim, RefusesBadOptionsAndBadScenarioFilesWithStatus2) {
    const std::string bad = testing::TempDir() + "bad-scenario.json";
    std::ofstream(bad) << R"({"controllers": [{"node": 5, "loops": [{"loop": 9, "mode": 1}]}]})";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--timing", "fast"}, "option --timing: 'fast' is not one of instant, line"},
        {{"--latency", "x"}, "option --latency: 'x' is not MS or MIN-MAX milliseconds"},
        {{"--seed"}, "option --seed needs a value"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--scenario", bad}, bad + ": controllers[0].loops[0].loop: 9 is out of range 1..4"},
        {{"--scenario", "/nonexistent.json"}, "/nonexistent.json: cannot be read"},
    };
    for (const auto& [args, message] : cases) {
        Program sim(args);
        EXPECT_EQ(sim.Finish(), 2) << args[0];
        EXPECT_NE(sim.err.find("tranzit-sim: " + message), std::string::npos) << sim.err;
    }
}

}  // namespace
