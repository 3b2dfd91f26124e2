#include "bench/bench_support.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#ifndef DS_INI_PROGRAM
#error "DS_INI_PROGRAM must name the built datenschleuse-ini"
#endif

bool WriteSettings(const std::string& filesDir, const std::string& login,
                   const std::string& password, const std::string& net8) {
  std::error_code ignored;
  std::filesystem::create_directories(filesDir, ignored);
  ProcessOptions options;
  options.standardInput = password + "\n";
  const ProcessResult written = RunProcess(
      DS_INI_PROGRAM,
      {"write", filesDir + "/Korvaline.Ini", "LOGIN=" + login, "PASS=-", "NET8=" + net8}, options);
  if (written.exitCode == 0) return true;
  std::fprintf(stderr, "datenschleuse-ini failed: %s%s\n", written.output.c_str(),
               written.errors.c_str());
  return false;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::mt19937 random(seed);
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string BookingText(std::size_t size, unsigned seed) {
  std::string text;
  std::mt19937 random(seed);
  char line[16];
  while (text.size() < size) {
    std::snprintf(line, sizeof line, "%04u;%02u%02u;%c\n", static_cast<unsigned>(random() % 10000),
                  static_cast<unsigned>(random() % 24), static_cast<unsigned>(random() % 60),
                  random() % 2 == 0 ? 'K' : 'G');
    text += line;
  }
  text.resize(size);
  if (!text.empty()) text.back() = '\n';
  return text;
}

TimedRun RunTimed(const std::string& program, const std::vector<std::string>& arguments,
                  const ProcessOptions& options) {
  TimedRun run;
  const auto start = std::chrono::steady_clock::now();
  run.result = RunProcess(program, arguments, options);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return run;
}

double Median(std::vector<double> samples) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const std::size_t middle = samples.size() / 2;
  return samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

std::string LoadText() {
  double load[3] = {};
  if (::getloadavg(load, 3) != 3) return std::string();
  char text[96];
  std::snprintf(text, sizeof text, "load average at the end: %.2f %.2f %.2f on %ld CPUs", load[0],
                load[1], load[2], ::sysconf(_SC_NPROCESSORS_ONLN));
  return text;
}
