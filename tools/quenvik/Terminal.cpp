#include "tools/quenvik/Terminal.h"

#include <atomic>
#include <csignal>

#if defined(_WIN32)
#include <io.h>
#else
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
