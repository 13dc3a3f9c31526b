#include "frontend/Protocol.h"

#include <cstdio>

#include "core/EngineState.h"

namespace quenvik {

int runProtocol() {
  seedRandom(kMainThreadSeed);
  std::printf("MESSAGE Quenvik 5.1.1 is ready.\n");
  std::fflush(stdout);
  return 0;
}

}  // namespace quenvik
