// SPDX-License-Identifier: GPL-2.0-or-later
// Running the built vellumix-cli from a test: in a given folder, with its output captured.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vellumix::testing {

struct CliResult {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
  std::vector<std::string> lines;  // `out` split at "\n"
};

// Runs vellumix-cli with `args` (each passed as one argument) in the folder `cwd`, with the
// environment variables `env` set in addition to the test's own.
CliResult RunCli(const std::string& cwd, const std::vector<std::string>& args,
                 const std::vector<std::pair<std::string, std::string>>& env = {});

}  // namespace vellumix::testing
