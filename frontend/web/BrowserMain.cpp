// The engine inside a browser page, built as WebAssembly (cmake/Web.cmake).
// A page has no standard input: its worker hands every protocol line to
// quenvikSendLine(), and the protocol loop reads them through a stream just
// as it reads a manager's. Replies go to standard output, which the worker
// forwards line by line. The loop and the decisions run on threads of their
// own (Web Workers), so a YXSTOP reaches a running search as it does natively.
// Under node the same engine is a console process (tests/web/engine-stdio.cjs),
// which lets the protocol suite drive exactly what the page runs.
#include <emscripten/emscripten.h>
#include <stdio.h>  // fopencookie

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>

#include "frontend/Protocol.h"
#include "think/ThinkThread.h"

namespace {

// Lines the page sent that the loop has not read yet, each ending in a line feed.
struct PendingInput {
  std::mutex lock;
  std::condition_variable arrived;
  std::string bytes;
  bool ended = false;
};
PendingInput pending;

// Waits until the page has sent something; 0 (the end of the stream) only
// after quenvikEndInput(), which a page never calls.
ssize_t readPending(void*, char* buffer, size_t size) {
  std::unique_lock<std::mutex> hold(pending.lock);
  pending.arrived.wait(hold, [] { return !pending.bytes.empty() || pending.ended; });
  const size_t count = std::min(size, pending.bytes.size());
  std::memcpy(buffer, pending.bytes.data(), count);
  pending.bytes.erase(0, count);
  return static_cast<ssize_t>(count);
}

}  // namespace

// Called by the page's worker with one protocol line (no line feed).
extern "C" EMSCRIPTEN_KEEPALIVE void quenvikSendLine(const char* line) {
  {
    std::lock_guard<std::mutex> hold(pending.lock);
    pending.bytes += line;
    pending.bytes += '\n';
  }
  pending.arrived.notify_one();
}

// Called when no more lines will come (the node host's standard input ended):
// the loop then ends as at the end of a manager's input.
extern "C" EMSCRIPTEN_KEEPALIVE void quenvikEndInput() {
  {
    std::lock_guard<std::mutex> hold(pending.lock);
    pending.ended = true;
  }
  pending.arrived.notify_one();
}

int main() {
  const cookie_io_functions_t functions{readPending, nullptr, nullptr, nullptr};
  FILE* const input = fopencookie(nullptr, "r", functions);
  if (input == nullptr) return 1;
  return quenvik::runProtocolOn(input, stdout, quenvik::startDecision);
}
