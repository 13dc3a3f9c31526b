// Threads with a stack large enough for the deepest search.
#pragma once

#include <cstddef>

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

}  // namespace quenvik
