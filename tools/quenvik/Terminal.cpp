#include "tools/quenvik/Terminal.h"

#include <atomic>
#include <csignal>

#if defined(_WIN32)
#include <io.h>
#else
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace quenvik::tool {

namespace {

volatile std::sig_atomic_t interruptSeen = 0;
void (*interruptCallback)() = nullptr;

extern "C" void handleInterrupt(int) {
  interruptSeen = 1;
  if (interruptCallback != nullptr) interruptCallback();
}

}  // namespace

bool isTerminal(std::FILE* stream) {
#if defined(_WIN32)
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

void catchInterrupt(void (*onInterrupt)()) {
  interruptCallback = onInterrupt;
  std::signal(SIGINT, handleInterrupt);
}

bool interrupted() { return interruptSeen != 0; }

void releaseInterrupt() {
  std::signal(SIGINT, SIG_DFL);
  interruptCallback = nullptr;
  interruptSeen = 0;
}

bool discardTypeAhead(std::FILE* stream) {
  if (!isTerminal(stream)) return false;
#if defined(_WIN32)
  return false;
#else
  // A terminal in line mode reports input only once a line is complete.
  pollfd pending{fileno(stream), POLLIN, 0};
  const bool lineWaiting = poll(&pending, 1, 0) > 0 && (pending.revents & POLLIN) != 0;
  tcflush(fileno(stream), TCIFLUSH);
  return lineWaiting;
#endif
}

bool readInputLine(std::FILE* stream, std::string& line, std::size_t maxLength, bool& truncated) {
  line.clear();
  truncated = false;
  int c = std::fgetc(stream);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::fgetc(stream)) {
    if (line.size() < maxLength) {
      line.push_back(static_cast<char>(c));
    } else {
      truncated = true;
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace quenvik::tool
