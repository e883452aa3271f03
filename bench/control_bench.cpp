// linkctl's control path against its baselines, measured in one run with
// the two alternating: command throughput against `wc -w`, the answer round
// trip and start-up against a minimal echo program, and linkctl's peak
// resident memory. A benchmark: it prints figures and judges nothing.
//
// control_bench LINKCTL ECHO CLASS_DIR [WORDS] [TRIPS] [REPETITIONS]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

struct Child {
  pid_t pid = -1;
  int in = -1;   // its standard input
  int out = -1;  // its standard output
};

struct Ended {
  double seconds = 0;
  long maxRssKiB = 0;
};

std::vector<std::string> BenchEnvironment(const std::string& classDir) {
  // The recording component records nothing without its log variable: a
  // component that costs nothing.
  std::vector<std::string> env = {"COM_CLASS_PATH=" + classDir, "LC_ALL=C"};
  if (const char* path = std::getenv("PATH")) env.push_back(std::string("PATH=") + path);
  return env;
}

Child Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) std::exit(1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  Child child;
  if (posix_spawn(&child.pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) {
    std::fprintf(stderr, "cannot start %s\n", args[0]);
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  child.in = in[1];
  child.out = out[0];
  return child;
}

// The child's peak resident memory so far, read while it still runs: the
// exit's rusage would count the spawning process's pages from before exec.
long PeakResidentKiB(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/status";
  FILE* status = std::fopen(path.c_str(), "r");
  if (status == nullptr) return -1;
  char line[256];
  long kib = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
  }
  std::fclose(status);
  return kib;
}

Ended Wait(Child& child, Clock::time_point started) {
  if (child.in >= 0) close(child.in);
  // Drain what is left so that the child never blocks on a full pipe.
  char sink[65536];
  while (child.out >= 0 && read(child.out, sink, sizeof sink) > 0) {
  }
  if (child.out >= 0) close(child.out);
  int status = 0;
  waitpid(child.pid, &status, 0);
  Ended ended;
  ended.seconds = std::chrono::duration<double>(Clock::now() - started).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "child ended with status %d\n", status);
    std::exit(1);
  }
  return ended;
}

void WriteAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t put = write(fd, bytes, count);
    if (put <= 0) return;
    bytes += put;
    count -= static_cast<size_t>(put);
  }
}

// The mixed stream: command words, a Set word with its number, short unknown
// words and, one word in longEvery, a long unknown word (100 to 3000 bytes),
// each followed by a line feed. No Get words.
std::string MakeStream(long words, unsigned seed, unsigned longEvery) {
  static const char* const kShort[] = {"pause", "resume", "StartRX",     "StopTX",
                                       "xyzzy", "foo",    "unknownword", "SetSpeakerVolume 42"};
  std::mt19937 random(seed);
  std::string stream;
  stream.reserve(static_cast<size_t>(words) * 24);
  for (long n = 0; n < words;) {
    if (longEvery != 0 && random() % longEvery == 0) {
      stream.append(100 + random() % 2901, 'L');
      ++n;
    } else {
      const char* word = kShort[random() % 8];
      stream += word;
      n += std::strchr(word, ' ') != nullptr ? 2 : 1;
    }
    stream += '\n';
  }
  return stream;
}

Ended PipeThrough(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                  const std::string& stream) {
  const Clock::time_point started = Clock::now();
  Child child = Spawn(argv, env);
  std::thread reader([&] {
    char sink[65536];
    while (read(child.out, sink, sizeof sink) > 0) {
    }
  });
  WriteAll(child.in, stream.data(), stream.size());
  // Blocked on its input, not yet at its end: still there to be asked.
  const long peak = PeakResidentKiB(child.pid);
  close(child.in);
  child.in = -1;
  reader.join();
  close(child.out);
  child.out = -1;
  Ended ended = Wait(child, started);
  ended.maxRssKiB = peak;
  return ended;
}

// Reads up to and including the answer's carriage return.
bool ReadAnswer(int fd) {
  char bytes[64];
  for (;;) {
    const ssize_t got = read(fd, bytes, sizeof bytes);
    if (got <= 0) return false;
    if (std::memchr(bytes, '\r', static_cast<size_t>(got)) != nullptr) return true;
  }
}

struct Trips {
  std::vector<double> micros;
  long maxRssKiB = 0;
};

void RoundTrips(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                long trips, Trips& into) {
  const Clock::time_point started = Clock::now();
  Child child = Spawn(argv, env);
  static const char kAsk[] = "GetMicrophoneVolume\n";
  for (long i = 0; i < trips; ++i) {
    const Clock::time_point sent = Clock::now();
    WriteAll(child.in, kAsk, sizeof kAsk - 1);
    if (!ReadAnswer(child.out)) std::exit(1);
    into.micros.push_back(Micros(Clock::now() - sent));
  }
  into.maxRssKiB = std::max(into.maxRssKiB, PeakResidentKiB(child.pid));
  WriteAll(child.in, "stop\n", 5);
  Wait(child, started);
}

double StartUp(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  const Clock::time_point started = Clock::now();
  Child child = Spawn(argv, env);
  WriteAll(child.in, "GetSpeakerVolume\n", 17);
  if (!ReadAnswer(child.out)) std::exit(1);
  const double micros = Micros(Clock::now() - started);
  WriteAll(child.in, "stop\n", 5);
  Wait(child, started);
  return micros;
}

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
}

double Median(std::vector<double> values) {
  return Percentile(std::move(values), 0.5);
}

void Row(const char* figure, double linkctl, double baseline, const char* unit) {
  std::printf("%-34s %14.2f %14.2f %8.2f   %s\n", figure, linkctl, baseline, linkctl / baseline,
              unit);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s LINKCTL ECHO CLASS_DIR [WORDS] [TRIPS] [REPETITIONS]\n",
                 argv[0]);
    return 2;
  }
  const std::string linkctl = argv[1], echo = argv[2], classDir = argv[3];
  const long words = argc > 4 ? std::atol(argv[4]) : 10000000;
  const long trips = argc > 5 ? std::atol(argv[5]) : 100000;
  const int repetitions = argc > 6 ? std::atoi(argv[6]) : 5;
  signal(SIGPIPE, SIG_IGN);

  const std::vector<std::string> env = BenchEnvironment(classDir);
  const std::vector<std::string> linkctlArgs = {linkctl, "50", "50", "6666", "localhost"};
  const std::vector<std::string> wcArgs = {"/usr/bin/wc", "-w"};
  const std::vector<std::string> echoArgs = {echo};

  const std::string stream = MakeStream(words, 1, 100);
  const std::string tenth = MakeStream(words / 10, 2, 100);
  const std::string shortWords = MakeStream(words, 3, 0);
  std::printf(
      "stream: %ld words, %zu bytes (short words only: %zu bytes); %ld round trips; "
      "%d repetitions, alternating\n\n",
      words, stream.size(), shortWords.size(), trips, repetitions);

  std::vector<double> linkctlRate, wcRate, linkctlShortRate, wcShortRate;
  long rssFull = 0, rssTenth = 0;
  for (int rep = 0; rep < repetitions; ++rep) {
    const Ended l = PipeThrough(linkctlArgs, env, stream);
    const Ended w = PipeThrough(wcArgs, env, stream);
    linkctlRate.push_back(static_cast<double>(words) / l.seconds);
    wcRate.push_back(static_cast<double>(words) / w.seconds);
    rssFull = std::max(rssFull, l.maxRssKiB);
    linkctlShortRate.push_back(static_cast<double>(words) /
                               PipeThrough(linkctlArgs, env, shortWords).seconds);
    wcShortRate.push_back(static_cast<double>(words) /
                          PipeThrough(wcArgs, env, shortWords).seconds);
    rssTenth = std::max(rssTenth, PipeThrough(linkctlArgs, env, tenth).maxRssKiB);
  }

  Trips linkctlTrips, echoTrips;
  std::vector<double> linkctlStart, echoStart;
  for (int rep = 0; rep < repetitions; ++rep) {
    RoundTrips(linkctlArgs, env, trips, linkctlTrips);
    RoundTrips(echoArgs, env, trips, echoTrips);
  }
  for (int rep = 0; rep < 20 * repetitions; ++rep) {
    linkctlStart.push_back(StartUp(linkctlArgs, env));
    echoStart.push_back(StartUp(echoArgs, env));
  }

  std::printf("%-34s %14s %14s %8s\n", "figure", "linkctl", "baseline", "ratio");
  Row("throughput (wc -w)", Median(linkctlRate) / 1e6, Median(wcRate) / 1e6, "million words/s");
  Row("  short words only (wc -w)", Median(linkctlShortRate) / 1e6, Median(wcShortRate) / 1e6,
      "million words/s");
  Row("round trip median (echo)", Median(linkctlTrips.micros), Median(echoTrips.micros), "us");
  Row("round trip p99 (echo)", Percentile(linkctlTrips.micros, 0.99),
      Percentile(echoTrips.micros, 0.99), "us");
  Row("start-up to first answer (echo)", Median(linkctlStart), Median(echoStart), "us median");
  std::printf(
      "\npeak resident memory of linkctl: %ld KiB over %ld words, %ld KiB over %ld words, "
      "%ld KiB over the round trips\n",
      rssFull, words, rssTenth, words / 10, linkctlTrips.maxRssKiB);
  return 0;
}
