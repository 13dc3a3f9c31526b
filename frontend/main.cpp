// pbrain-quenvik: the engine as a console process driven by a game manager.
#include "frontend/Protocol.h"

int main() { return quenvik::runProtocol(); }
