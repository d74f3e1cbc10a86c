// SPDX-License-Identifier: MIT
#include "benchstats.h"

#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace bench {

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t processCpuNs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto ns = [](const timeval& t) {
        return std::int64_t(t.tv_sec) * 1000000000 + std::int64_t(t.tv_usec) * 1000;
    };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

std::int64_t threadCpuNs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

long threadPreemptions()
{
    rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nivcsw;
}

double idleCpuShare(int ms)
{
    const std::int64_t cpu0 = processCpuNs();
    const std::int64_t wall0 = nowNs();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return 100.0 * double(processCpuNs() - cpu0) / double(nowNs() - wall0);
}

double quantile(QVector<std::int64_t> samples, double q)
{
    if (samples.isEmpty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const int rank = int(std::ceil(q * samples.size()));
    return double(samples.at(std::clamp(rank - 1, 0, int(samples.size()) - 1)));
}

} // namespace bench
