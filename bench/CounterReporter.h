#pragma once
// A console reporter that also keeps the user counters of the last
// successful iteration run, so a benchmark's main() can print its ratio line
// after the table.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace ostiva::bench {

class CounterReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                for (const auto& [name, counter] : run.counters) counters[name] = counter.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> counters;
};

}  // namespace ostiva::bench
