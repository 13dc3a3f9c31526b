#include "support/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace quenvik::test {

namespace {

struct Pipe {
  int read = -1;
  int write = -1;
};

Pipe makePipe() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  return {fds[0], fds[1]};
}

pid_t spawn(const std::vector<std::string>& command, const std::vector<std::string>& args, int in, int out, int err,
            const std::string& workingDirectory = "") {
  if (command.empty()) throw std::runtime_error("empty command");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  if (err >= 0) posix_spawn_file_actions_adddup2(&actions, err, 2);
  if (!workingDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
  std::vector<char*> argv;
  for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  // posix_spawnp: a launcher such as wine is found on the PATH.
  const int rc = posix_spawnp(&pid, command[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + command[0] + ": " + std::strerror(rc));
  return pid;
}

Launch launchFromEnvironment(const char* variable, const char* nativePath) {
  const char* value = std::getenv(variable);
  if (value == nullptr || *value == '\0') return {{nativePath}, false};
  Launch launch{{}, true};
  std::istringstream words(value);
  for (std::string word; words >> word;) launch.command.push_back(word);
  return launch;
}

void dropCarriageReturns(std::string& text) { text.erase(std::remove(text.begin(), text.end(), '\r'), text.end()); }

int decodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

Launch engineLaunch() { return launchFromEnvironment("QUENVIK_ENGINE_COMMAND", QUENVIK_ENGINE_PATH); }

Launch toolLaunch() { return launchFromEnvironment("QUENVIK_TOOL_COMMAND", QUENVIK_TOOL_PATH); }

ProcessResult runProcess(const std::string& path, const std::vector<std::string>& args, const std::string& stdinText) {
  return runProcess(Launch{{path}}, args, stdinText);
}

ProcessResult runProcess(const Launch& launch, const std::vector<std::string>& args, const std::string& stdinText) {
  signal(SIGPIPE, SIG_IGN);
  Pipe in = makePipe(), out = makePipe(), err = makePipe();
  const pid_t pid = spawn(launch.command, args, in.read, out.write, err.write);
  close(in.read);
  close(out.write);
  close(err.write);
  ProcessResult result;
  std::size_t written = 0;
  int toChild = in.write;
  if (stdinText.empty()) {
    close(toChild);
    toChild = -1;
  }
  int outFd = out.read, errFd = err.read;
  while (outFd >= 0 || errFd >= 0) {
    pollfd fds[3];
    int count = 0;
    if (outFd >= 0) fds[count++] = {outFd, POLLIN, 0};
    if (errFd >= 0) fds[count++] = {errFd, POLLIN, 0};
    if (toChild >= 0) fds[count++] = {toChild, POLLOUT, 0};
    if (poll(fds, count, -1) < 0 && errno != EINTR) break;
    for (int i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == toChild) {
        const ssize_t n = write(toChild, stdinText.data() + written, stdinText.size() - written);
        if (n > 0) written += static_cast<std::size_t>(n);
        if (n < 0 || written == stdinText.size()) {
          close(toChild);
          toChild = -1;
        }
        continue;
      }
      char chunk[4096];
      const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
      std::string& target = fds[i].fd == outFd ? result.out : result.err;
      if (n > 0) {
        target.append(chunk, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        (fds[i].fd == outFd ? outFd : errFd) = -1;
      }
    }
  }
  if (toChild >= 0) close(toChild);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = decodeStatus(status);
  if (launch.crLfLines) {
    dropCarriageReturns(result.out);
    dropCarriageReturns(result.err);
  }
  return result;
}

ProcessResult runTool(const std::vector<std::string>& args) { return runProcess(toolLaunch(), args); }

EngineProcess::EngineProcess(const Launch& launch, const std::vector<std::string>& args,
                             const std::string& workingDirectory)
    : crLfLines_(launch.crLfLines) {
  signal(SIGPIPE, SIG_IGN);
  Pipe in = makePipe(), out = makePipe();
  pid_ = spawn(launch.command, args, in.read, out.write, -1, workingDirectory);
  close(in.read);
  close(out.write);
  toChild_ = in.write;
  fromChild_ = out.read;
}

EngineProcess::~EngineProcess() {
  if (toChild_ >= 0) close(toChild_);
  if (fromChild_ >= 0) close(fromChild_);
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void EngineProcess::send(const std::string& line) { sendRaw(line + "\n"); }

void EngineProcess::sendRaw(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(toChild_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return;  // the engine has gone; the reads will show it
    }
    done += static_cast<std::size_t>(n);
  }
}

std::optional<std::string> EngineProcess::readLine(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto newline = buffer_.find('\n');
    if (newline != std::string::npos) {
      std::string line = buffer_.substr(0, newline);
      buffer_.erase(0, newline + 1);
      if (crLfLines_ && !line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (ended_) return std::nullopt;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd fd{fromChild_, POLLIN, 0};
    const int ready = poll(&fd, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    char chunk[4096];
    const ssize_t n = read(fromChild_, chunk, sizeof chunk);
    if (n > 0) {
      buffer_.append(chunk, static_cast<std::size_t>(n));
    } else {
      ended_ = true;
    }
  }
}

std::optional<std::string> EngineProcess::readUntil(bool (*pred)(const std::string&), std::vector<std::string>* seen,
                                                    int timeoutMs) {
  for (;;) {
    auto line = readLine(timeoutMs);
    if (!line) return std::nullopt;
    if (seen) seen->push_back(*line);
    if (pred(*line)) return line;
  }
}

void EngineProcess::closeInput() {
  if (toChild_ >= 0) close(toChild_);
  toChild_ = -1;
}

int EngineProcess::waitExit(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      return decodeStatus(status);
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
      return -1;
    }
    // Polling a child's exit has no blocking-with-timeout call; this is a
    // hang guard, not synchronisation.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool isMoveLine(const std::string& line) {
  static const std::regex move(R"(^-?[0-9]+,-?[0-9]+$)");
  return std::regex_match(line, move);
}

}  // namespace quenvik::test
