// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/cli_log.h"

namespace vellumix {

void CliLog::AddLine(std::string_view line) {
  Flush();
  pending_ = std::string(line);
}

void CliLog::AppendToLastLine(std::string_view text) {
  if (!pending_) pending_.emplace();
  *pending_ += text;
}

void CliLog::Flush() {
  if (!pending_) return;
  std::fwrite(pending_->data(), 1, pending_->size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);  // a script watching the output sees each image as it is done
  pending_.reset();
}

}  // namespace vellumix
