#pragma once

// Timing shared by the benchmarks: the best of several runs, in thread CPU time and wall time.

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <ctime>
#include <functional>
#include <vector>

struct Timing {
    double Cpu = 0;  // ms of the thread's CPU time
    double Wall = 0; // ms
};

inline double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// One warm-up run, then the best of `repeats` runs. cpuMs is the clock of the CPU time counted: the
// program's thread, or with the books on a server of this machine also the server's process.
inline Timing Time(const std::function<void()>& run, int repeats = 5,
                   const std::function<double()>& cpuMs = ThreadCpuMs) {
    run();
    std::vector<double> cpu, wall;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double start = cpuMs();
        run();
        cpu.push_back(cpuMs() - start);
        wall.push_back(timer.nsecsElapsed() / 1e6);
    }
    return {*std::min_element(cpu.begin(), cpu.end()), *std::min_element(wall.begin(), wall.end())};
}

// "12 ms cpu / 15 ms wall"
inline QString ShowTiming(const Timing& t) {
    return QString::number(t.Cpu, 'f', 0) + QStringLiteral(" ms cpu / ") + QString::number(t.Wall, 'f', 0) +
           QStringLiteral(" ms wall");
}
