// What the process benchmarks share: a server tree whose settings file leads
// the tool to its transfer log, the test files a scheduler's runs move, the
// tool's runs timed, and the medians of their times. Processes and the
// simulator are started with the test support (tests/support).
#ifndef DATENSCHLEUSE_BENCH_BENCH_SUPPORT_H
#define DATENSCHLEUSE_BENCH_BENCH_SUPPORT_H

#include <cstddef>
#include <string>
#include <vector>

#include "tests/support/process.h"

// Writes the settings file <filesDir>/Korvaline.Ini with datenschleuse-ini:
// LOGIN, the password given on its standard input, NET8. The directories
// are made as needed. False (with the writer's output on standard error)
// when the writer failed.
bool WriteSettings(const std::string& filesDir, const std::string& login,
                   const std::string& password, const std::string& net8);

// Random bytes of every value, as a download may carry; the same for a seed.
std::string RandomBytes(std::size_t size, unsigned seed);

// Booking lines as a terminal keeps them ("4711;0800;K" and LF), size bytes
// ending in LF: an upload frame can carry them.
std::string BookingText(std::size_t size, unsigned seed);

// A run of a program, timed from its start to its end.
struct TimedRun {
  ProcessResult result;
  double seconds = 0;
};
TimedRun RunTimed(const std::string& program, const std::vector<std::string>& arguments,
                  const ProcessOptions& options = ProcessOptions{});

// The median of samples (the mean of the middle two for an even count); 0
// for none.
double Median(std::vector<double> samples);

// The machine's load average and CPU count, for the closing line.
std::string LoadText();

#endif  // DATENSCHLEUSE_BENCH_BENCH_SUPPORT_H
