#pragma once
// The trace file: records queued by the GUI thread, formatted and written by a thread of its
// own, so that an exchange waits for neither. The queue is drained, the file flushed and closed
// when the trace file is closed or destroyed.

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "trace/exchange_trace.h"

namespace trace {

class TraceFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TraceFile final : public Sink {
public:
    // Creates or empties `path`; times in the file count from `origin`. Throws TraceFileError
    // naming the file and the reason when it cannot be opened for writing.
    TraceFile(const std::string& path, Micros origin);
    ~TraceFile() override;
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // A copy of the record goes on the queue; nothing else happens on the caller's thread.
    void Take(const Record& record) override;

    // Writes every queued record, flushes and closes; later records are dropped.
    void Close();

private:
    void Run();

    std::FILE* file_ = nullptr;
    std::string path_;
    Micros origin_;
    std::mutex mutex_;
    std::condition_variable stop_;
    std::vector<Record> queue_;
    bool closing_ = false;
    std::thread writer_;
};

}  // namespace trace
