#pragma once

// Peak memory of the office processes this program starts: a thread reads
// VmHWM of every soffice.bin child of this process while a run goes on.

#include <sys/types.h>

#include <atomic>
#include <thread>

namespace bench {

class OfficePeakMemory {
public:
    OfficePeakMemory();
    ~OfficePeakMemory();
    // The highest VmHWM seen, in MB.
    double PeakMb() const { return peakKb_.load() / 1024.0; }

private:
    void Sample();
    std::atomic<bool> stop_{false};
    std::atomic<long> peakKb_{0};
    std::thread thread_;
};

// The peak resident memory (MB) of the child process `pid` once it ended
// (wait4); -1 when it failed. Answers its exit code in `exitCode`.
double WaitForChild(pid_t pid, int* exitCode);

} // namespace bench
