// SPDX-License-Identifier: GPL-2.0-or-later
// vellumix-cli: one build run on a project file, with no GUI library at all.
//
//   vellumix-cli [-H] PROJECT
//
// Log lines go to standard output. Exit status: 0 the run finished, 1 it was aborted (the log
// ends with "エラー: …" and "中断しました"), 2 any other failure (its message on standard error),
// 64 a usage error.

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "builder/build_run.h"
#include "cli/cli_log.h"
#include "platform/code_page.h"

namespace {

constexpr int kExitFinished = 0;
constexpr int kExitAborted = 1;
constexpr int kExitFailed = 2;
constexpr int kExitUsage = 64;  // EX_USAGE

constexpr const char* kUsage = "usage: vellumix-cli [-H] PROJECT\n";

}  // namespace

int main(int argc, char** argv) {
  bool html_only = false;
  const char* project = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
      std::fputs(kUsage, stdout);
      return kExitFinished;
    }
    if (std::strcmp(arg, "-H") == 0) {
      html_only = true;
    } else if (arg[0] != '-' && arg[0] != '\0' && project == nullptr) {
      project = arg;
    } else {
      std::fputs(kUsage, stderr);
      return kExitUsage;
    }
  }
  if (project == nullptr) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }

  const vellumix::CodePage cp = vellumix::ActiveCodePage();  // also adopts the user's locale
  vellumix::VellumixState state;
  state.ProjectPath = project;
  state.HtmlOnly = html_only;
  vellumix::CliLog log(stdout);
  try {
    vellumix::RunBuild(state, log, cp);
  } catch (const std::exception& failure) {
    log.Flush();
    std::fprintf(stderr, "%s\n", failure.what());
    return kExitFailed;
  }
  log.Flush();
  return state.LastError.empty() ? kExitFinished : kExitAborted;
}
