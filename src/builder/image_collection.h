// SPDX-License-Identifier: GPL-2.0-or-later
// Collecting the source images and making sure the album's folders exist.
#pragma once

#include <string>
#include <string_view>

#include "builder/run_log.h"
#include "builder/vellumix_state.h"
#include "platform/code_page.h"

namespace vellumix {

// Fills SourceImages with every "*.jpg" file (any letter case) directly in ImgSrcDir, sorted by
// the user's collation without regard to case, and logs their number. Throws
// Abort("対象となる画像ファイルがありません") when there is none (a missing folder included).
void CollectSourceImages(VellumixState& state, RunLog& log, CodePage cp = ActiveCodePage());

// Creates OutputDir, then OutputDir + ImgDirName, then OutputDir + SubDirName where missing, one
// level each. Throws the Abort of the folder that cannot be created. Throws Failure when a
// folder name would lead outside the output folder.
void MakeOutputFolders(const VellumixState& state, CodePage cp = ActiveCodePage());

// Throws Failure unless `relative` (a name or path the program writes under the output folder)
// stays inside it: not absolute, and no ".." that climbs above its start.
void RequireInsideOutputFolder(std::string_view relative, CodePage cp = ActiveCodePage());

}  // namespace vellumix
