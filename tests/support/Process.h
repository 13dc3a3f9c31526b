// Runs the project's executables as child processes through pipes, the way a
// game manager or a shell user would.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace quenvik::test {

struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
};

// Runs path with args, feeds it stdinText and collects everything it prints.
ProcessResult runProcess(const std::string& path, const std::vector<std::string>& args,
                         const std::string& stdinText = "");

// The analysis tool with the given arguments.
ProcessResult runTool(const std::vector<std::string>& args);

// An engine process driven line by line.
class EngineProcess {
 public:
  explicit EngineProcess(const std::string& path = defaultPath());
  ~EngineProcess();
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  static std::string defaultPath();
  pid_t pid() const { return pid_; }

  void send(const std::string& line);      // writes line + "\n"
  void sendRaw(const std::string& bytes);  // writes bytes as they are
  // Next line of standard output without its line feed; nullopt at end of
  // output or when nothing arrives within timeoutMs (a hang guard only).
  std::optional<std::string> readLine(int timeoutMs = 60000);
  // Reads lines until one satisfies pred (returned) or output ends.
  std::optional<std::string> readUntil(bool (*pred)(const std::string&), std::vector<std::string>* seen = nullptr,
                                       int timeoutMs = 60000);
  void closeInput();
  // Waits for the process to end; its exit status, or 128 + signal, or -1
  // when it is still running after timeoutMs (it is then killed).
  int waitExit(int timeoutMs = 60000);

 private:
  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string buffer_;
  bool ended_ = false;
};

// True for a move line "x,y".
bool isMoveLine(const std::string& line);

}  // namespace quenvik::test
