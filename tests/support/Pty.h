// Runs a program on a pseudo-terminal, as a person at a terminal would:
// what is typed goes through the terminal's line discipline (so Ctrl-C is a
// SIGINT), and the program sees a terminal on all three standard streams.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace quenvik::test {

class PtyProcess {
 public:
  // environment: NAME=value words added to the program's environment.
  PtyProcess(const std::string& path, const std::vector<std::string>& args,
             const std::vector<std::string>& environment = {});
  ~PtyProcess();
  PtyProcess(const PtyProcess&) = delete;
  PtyProcess& operator=(const PtyProcess&) = delete;

  void type(const std::string& bytes);
  // Reads until the screen output so far (since the last call) contains
  // `text`; returns everything read, or "" when the program ended or
  // nothing came within timeoutMs (a hang guard only).
  std::string readUntil(const std::string& text, int timeoutMs = 60000);
  // Everything up to the end of output.
  std::string readToEnd(int timeoutMs = 60000);
  int waitExit(int timeoutMs = 60000);

 private:
  pid_t pid_ = -1;
  int master_ = -1;
  std::string pending_;
  bool ended_ = false;
  bool readSome(int timeoutMs);
};

}  // namespace quenvik::test
