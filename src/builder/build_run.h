// SPDX-License-Identifier: GPL-2.0-or-later
// The build run: one complete album from the project as it is on disk now.
#pragma once

#include "builder/run_log.h"
#include "builder/vellumix_state.h"
#include "platform/code_page.h"

namespace vellumix {

// Performs one build run, the work of the start button: reopens the project, reads its settings,
// collects the images, prepares folders, templates and names, exports every image with its
// thumbnail and page, and writes the menu, blank and index pages, reporting each step to `log`.
//
// Returns normally when the run finished (the log ends with "終了しました", LastError is empty
// and the completion actions were requested) or was aborted (the log ends with "エラー: " +
// message and "中断しました", LastError holds the first of them, and the log beeped). Any other
// failure (Failure: a file that cannot be read or written, a JPEG the decoder rejects) is thrown
// on after the clean-up. On every way out both buttons are enabled again and HtmlOnly is
// cleared. Files written before an abort or failure stay.
void RunBuild(VellumixState& state, RunLog& log, CodePage cp = ActiveCodePage());

}  // namespace vellumix
