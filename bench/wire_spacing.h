#pragma once
// What the two Art-Net wire-spacing benchmarks share: percentiles of the gaps between
// frames seen on the wire, and a main that enters a private network namespace first.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "links/artnet/tests/private_network.h"

namespace j4::bench {

inline double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1) + 0.5)];
}

// Median, 99th percentile and largest of the gaps (ms) as benchmark counters.
inline void reportGaps(benchmark::State& state, const std::vector<double>& gapsMs) {
    state.counters["gap_median_ms"] = percentile(gapsMs, 0.5);
    state.counters["gap_p99_ms"] = percentile(gapsMs, 0.99);
    state.counters["gap_max_ms"] = percentile(gapsMs, 1.0);
}

// Everything the benchmark sends stays in a network namespace of its own.
inline int runInPrivateNetwork(int argc, char** argv) {
    links::test::enterPrivateNetwork();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace j4::bench
