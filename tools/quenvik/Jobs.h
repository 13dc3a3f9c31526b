// Independent pieces of work run side by side in child processes: each
// child computes one piece and hands its text back through a pipe. The
// engine is one state per process, so processes, not threads, are what lets
// decisions run at the same time.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace quenvik::tool {

struct JobResult {
  std::string text;
  bool complete = true;  // false when Ctrl-C stopped it
};

// Runs work(i) for every i below count, at most `jobs` at once, each in a
// child process when jobs > 1 (one after the other in this process when
// jobs is 1, or where the system has no fork). done(i, result) is called
// here, in the order the pieces finish. After Ctrl-C no new piece starts;
// the running ones finish what they can. Returns the number of pieces done.
std::size_t runJobs(std::size_t count, int jobs, const std::function<JobResult(std::size_t)>& work,
                    const std::function<void(std::size_t, const JobResult&)>& done);

// False where runJobs runs one piece at a time whatever `jobs` says.
bool jobsRunInParallel();

}  // namespace quenvik::tool
