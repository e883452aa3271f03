#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

long long NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Appends what is there; false once the pipe is at its end.
bool Drain(int fd, std::string& into) {
  char chunk[65536];
  const ssize_t got = read(fd, chunk, sizeof chunk);
  if (got > 0) into.append(chunk, static_cast<size_t>(got));
  return got > 0 || (got < 0 && (errno == EAGAIN || errno == EINTR));
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment) {
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
  std::vector<char*> args, env;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
  env.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    signal(SIGPIPE, SIG_DFL);
    execve(args[0], args.data(), env.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  in_ = in[1];
  out_ = out[0];
  err_ = err[0];
  fcntl(out_, F_SETFL, O_NONBLOCK);
  fcntl(err_, F_SETFL, O_NONBLOCK);
  signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  CloseFd(in_);
  CloseFd(out_);
  CloseFd(err_);
}

void ChildProcess::Send(const std::string& bytes) {
  size_t done = 0;
  while (in_ >= 0 && done < bytes.size()) {
    const ssize_t put = write(in_, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) break;
    done += static_cast<size_t>(put);
  }
}

std::string ChildProcess::Expect(size_t bytes, int timeoutMs) {
  const size_t start = result_.out.size();
  const long long deadline = NowMs() + timeoutMs;
  while (out_ >= 0 && result_.out.size() - start < bytes) {
    const long long left = deadline - NowMs();
    if (left <= 0) break;
    pollfd wait{out_, POLLIN, 0};
    if (poll(&wait, 1, static_cast<int>(left)) <= 0) continue;
    if (!Drain(out_, result_.out)) CloseFd(out_);
  }
  return result_.out.substr(start);
}

void ChildProcess::AbandonOutput() {
  CloseFd(out_);
}

ChildResult ChildProcess::Finish(const std::string& input, int timeoutMs) {
  if (pid_ <= 0) return result_;
  fcntl(in_, F_SETFL, O_NONBLOCK);
  size_t sent = 0;
  const long long deadline = NowMs() + timeoutMs;
  while (in_ >= 0 || out_ >= 0 || err_ >= 0) {
    if (in_ >= 0 && sent == input.size()) CloseFd(in_);
    const long long left = deadline - NowMs();
    if (left <= 0) {
      result_.timedOut = true;
      kill(pid_, SIGKILL);
      break;
    }
    pollfd waits[3] = {{in_, POLLOUT, 0}, {out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (poll(waits, 3, static_cast<int>(left)) <= 0) continue;
    if (in_ >= 0 && (waits[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t put = write(in_, input.data() + sent, input.size() - sent);
      if (put > 0) sent += static_cast<size_t>(put);
      // The child stopped reading (it has ended): the rest is never read.
      if (put < 0 && errno != EAGAIN && errno != EINTR) CloseFd(in_);
    }
    if (out_ >= 0 && waits[1].revents && !Drain(out_, result_.out)) CloseFd(out_);
    if (err_ >= 0 && waits[2].revents && !Drain(err_, result_.err)) CloseFd(err_);
  }
  CloseFd(in_);
  CloseFd(out_);
  CloseFd(err_);
  int status = 0;
  // The pipes can close before the child ends (its own children may hold
  // them no longer): wait for the child itself, within the deadline.
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (NowMs() > deadline + 1000) {
      result_.timedOut = true;
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    usleep(1000);
  }
  pid_ = -1;
  if (WIFEXITED(status)) result_.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result_.status = 128 + WTERMSIG(status);
  return result_;
}
