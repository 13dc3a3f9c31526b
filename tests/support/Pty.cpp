#include "support/Pty.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace quenvik::test {

namespace {

constexpr unsigned short kRows = 60;
constexpr unsigned short kColumns = 120;

int decodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

PtyProcess::PtyProcess(const std::string& path, const std::vector<std::string>& args,
                       const std::vector<std::string>& environment) {
  winsize size{};
  size.ws_row = kRows;
  size.ws_col = kColumns;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_ = forkpty(&master_, nullptr, nullptr, &size);
  if (pid_ < 0) throw std::runtime_error("forkpty failed");
  if (pid_ == 0) {
    for (const auto& entry : environment) putenv(const_cast<char*>(entry.c_str()));
    execv(path.c_str(), argv.data());
    _exit(127);
  }
}

PtyProcess::~PtyProcess() {
  if (pid_ > 0 && waitExit(0) == -1) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) close(master_);
}

void PtyProcess::type(const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(master_, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("cannot type into the terminal");
    written += static_cast<std::size_t>(n);
  }
}

bool PtyProcess::readSome(int timeoutMs) {
  if (ended_) return false;
  pollfd fd{master_, POLLIN, 0};
  const int ready = poll(&fd, 1, timeoutMs);
  if (ready <= 0) return false;
  char chunk[4096];
  const ssize_t n = read(master_, chunk, sizeof chunk);
  if (n <= 0) {
    ended_ = true;  // EIO once the program has closed the terminal
    return false;
  }
  pending_.append(chunk, static_cast<std::size_t>(n));
  return true;
}

std::string PtyProcess::readUntil(const std::string& text, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto found = pending_.find(text);
    if (found != std::string::npos) {
      std::string seen = pending_.substr(0, found + text.size());
      pending_.erase(0, found + text.size());
      return seen;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readSome(static_cast<int>(left.count()))) return "";
  }
}

std::string PtyProcess::readToEnd(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readSome(static_cast<int>(left.count()))) break;
  }
  std::string all = pending_;
  pending_.clear();
  return all;
}

int PtyProcess::waitExit(int timeoutMs) {
  if (pid_ <= 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      return decodeStatus(status);
    }
    if (std::chrono::steady_clock::now() >= deadline) return -1;
    // Drain the terminal so a program writing its last lines is not blocked.
    if (!readSome(10)) {
      pollfd none{-1, 0, 0};
      poll(&none, 0, 10);
    }
  }
}

}  // namespace quenvik::test
