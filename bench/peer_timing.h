#pragma once
// Timing helpers of the benchmarks: wall times in ms, the best of a few runs of a piece of work or
// of a peer program's command, a file's size and the one-line report
// "NAME: ours X ms, PEER Y ms, ratio R" or the scaling line of 100,000 against 10,000.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Wall time of Work in ms, best of Runs.
inline double Best(int Runs, const std::function<void()>& Work) {
    double best = 1e300;
    for (int r = 0; r < Runs; ++r) {
        const auto t0 = Clock::now();
        Work();
        best = std::min(best, Ms(t0, Clock::now()));
    }
    return best;
}

// Wall time of one run of a command in ms (negative when it failed).
inline double RunOnce(const std::string& Command) {
    const auto t0 = Clock::now();
    const int rc = std::system(Command.c_str());
    const double t = Ms(t0, Clock::now());
    return rc == 0 ? t : -1;
}

// Wall time of a command in ms, best of three (negative when it failed).
inline double RunBest(const std::string& Command) {
    double best = 1e300;
    for (int r = 0; r < 3; ++r) {
        const auto t0 = Clock::now();
        if (std::system(Command.c_str()) != 0) return -1;
        best = std::min(best, Ms(t0, Clock::now()));
    }
    return best;
}

inline void Report(const std::string& What, double Ours, const std::string& Peer, double PeerMs) {
    if (PeerMs <= 0) {
        std::printf("%s: ours %.1f ms, %s failed\n", What.c_str(), Ours, Peer.c_str());
        return;
    }
    std::printf("%s: ours %.1f ms, %s %.1f ms, ratio %.2f\n", What.c_str(), Ours, Peer.c_str(), PeerMs,
                Ours / PeerMs);
}

// The scaling line "PREFIX_WHAT_100000: ours X ms, PREFIX_WHAT_10000 Y ms, ratio R (at most L) met";
// true when the ratio is within Limit.
inline bool ScalingLine(const char* Prefix, const char* What, double Large, double Small, double Limit) {
    const double ratio = Large / Small;
    std::printf("%s_%s_100000: ours %.2f ms, %s_%s_10000 %.2f ms, ratio %.2f (at most %.1f) %s\n", Prefix, What,
                Large, Prefix, What, Small, ratio, Limit, ratio <= Limit ? "met" : "NOT met");
    return ratio <= Limit;
}

// The same line for other sizes: "LARGE: ours X ms, SMALL Y ms, ratio R (at most L) met".
inline bool ScalingLine(const std::string& LargeName, double Large, const std::string& SmallName, double Small,
                        double Limit) {
    const double ratio = Large / Small;
    std::printf("%s: ours %.2f ms, %s %.2f ms, ratio %.2f (at most %.1f) %s\n", LargeName.c_str(), Large,
                SmallName.c_str(), Small, ratio, Limit, ratio <= Limit ? "met" : "NOT met");
    return ratio <= Limit;
}

inline long FileSize(const std::string& File) {
    std::FILE* f = std::fopen(File.c_str(), "rb");
    if (!f) return -1;
    std::fseek(f, 0, SEEK_END);
    const long n = std::ftell(f);
    std::fclose(f);
    return n;
}

}  // namespace bench
