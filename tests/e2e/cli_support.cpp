// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/e2e/cli_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vellumix::testing {

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

CliResult RunCli(const std::string& cwd, const std::vector<std::string>& args,
                 const std::vector<std::pair<std::string, std::string>>& env) {
  char out_template[] = "/tmp/vellumix-cli-out-XXXXXX";
  char err_template[] = "/tmp/vellumix-cli-err-XXXXXX";
  const int out_fd = mkstemp(out_template);
  const int err_fd = mkstemp(err_template);

  CliResult result;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out_fd, STDOUT_FILENO);
    dup2(err_fd, STDERR_FILENO);
    if (chdir(cwd.c_str()) != 0) _exit(127);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    static char cli[] = VELLUMIX_CLI;
    argv.push_back(cli);
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(cli, argv.data());
    _exit(127);
  }
  int wait_status = 0;
  waitpid(pid, &wait_status, 0);
  close(out_fd);
  close(err_fd);
  if (WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  result.out = Slurp(out_template);
  result.err = Slurp(err_template);
  unlink(out_template);
  unlink(err_template);

  size_t start = 0;
  while (start < result.out.size()) {
    const size_t end = result.out.find('\n', start);
    if (end == std::string::npos) {
      result.lines.push_back(result.out.substr(start));
      break;
    }
    result.lines.push_back(result.out.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

}  // namespace vellumix::testing
