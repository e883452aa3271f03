#include "link_process.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

extern char** environ;

LinkProcess::~LinkProcess() {
  if (pid > 0) FinishLink(this, 3000);
}

bool StartLink(int speaker, int microphone, int number, const std::string& target,
               const std::vector<std::string>& environment, const std::string& directory,
               const std::string& name, LinkProcess* out) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  out->outputPath = directory + "/" + name + ".stdout";
  out->errorPath = directory + "/" + name + ".stderr";
  std::vector<std::string> words = {LINKCTL_PROGRAM, std::to_string(speaker),
                                    std::to_string(microphone), std::to_string(number), target};
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "COM_CLASS_PATH=", 15) != 0 &&
        std::strncmp(*entry, "AUDIOLINK_", 10) != 0) {
      variables.push_back(*entry);
    }
  }
  variables.insert(variables.end(), environment.begin(), environment.end());
  std::vector<char*> argv, envp;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    dup2(pipeFds[0], 0);
    const int output = open(out->outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int error = open(out->errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(output, 1);
    dup2(error, 2);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(pipeFds[0]);
  out->pid = pid;
  out->input = pipeFds[1];
  return true;
}

int64_t SendWord(LinkProcess* link, const std::string& word) {
  const std::string line = word + "\n";
  const int64_t now = NowNs();
  if (link->input >= 0) {
    signal(SIGPIPE, SIG_IGN);
    [[maybe_unused]] ssize_t written = write(link->input, line.data(), line.size());
  }
  return now;
}

int FinishLink(LinkProcess* link, int timeoutMs) {
  if (link->input >= 0) close(link->input);
  link->input = -1;
  if (link->pid <= 0) return -1;
  int status = 0;
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    if (waitpid(link->pid, &status, WNOHANG) == link->pid) {
      link->pid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    SleepMs(10);
  }
  kill(link->pid, SIGKILL);
  waitpid(link->pid, &status, 0);
  link->pid = -1;
  return -1;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::map<std::string, double> LastStats(const std::string& path) {
  std::ifstream file(path);
  std::string line, last;
  while (std::getline(file, line)) {
    if (!line.empty()) last = line;
  }
  std::map<std::string, double> values;
  std::istringstream fields(last);
  std::string field;
  while (fields >> field) {
    const size_t equals = field.find('=');
    if (equals != std::string::npos) {
      values[field.substr(0, equals)] = std::atof(field.c_str() + equals + 1);
    }
  }
  return values;
}

int FreePort() {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

std::string MakeTempDirectory() {
  char pattern[] = "/tmp/audiolink-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  return made != nullptr ? made : "/tmp";
}

void SleepMs(int ms) {
  timespec pause{ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&pause, nullptr);
}

int64_t NowNs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}
