// Test support: `zorvel serve` started on a free loopback port as a child process, its port read
// from the first line it prints (bounded wait), and ended when the object goes.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

namespace cli_test {

class ServerProcess {
 public:
  explicit ServerProcess(const std::string& root, const std::vector<std::string>& extra = {}) {
    int out[2];
    if (pipe(out) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      std::vector<std::string> arguments = {ZORVEL_CLI, "serve", root, "--port", "0", "--host", "127.0.0.1"};
      arguments.insert(arguments.end(), extra.begin(), extra.end());
      std::vector<char*> argv;
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    m_port = ReadPort(out[0]);
    close(out[0]);
  }
  ~ServerProcess() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  int Port() const { return m_port; }  // 0 when the server did not start
  pid_t Pid() const { return m_pid; }

 private:
  // "Serving N slide(s) at http://127.0.0.1:PORT/" within 20 seconds.
  static int ReadPort(int fd) {
    std::string line;
    pollfd wait{fd, POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&wait, 1, 20000) > 0) {
      char buffer[256];
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      line.append(buffer, static_cast<size_t>(n));
    }
    const size_t colon = line.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
  }

  pid_t m_pid = -1;
  int m_port = 0;
};

}  // namespace cli_test
