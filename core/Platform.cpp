#include "core/Platform.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
// WaitOnAddress (Windows 8 and later) comes after windows.h.
#include <synchapi.h>
#else
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace quenvik {

namespace {

struct Call {
  void (*procedure)(void*);
  void* context;
};

void zeroBytes(unsigned char* begin, unsigned char* end) {
  if (end > begin) std::memset(begin, 0, static_cast<std::size_t>(end - begin));
}

#if defined(_WIN32)

using ThreadHandle = HANDLE;

unsigned __stdcall runDetached(void* procedure) {
  reinterpret_cast<void (*)()>(procedure)();
  return 0;
}

unsigned __stdcall runCall(void* call) {
  const Call* c = static_cast<const Call*>(call);
  c->procedure(c->context);
  return 0;
}

// The size is a reservation only: committing 64 MiB up front would count
// against the tournament's memory limit although a search touches little of it.
ThreadHandle startThread(unsigned(__stdcall* entry)(void*), void* argument) {
  const std::uintptr_t handle = _beginthreadex(nullptr, static_cast<unsigned>(kSearchStackBytes), entry, argument,
                                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (handle == 0) throw std::system_error(errno, std::generic_category(), "cannot start a thread");
  return reinterpret_cast<ThreadHandle>(handle);
}

void detach(ThreadHandle thread) { CloseHandle(thread); }

void join(ThreadHandle thread) {
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

#else

using ThreadHandle = pthread_t;

void* runDetached(void* procedure) {
  reinterpret_cast<void (*)()>(procedure)();
  return nullptr;
}

void* runCall(void* call) {
  const Call* c = static_cast<const Call*>(call);
  c->procedure(c->context);
  return nullptr;
}

ThreadHandle startThread(void* (*entry)(void*), void* argument) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kSearchStackBytes);
  pthread_t thread;
  const int error = pthread_create(&thread, &attributes, entry, argument);
  pthread_attr_destroy(&attributes);
  if (error != 0) throw std::system_error(error, std::generic_category(), "cannot start a thread");
  return thread;
}

void detach(ThreadHandle thread) { pthread_detach(thread); }

void join(ThreadHandle thread) { pthread_join(thread, nullptr); }

#endif

// Hands the whole pages inside [begin, end) back to the system, which gives
// them back zeroed on the next touch; false when it cannot.
bool returnWholePages(unsigned char* firstPage, unsigned char* lastPage) {
#if defined(_WIN32) || defined(__EMSCRIPTEN__)
  // Windows: a static block cannot be decommitted, and the reset and discard
  // calls keep old contents on a later touch. WebAssembly memory never gives
  // pages back, and its madvise succeeds without doing anything. Only writing
  // zeros is certain.
  (void)firstPage;
  (void)lastPage;
  return false;
#else
  if (lastPage <= firstPage) return false;
  return madvise(firstPage, static_cast<std::size_t>(lastPage - firstPage), MADV_DONTNEED) == 0;
#endif
}

std::uintptr_t pageBytes() {
#if defined(_WIN32)
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
#else
  return static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
#endif
}

}  // namespace

void startDetachedThread(void (*procedure)()) { detach(startThread(runDetached, reinterpret_cast<void*>(procedure))); }

void runOnSearchStack(void (*procedure)(void*), void* context) {
  Call call{procedure, context};
  join(startThread(runCall, &call));
}

#if defined(_WIN32)

// WaitOnAddress compares and sleeps as one step against WakeByAddressAll, so
// a change made just before the sleep is never missed.
void waitWhileEquals(const std::atomic<int32_t>& value, int32_t old) {
  WaitOnAddress(const_cast<std::atomic<int32_t>*>(&value), &old, sizeof old, INFINITE);
}

void wakeWaiters(std::atomic<int32_t>& value) { WakeByAddressAll(&value); }

#else

void waitWhileEquals(const std::atomic<int32_t>& value, int32_t old) { value.wait(old); }

void wakeWaiters(std::atomic<int32_t>& value) { value.notify_all(); }

#endif

// Ragged ends, and a system that refuses, get plain writes.
void zeroLargeBlock(void* block, std::size_t size) {
  unsigned char* const begin = static_cast<unsigned char*>(block);
  unsigned char* const end = begin + size;
  const std::uintptr_t page = pageBytes();
  unsigned char* const firstPage =
      reinterpret_cast<unsigned char*>((reinterpret_cast<std::uintptr_t>(begin) + page - 1) / page * page);
  unsigned char* const lastPage = reinterpret_cast<unsigned char*>(reinterpret_cast<std::uintptr_t>(end) / page * page);
  if (!returnWholePages(firstPage, lastPage)) {
    zeroBytes(begin, end);
    return;
  }
  zeroBytes(begin, firstPage);
  zeroBytes(lastPage, end);
}

std::size_t systemPageBytes() { return static_cast<std::size_t>(pageBytes()); }

#if defined(__linux__) && defined(MADV_HUGEPAGE)

namespace {

// Kernels since 5.14 know it; older headers may not name it.
#ifndef MADV_POPULATE_WRITE
constexpr int MADV_POPULATE_WRITE = 23;
#endif

// Advice works on whole pages: keeps to the ones inside the block.
bool adviseWholePages(void* begin, std::size_t bytes, int advice) {
  const std::uintptr_t page = pageBytes();
  const auto start = reinterpret_cast<std::uintptr_t>(begin);
  const std::uintptr_t first = (start + page - 1) / page * page;
  const std::uintptr_t last = (start + bytes) / page * page;
  if (last <= first) return true;
  return madvise(reinterpret_cast<void*>(first), last - first, advice) == 0;
}

}  // namespace

void adviseHugePages(void* begin, std::size_t bytes) { adviseWholePages(begin, bytes, MADV_HUGEPAGE); }

void adviseAgainstHugePages(void* begin, std::size_t bytes) { adviseWholePages(begin, bytes, MADV_NOHUGEPAGE); }

bool populatePages(void* begin, std::size_t bytes) { return adviseWholePages(begin, bytes, MADV_POPULATE_WRITE); }

#else

void adviseHugePages(void*, std::size_t) {}

void adviseAgainstHugePages(void*, std::size_t) {}

bool populatePages(void*, std::size_t) { return false; }

#endif

}  // namespace quenvik
