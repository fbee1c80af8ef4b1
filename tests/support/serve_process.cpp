#include "support/serve_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace korvane::testing {
namespace {

constexpr const char* kHooksVariable = "KORVANE_TDS_TEST_HOOKS=";

// Reads one line from `fd`, giving up when nothing comes for `wait_ms` or the pipe ends.
bool ReadLine(int fd, int wait_ms, std::string* line) {
  line->clear();
  for (;;) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, wait_ms) <= 0)
      return false;
    char c = 0;
    const ssize_t got = ::read(fd, &c, 1);
    if (got <= 0)
      return false;
    if (c == '\n')
      return true;
    *line += c;
  }
}

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::unique_ptr<ServeProcess> ServeProcess::Start(const Options& options, std::string* error) {
  std::filesystem::create_directories(options.profile);
  const std::filesystem::path stderr_file = options.profile / "serve.err";
  // Everything the child needs is made before fork: it only calls async-signal-safe functions.
  std::vector<std::string> arguments = {
      options.cli,    "--profile",       options.profile.string(),     "serve",
      options.server, "--port",          std::to_string(options.port), "--login",
      options.login,  "--password-stdin"};
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (std::strncmp(*variable, kHooksVariable, std::strlen(kHooksVariable)) != 0)
      environment.emplace_back(*variable);
  }
  if (!options.hooks.empty())
    environment.push_back(kHooksVariable + options.hooks);
  std::vector<char*> envp;
  for (std::string& variable : environment)
    envp.push_back(variable.data());
  envp.push_back(nullptr);
  const std::string stderr_path = stderr_file.string();

  int to_child[2];
  int from_child[2];
  if (::pipe(to_child) != 0) {
    *error = "pipe failed";
    return nullptr;
  }
  if (::pipe(from_child) != 0) {
    ::close(to_child[0]);
    ::close(to_child[1]);
    *error = "pipe failed";
    return nullptr;
  }
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
      ::_exit(126);
    ::dup2(to_child[0], STDIN_FILENO);
    ::dup2(from_child[1], STDOUT_FILENO);
    const int err = ::open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err >= 0)
      ::dup2(err, STDERR_FILENO);
    ::close(to_child[0]);
    ::close(to_child[1]);
    ::close(from_child[0]);
    ::close(from_child[1]);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(to_child[0]);
  ::close(from_child[1]);
  if (pid < 0) {
    ::close(to_child[1]);
    ::close(from_child[0]);
    *error = "fork failed";
    return nullptr;
  }
  const std::string password_line = options.password + "\n";
  const bool written = ::write(to_child[1], password_line.data(), password_line.size()) ==
                       static_cast<ssize_t>(password_line.size());
  ::close(to_child[1]);
  std::string line;
  // A generous bound: the listener prints its port once it accepts clients.
  const bool got_port = written && ReadLine(from_child[0], 60000, &line);
  ::close(from_child[0]);
  std::unique_ptr<ServeProcess> process(new ServeProcess(pid, 0));
  if (!got_port || line.empty() || line.find_first_not_of("0123456789") != std::string::npos) {
    process.reset();  // stops the child
    *error = "serve printed no port: " + FileText(stderr_file);
    return nullptr;
  }
  process->port_ = std::stoi(line);
  return process;
}

ServeProcess::~ServeProcess() {
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
}

}  // namespace korvane::testing
