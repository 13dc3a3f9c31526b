#include "core/Output.h"

#include <atomic>
#include <cstdarg>

namespace quenvik {

namespace {
std::atomic<std::FILE*> stream{nullptr};
}

std::FILE* outputStream() {
  std::FILE* current = stream.load();
  return current != nullptr ? current : stdout;
}

void setOutputStream(std::FILE* newStream) { stream.store(newStream); }

void emit(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(outputStream(), format, arguments);
  va_end(arguments);
}

void flushOutput() { std::fflush(outputStream()); }

}  // namespace quenvik
