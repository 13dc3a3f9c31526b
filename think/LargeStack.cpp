#include "think/LargeStack.h"

#include <pthread.h>

#include <system_error>

namespace quenvik {

namespace {

struct Call {
  void (*procedure)(void*);
  void* context;
};

void* runDetached(void* procedure) {
  reinterpret_cast<void (*)()>(procedure)();
  return nullptr;
}

void* runCall(void* call) {
  const Call* c = static_cast<const Call*>(call);
  c->procedure(c->context);
  return nullptr;
}

void startThread(void* (*entry)(void*), void* argument, bool detached, pthread_t* thread) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kSearchStackBytes);
  if (detached) pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  const int error = pthread_create(thread, &attributes, entry, argument);
  pthread_attr_destroy(&attributes);
  if (error != 0) throw std::system_error(error, std::generic_category(), "cannot start a thread");
}

}  // namespace

void startDetachedThread(void (*procedure)()) {
  pthread_t thread;
  startThread(runDetached, reinterpret_cast<void*>(procedure), true, &thread);
}

void runOnSearchStack(void (*procedure)(void*), void* context) {
  Call call{procedure, context};
  pthread_t thread;
  startThread(runCall, &call, false, &thread);
  pthread_join(thread, nullptr);
}

}  // namespace quenvik
