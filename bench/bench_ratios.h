// What the benchmark programs share: a console reporter that keeps one
// number per finished run (each program chooses which: CPU time, time per
// byte, real time) so that ratios against a baseline of the same run can be
// printed after the table, and the main's run of the registered benchmarks.
#pragma once
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class KeptRunsReporter : public benchmark::ConsoleReporter {
public:
    // The number kept for a run; 0 or less keeps nothing.
    using Measure = double (*)(const Run& run);
    explicit KeptRunsReporter(Measure measure) : measure_(measure) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const double value = measure_(run);
            if (value > 0) kept_[run.benchmark_name()] = value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const double* Find(const std::string& name) const {
        auto it = kept_.find(name);
        return it == kept_.end() ? nullptr : &it->second;
    }
    const std::map<std::string, double>& Kept() const { return kept_; }

private:
    Measure measure_;
    std::map<std::string, double> kept_;
};

// Runs the registered benchmarks through the reporter, then its ratios.
template <class Reporter>
int RunAndPrintRatios(int* argc, char** argv) {
    benchmark::Initialize(argc, argv);
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
