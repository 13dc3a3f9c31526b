#include "tools/quenvik/Jobs.h"

#include <cstdio>
#include <vector>

#include "tools/quenvik/Terminal.h"

#if !defined(_WIN32)
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace quenvik::tool {

namespace {

constexpr int kInterruptedExit = 130;  // what a child reports for a stopped piece

std::size_t runHere(std::size_t count, const std::function<JobResult(std::size_t)>& work,
                    const std::function<void(std::size_t, const JobResult&)>& done) {
  std::size_t finished = 0;
  for (std::size_t i = 0; i < count && !interrupted(); ++i) {
    done(i, work(i));
    ++finished;
  }
  return finished;
}

#if !defined(_WIN32)

struct Child {
  pid_t pid = -1;
  int output = -1;  // the read end of its pipe
  std::size_t piece = 0;
  std::string text;
};

void writeAll(int fd, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    written += static_cast<std::size_t>(n);
  }
}

// The child computes its piece, writes the text and leaves without running
// the parent's exit handlers or flushing its copies of the parent's buffers.
bool startChild(std::size_t piece, const std::function<JobResult(std::size_t)>& work, Child& child) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    close(fds[0]);
    const JobResult result = work(piece);
    writeAll(fds[1], result.text);
    close(fds[1]);
    _exit(result.complete ? 0 : kInterruptedExit);
  }
  close(fds[1]);
  child = Child{pid, fds[0], piece, {}};
  return true;
}

// Reads what the children have written; true when `child` reached its end.
bool readFrom(Child& child) {
  char chunk[65536];
  const ssize_t n = read(child.output, chunk, sizeof chunk);
  if (n < 0 && errno == EINTR) return false;
  if (n > 0) {
    child.text.append(chunk, static_cast<std::size_t>(n));
    return false;
  }
  return true;
}

JobResult finishChild(Child& child) {
  close(child.output);
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
  }
  JobResult result;
  result.text = std::move(child.text);
  result.complete = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}

std::size_t runInChildren(std::size_t count, int jobs, const std::function<JobResult(std::size_t)>& work,
                          const std::function<void(std::size_t, const JobResult&)>& done) {
  std::vector<Child> running;
  std::size_t next = 0, finished = 0;
  while (!running.empty() || (next < count && !interrupted())) {
    while (running.size() < static_cast<std::size_t>(jobs) && next < count && !interrupted()) {
      Child child;
      if (!startChild(next, work, child)) {
        // No process to be had: this piece runs here instead.
        done(next, work(next));
        ++finished;
        ++next;
        continue;
      }
      running.push_back(std::move(child));
      ++next;
    }
    if (running.empty()) break;
    std::vector<pollfd> fds;
    for (const Child& child : running) fds.push_back({child.output, POLLIN, 0});
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;                // Ctrl-C, seen above
      for (pollfd& fd : fds) fd.revents = POLLIN;  // no poll: read each child in turn
    }
    for (std::size_t k = running.size(); k-- > 0;) {
      if (fds[k].revents == 0 || !readFrom(running[k])) continue;
      const JobResult result = finishChild(running[k]);
      done(running[k].piece, result);
      ++finished;
      running.erase(running.begin() + static_cast<std::ptrdiff_t>(k));
    }
  }
  return finished;
}

#endif

}  // namespace

bool jobsRunInParallel() {
#if defined(_WIN32)
  return false;
#else
  return true;
#endif
}

std::size_t runJobs(std::size_t count, int jobs, const std::function<JobResult(std::size_t)>& work,
                    const std::function<void(std::size_t, const JobResult&)>& done) {
#if !defined(_WIN32)
  if (jobs > 1) return runInChildren(count, jobs, work, done);
#endif
  (void)jobs;
  return runHere(count, work, done);
}

}  // namespace quenvik::tool
