#include "trace/trace_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include "trace/trace_format.h"

namespace trace {

namespace {

// The writer looks at the queue this often: the GUI thread then never has to wake it.
constexpr auto kWriterPeriod = std::chrono::milliseconds(50);

}  // namespace

TraceFile::TraceFile(const std::string& path, Micros origin) : path_(path), origin_(origin) {
    file_ = std::fopen(path.c_str(), "w");
    if (!file_) throw TraceFileError("cannot open the trace file " + path + ": " + std::strerror(errno));
    queue_.reserve(256);
    writer_ = std::thread([this] { Run(); });
}

TraceFile::~TraceFile() { Close(); }

void TraceFile::Take(const Record& record) {
    std::lock_guard lock(mutex_);
    if (!closing_) queue_.push_back(record);
}

void TraceFile::Close() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    stop_.notify_one();
    if (writer_.joinable()) writer_.join();
}

void TraceFile::Run() {
    std::vector<Record> batch;
    batch.reserve(256);
    bool failed = false, told = false;
    for (;;) {
        bool last;
        {
            std::unique_lock lock(mutex_);
            stop_.wait_for(lock, kWriterPeriod, [this] { return closing_; });
            // The emptied batch goes back to the queue with its capacity.
            batch.swap(queue_);
            last = closing_;
        }
        for (const Record& r : batch) {
            const std::string line = FormatLine(r, origin_) + "\n";
            if (!failed && std::fwrite(line.data(), 1, line.size(), file_) != line.size()) failed = true;
        }
        if (!batch.empty() && !failed && std::fflush(file_) != 0) failed = true;
        if (failed && !told) {
            std::fprintf(stderr, "remikont-station: writing the trace file %s failed: %s\n", path_.c_str(),
                         std::strerror(errno));
            told = true;
        }
        batch.clear();
        if (last) break;
    }
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace trace
