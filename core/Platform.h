// The few things the operating system does differently: threads with a
// stack large enough for the deepest search, waiting for a counter to
// change, zeroing a large block, and bringing pages into memory.
// Everything that differs between POSIX and Windows lives in Platform.cpp.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace quenvik {

// The searches recurse up to 100 plies with about 15 KB of locals each, and
// the sanitizers inflate frames; every thread that searches gets this much.
constexpr std::size_t kSearchStackBytes = std::size_t{64} << 20;

// Starts procedure on a detached thread with a search-sized stack.
void startDetachedThread(void (*procedure)());

// Runs procedure(context) on a search-sized stack and waits for it.
void runOnSearchStack(void (*procedure)(void*), void* context);

// Convenience for callables.
template <typename F>
void runOnSearchStack(F&& callable) {
  runOnSearchStack([](void* context) { (*static_cast<F*>(context))(); }, static_cast<void*>(&callable));
}

// Blocks while value holds old; may also return early, so callers loop.
// wakeWaiters(value) after a change wakes every thread blocked on it. (The
// C++ library's atomic wait can miss a wake-up on Windows, where it is a
// condition variable notified without its mutex.)
void waitWhileEquals(const std::atomic<int32_t>& value, int32_t old);
void wakeWaiters(std::atomic<int32_t>& value);

// Sets bytes [begin, begin + size) to zero. Where the system allows it, the
// whole pages go back to it instead of being written, so a large block that a
// game fills only in part takes memory again only where it is used.
void zeroLargeBlock(void* begin, std::size_t size);

// Asks for huge pages behind [begin, begin + bytes): a big table touched at
// random then costs far fewer page faults and TLB misses. Only advice: where
// the system has no such pages, nothing happens.
void adviseHugePages(void* begin, std::size_t bytes);

// The opposite advice: pages first touched there come one small page at a
// time, however the system is set up.
void adviseAgainstHugePages(void* begin, std::size_t bytes);

// Has the system bring the whole pages of [begin, begin + bytes) into memory,
// writable, without changing their contents; false where it cannot (the
// caller then writes to them itself).
bool populatePages(void* begin, std::size_t bytes);

// The size of a memory page.
std::size_t systemPageBytes();

}  // namespace quenvik
