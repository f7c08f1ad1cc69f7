#pragma once
// The simulated network in real time on a pseudo-terminal (or a real serial device), served
// by a thread of its own. A pseudo-terminal moves bytes instantly, so in line mode the server
// paces its own writes: each reply byte is written when it would have arrived on the line.

#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "sim/session.h"

namespace sim {

class PtyServer {
public:
    // Throws ScenarioError for a bad scenario.
    explicit PtyServer(Scenario scenario);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens a pseudo-terminal and serves it; returns the path of the end the station opens
    // ("/dev/pts/N"). Throws std::runtime_error if no pseudo-terminal can be had.
    std::string ServePty();
    // Serves a serial device: raw, at the scenario's baud, 8 data bits, even parity, 2 stop bits.
    // Throws std::runtime_error if it cannot be opened or set up.
    void ServeDevice(const std::string& path);

    // Ends serving and waits for the thread. Called by the destructor.
    void Stop();
    bool Running() const;
    // Why serving ended by itself (the device failed); empty otherwise.
    std::string Error() const;
    const std::string& Path() const { return path_; }

    // Called on the serving thread with every frame both ways; times are the monotonic clock's.
    // Set it before serving.
    void SetTrace(std::function<void(const LoggedFrame&)> trace);

    // Runs `f` on the network while the serving thread keeps off it.
    template <class F>
    auto WithNetwork(F&& f) {
        std::lock_guard lock(mutex_);
        return f(session_.network());
    }

private:
    void Start(int fd);
    void Serve();

    mutable std::mutex mutex_;
    Session session_;
    std::string path_;
    int fd_ = -1;         // the end we serve
    int holdFd_ = -1;     // the station's end of a pseudo-terminal, held so that the station may close and reopen it
    int wake_[2] = {-1, -1};
    std::thread thread_;
    bool running_ = false;
    std::string error_;
};

}  // namespace sim
