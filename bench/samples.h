// Interleaved samples of several measures: each round times one batch of
// every measure, in an order that rotates from round to round, so that
// drift in the machine's speed falls on all measures alike.
#pragma once

#include <functional>
#include <string>
#include <vector>

class Samples {
 public:
  // A measure, timed per call of `operation`; returns the measure's index.
  int Add(std::string name, std::function<void()> operation);

  void Run(int rounds, int batch);

  // Nanoseconds per call at the given fraction (0.5: the median).
  double At(int measure, double fraction) const;
  void PrintRow(int measure) const;
  void PrintRatio(const char* what, int measure, int baseline) const;

 private:
  struct Measure {
    std::string name;
    std::function<void()> operation;
    std::vector<double> nanoseconds;
  };
  std::vector<Measure> measures_;
};
