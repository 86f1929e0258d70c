// SPDX-License-Identifier: GPL-3.0-or-later
// kinetic-measure itself, stopped part-way by a signal.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct Ended {
  int status = -1;  // as waitpid gives it
  std::string out, err;
};

// Whether process `pid` has a handler for `signal` (Linux: SigCgt in /proc/pid/status).
bool catches(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
  return false;
}

// Runs kinetic-measure with `args`, sends `signal` a moment after it starts catching it, and
// collects what it printed. A program that hangs is killed after 20 s.
Ended interrupt(const std::vector<std::string>& args, int signal) {
  std::vector<std::string> words{KINETIC_MEASURE};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words)
    argv.push_back(w.data());
  argv.push_back(nullptr);
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    for (int fd : {out[0], out[1], err[0], err[1]})
      close(fd);
    // Whatever this test inherited, the program starts with the signals' defaults.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!catches(pid, signal) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(5ms);
  std::this_thread::sleep_for(300ms);
  kill(pid, signal);

  Ended e;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* into[2] = {&e.out, &e.err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left <= 0ms || poll(fds, 2, static_cast<int>(left.count())) <= 0) {
      kill(pid, SIGKILL);
      break;
    }
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || fds[k].revents == 0) continue;
      char buf[4096];
      const ssize_t n = read(fds[k].fd, buf, sizeof buf);
      if (n > 0) {
        into[k]->append(buf, static_cast<std::size_t>(n));
      } else {
        close(fds[k].fd);
        fds[k].fd = -1;
        --open;
      }
    }
  }
  for (const pollfd& f : fds)
    if (f.fd >= 0) close(f.fd);
  waitpid(pid, &e.status, 0);
  return e;
}

// Ctrl+C (SIGINT) and SIGTERM end a long run part-way: the measurements so far are printed
// whole, marked as interrupted, and the exit status is 128 + the signal.
TEST(KineticMeasure, ASignalPrintsTheMeasurementsSoFar) {
  const Ended json = interrupt({"--ticks", "1000000000", "--format", "json"}, SIGINT);
  ASSERT_TRUE(WIFEXITED(json.status)) << json.err;
  EXPECT_EQ(WEXITSTATUS(json.status), 130) << json.err;
  EXPECT_NE(json.err.find("interrupted after "), std::string::npos) << json.err;
  const std::string field = "\"interrupted_after\": ";
  const std::size_t at = json.out.find(field);
  ASSERT_NE(at, std::string::npos) << json.out;
  const long ticks = std::strtol(json.out.c_str() + at + field.size(), nullptr, 10);
  EXPECT_GT(ticks, 0);
  EXPECT_LT(ticks, 1000001000);
  EXPECT_NE(json.out.find("\"key\": \"Z\""), std::string::npos);
  ASSERT_GT(json.out.size(), 4u);
  EXPECT_EQ(json.out.substr(json.out.size() - 4), "]\n}\n");  // the whole document

  const Ended table = interrupt({"--ticks", "1000000000"}, SIGTERM);
  ASSERT_TRUE(WIFEXITED(table.status)) << table.err;
  EXPECT_EQ(WEXITSTATUS(table.status), 128 + SIGTERM);
  EXPECT_NE(table.out.find("\nInterrupted after "), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("seed of the run"), std::string::npos) << table.out;
}

}  // namespace
