// SPDX-License-Identifier: MIT
#pragma once

// The fast step's automatic thread count, from the times its steps took.

#include <algorithm>

// From kThreadsFrom particles on (FastStep.cpp), whether the second thread helps depends on the count and on what
// else the machine runs: a helper that loses its core in the middle of a step
// holds up the other thread. So the step times both ways and keeps to the
// faster, trying the other way again now and then (see ProbeEvery).
constexpr unsigned kProbeEvery = 32;

class ThreadChoice {
public:
    // The thread count for the next automatic step of `count` particles.
    int Choose(int count, int maxThreads)
    {
        if (count != m_count || maxThreads != m_maxThreads) {
            m_count = count;
            m_maxThreads = maxThreads;
            m_seconds[0] = m_seconds[1] = 0.0;
            m_sinceTry = 0;
            m_warm = false;
        }
        ++m_sinceTry;
        m_try = false;
        int way;
        // All threads first: from kThreadsFrom on they are the faster way on
        // free cores, and a short run (a few steps of a large count) should not
        // spend its first steps on one thread only to learn that.
        if (m_seconds[1] == 0.0)
            way = 1;
        else if (m_seconds[0] == 0.0)
            way = 0;
        else {
            m_try = m_sinceTry >= ProbeEvery();
            way = (m_seconds[1] < m_seconds[0]) != m_try ? 1 : 0;
            if (m_try)
                m_sinceTry = 0;
        }
        m_way = way;
        return way == 1 ? maxThreads : 1;
    }

    // The time the step chosen last took.
    void Record(double seconds)
    {
        // The first step of a count is not counted: it is the first with all
        // threads, which also starts the helpers and brings their buffers for
        // that count into memory (at 2000 particles it took ten times a step),
        // and it brings the particles into the cache for the one-thread step
        // after it.
        if (!m_warm) {
            m_warm = true;
            return;
        }
        double& average = m_seconds[m_way];
        // A try of the other way replaces its time, which is old. Otherwise a
        // step counts a quarter, and one that a busy machine held up counts as at
        // most twice the time so far: a single late step does not hide the
        // faster way for hundreds of steps.
        if (average == 0.0 || m_try)
            average = seconds;
        else
            average = 0.75 * average + 0.25 * std::clamp(seconds, 0.5 * average, 2.0 * average);
    }

private:
    // A try of the slower way costs a step at its pace, so the further behind
    // it is, the longer until the next try: from every kProbeEvery steps for
    // ways alike to every 8 kProbeEvery for one 2.75 times slower, so that the
    // tries cost at most about 0.7 % of the time up to there (two threads 1.8
    // times faster: every 134 steps, 0.6 %), and a way that was slow is tried
    // again within a few hundred steps. The way taken needs no tries: its
    // times follow the machine.
    unsigned ProbeEvery() const
    {
        const double slower = std::max(m_seconds[0], m_seconds[1]) / std::min(m_seconds[0], m_seconds[1]);
        return static_cast<unsigned>(kProbeEvery * std::min(1.0 + 4.0 * (slower - 1.0), 8.0));
    }

    int m_count = 0;
    int m_maxThreads = 0;
    double m_seconds[2] = {0.0, 0.0}; // recent step times: one thread, all threads (0: not yet known)
    bool m_warm = false;              // a step of this count has run
    unsigned m_sinceTry = 0; // steps since the last try (or the count's first)
    int m_way = 0;
    bool m_try = false; // the last step tried the way that was slower
};
