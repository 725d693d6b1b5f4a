#include "samples.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

int Samples::Add(std::string name, std::function<void()> operation) {
  measures_.push_back({std::move(name), std::move(operation), {}});
  return static_cast<int>(measures_.size()) - 1;
}

void Samples::Run(int rounds, int batch) {
  using Clock = std::chrono::steady_clock;
  const std::size_t count = measures_.size();
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t k = 0; k < count; ++k) {
      Measure& m = measures_[(k + round) % count];
      const auto start = Clock::now();
      for (int i = 0; i < batch; ++i) m.operation();
      m.nanoseconds.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count() / batch);
    }
  }
}

double Samples::At(int measure, double fraction) const {
  std::vector<double> sorted = measures_[measure].nanoseconds;
  if (sorted.empty()) return 0;
  std::sort(sorted.begin(), sorted.end());
  return sorted[static_cast<std::size_t>(fraction * (sorted.size() - 1) + 0.5)];
}

void Samples::PrintRow(int measure) const {
  std::printf("  %-40s %12.0f ns  (p10 %.0f, p90 %.0f)\n", measures_[measure].name.c_str(), At(measure, 0.5),
              At(measure, 0.1), At(measure, 0.9));
}

// The machine's speed drifts over seconds, far more than the differences
// measured here: each round's ratio compares neighbours in time, and the
// median of those ratios is the figure printed, with the ratio of medians.
void Samples::PrintRatio(const char* what, int measure, int baseline) const {
  const std::vector<double>& m = measures_[measure].nanoseconds;
  const std::vector<double>& b = measures_[baseline].nanoseconds;
  std::vector<double> ratios;
  for (std::size_t i = 0; i < m.size() && i < b.size(); ++i) ratios.push_back(m[i] / b[i]);
  std::sort(ratios.begin(), ratios.end());
  auto at = [&](double f) { return ratios[static_cast<std::size_t>(f * (ratios.size() - 1) + 0.5)]; };
  std::printf("  %-40s %8.3f  (p10 %.3f, p90 %.3f; ratio of medians %.3f)\n", what, at(0.5), at(0.1), at(0.9),
              At(measure, 0.5) / At(baseline, 0.5));
}
