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

// How to start one of the project's executables: the program and the words
// before the caller's arguments, and whether its lines may end in CR LF (a
// Windows build run under Wine; its C runtime writes text that way).
struct Launch {
  std::vector<std::string> command;
  bool crLfLines = false;
};

// The engine and the analysis tool: the native builds, unless the
// environment names other commands, split at blanks:
//   QUENVIK_ENGINE_COMMAND="wine build-windows/pbrain-quenvik.exe"
//   QUENVIK_TOOL_COMMAND="wine build-windows/quenvik.exe"
Launch engineLaunch();
Launch toolLaunch();

// Runs path with args, feeds it stdinText and collects everything it prints.
ProcessResult runProcess(const std::string& path, const std::vector<std::string>& args,
                         const std::string& stdinText = "");
ProcessResult runProcess(const Launch& launch, const std::vector<std::string>& args, const std::string& stdinText = "");

// The analysis tool with the given arguments.
ProcessResult runTool(const std::vector<std::string>& args);

// An engine process driven line by line, started with extra arguments and in
// another working directory when given.
class EngineProcess {
 public:
  explicit EngineProcess(const std::string& path) : EngineProcess(Launch{{path}}) {}
  explicit EngineProcess(const Launch& launch = engineLaunch(), const std::vector<std::string>& args = {},
                         const std::string& workingDirectory = "");
  ~EngineProcess();
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

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
  bool crLfLines_ = false;
};

// True for a move line "x,y".
bool isMoveLine(const std::string& line);

}  // namespace quenvik::test
