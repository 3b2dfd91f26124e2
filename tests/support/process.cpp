#include "tests/support/process.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

std::vector<char*> ArgumentVector(const std::string& program,
                                  const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

// Runs in the child between fork and exec: limits, rights, directory,
// environment.
void PrepareChild(const ProcessOptions& options) {
  if (options.addressSpaceLimit > 0) {
    const rlimit limit{static_cast<rlim_t>(options.addressSpaceLimit),
                       static_cast<rlim_t>(options.addressSpaceLimit)};
    ::setrlimit(RLIMIT_AS, &limit);
  }
  if (options.fileSizeLimit > 0) {
    const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit),
                       static_cast<rlim_t>(options.fileSizeLimit)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
  }
  if (options.withoutPermissionOverride && ::geteuid() == 0) {
    // Out of the bounding set, the capabilities are not granted at exec.
    if (::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) != 0 ||
        ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) != 0) {
      ::_exit(125);
    }
  }
  if (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0) {
    ::_exit(126);
  }
  for (const auto& entry : options.environment) ::putenv(const_cast<char*>(entry.c_str()));
}

ProcessUsage UsageOf(const rusage& used) {
  ProcessUsage usage;
  usage.cpuSeconds = static_cast<double>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
                     static_cast<double>(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
  usage.maxRssKiB = used.ru_maxrss;
  usage.voluntarySwitches = used.ru_nvcsw;
  usage.involuntarySwitches = used.ru_nivcsw;
  return usage;
}

int ExitCodeOf(int status, int& signal) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) signal = WTERMSIG(status);
  return -1;
}

void DrainPipes(int outFd, int errFd, int inFd, const std::string& input, ProcessResult& result) {
  std::size_t written = 0;
  if (inFd >= 0 && input.empty()) {
    ::close(inFd);
    inFd = -1;
  }
  while (outFd >= 0 || errFd >= 0) {
    pollfd fds[3] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}, {inFd, POLLOUT, 0}};
    if (::poll(fds, 3, -1) < 0 && errno != EINTR) break;
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
      int& fd = i == 0 ? outFd : errFd;
      if (fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n <= 0) {
        ::close(fd);
        fd = -1;
      } else {
        (i == 0 ? result.output : result.errors).append(buffer, static_cast<std::size_t>(n));
      }
    }
    if (inFd >= 0 && fds[2].revents != 0) {
      const ssize_t n = ::write(inFd, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n <= 0 || written == input.size()) {
        ::close(inFd);
        inFd = -1;
      }
    }
  }
  if (inFd >= 0) ::close(inFd);
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options) {
  ::signal(SIGPIPE, SIG_IGN);
  int out[2], err[2], in[2];
  ProcessResult result;
  // Close-on-exec, so that a child started at the same time from another
  // thread does not hold these pipes open (dup2 gives the child's own three
  // copies without the flag).
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0 ||
      ::pipe2(in, O_CLOEXEC) != 0) {
    return result;
  }
  auto argv = ArgumentVector(program, arguments);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    PrepareChild(options);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  DrainPipes(out[0], err[0], in[1], options.standardInput, result);
  int status = 0;
  rusage used{};
  ::wait4(pid, &status, 0, &used);
  result.exitCode = ExitCodeOf(status, result.signal);
  result.usage = UsageOf(used);
  return result;
}

BackgroundProcess StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& outputPath, const ProcessOptions& options) {
  ::signal(SIGPIPE, SIG_IGN);
  BackgroundProcess process;
  process.outputPath = outputPath;
  auto argv = ArgumentVector(program, arguments);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int nullFd = ::open("/dev/null", O_RDONLY);
    const int outFd = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(nullFd, 0);
    ::dup2(outFd, 1);
    ::dup2(outFd, 2);
    PrepareChild(options);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  process.pid = pid;
  return process;
}

int WaitProcess(BackgroundProcess& process, int timeoutMs) {
  if (process.pid <= 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    rusage used{};
    const pid_t done = ::wait4(process.pid, &status, WNOHANG, &used);
    if (done == process.pid) {
      process.pid = -1;
      process.usage = UsageOf(used);
      int signal = 0;
      return ExitCodeOf(status, signal);
    }
    if (std::chrono::steady_clock::now() >= deadline) return -2;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

int StopProcess(BackgroundProcess& process) {
  if (process.pid <= 0) return -1;
  ::kill(process.pid, SIGTERM);
  int code = WaitProcess(process, 1000);
  if (code == -2) {
    ::kill(process.pid, SIGKILL);
    code = WaitProcess(process, 5000);
  }
  return code;
}
