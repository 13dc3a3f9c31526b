// The protocol loop: reads the manager's commands from standard input and
// answers on standard output.
#pragma once

namespace quenvik {

// Runs the loop until END or the end of input; returns the exit status.
int runProtocol();

}  // namespace quenvik
