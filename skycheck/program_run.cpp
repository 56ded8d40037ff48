#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "fits/platform_file.h"
#include "skycheck/program_run.h"

extern char** environ;

namespace skycheck {

bool CanStartPrograms() {
  return true;
}

bool ProgramAvailable(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  for (std::size_t at = 0; at <= folders.size();) {
    const std::size_t end = std::min(folders.find(':', at), folders.size());
    const std::string folder = end > at ? folders.substr(at, end - at) : ".";
    if (::access((folder + "/" + name).c_str(), X_OK) == 0) return true;
    at = end + 1;
  }
  return false;
}

ProgramRun RunProgram(const std::vector<std::string>& argv, double wallSeconds) {
  ProgramRun run;
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
    run.error = std::string("kein Kanal zum Programm: ") + std::strerror(errno);
    return run;
  }
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  ::posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
  ::posix_spawnattr_init(&attributes);
  // A group of its own: it and the engine it starts end together, and a
  // Ctrl-C on the terminal reaches the batch, which ends them.
  ::posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t defaults;
  ::sigemptyset(&defaults);
  ::sigaddset(&defaults, SIGPIPE);
  ::posix_spawnattr_setsigdefault(&attributes, &defaults);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::posix_spawnattr_destroy(&attributes);
  ::close(pipeEnds[1]);
  if (spawned != 0) {
    ::close(pipeEnds[0]);
    run.error = argv[0] + ": nicht gestartet: " + std::strerror(spawned);
    return run;
  }
  run.started = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(wallSeconds);
  pollfd out{pipeEnds[0], POLLIN, 0};
  char buffer[4096];
  for (;;) {
    if (std::chrono::steady_clock::now() > deadline || fits::platform::StopSignal() != 0) {
      run.timedOut = true;
      ::kill(-pid, SIGKILL);
      break;
    }
    if (::poll(&out, 1, 200) <= 0) continue;
    const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    run.output.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  // Anything the program left running in its group ends with it.
  ::kill(-pid, SIGKILL);
  run.cpuSeconds =
      usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  if (WIFEXITED(status) && !run.timedOut) run.exitCode = WEXITSTATUS(status);
  return run;
}

std::filesystem::path MakeWorkFolder() {
  std::error_code error;
  std::string pattern = (std::filesystem::temp_directory_path(error) / "velorin-check-XXXXXX").string();
  if (error || ::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace skycheck
