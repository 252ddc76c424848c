// SPDX-License-Identifier: GPL-2.0-or-later
// Opening (or reopening) the project named by ProjectPath: a fresh project file object, a fresh
// log, the caption, the two folders and whether a build can start.
#pragma once

#include "builder/run_log.h"
#include "builder/vellumix_state.h"
#include "platform/code_page.h"

namespace vellumix {

// Does nothing when ProjectPath is empty. Otherwise re-creates ProjectIni (a missing or
// unreadable file reads as a project without keys), sets ProjectDir, clears the log and adds
// "Project File = " + path, sets the caption "Vellumix- [name]", reads NameUpperCase, ImgSrcDir
// and OutputDir, clears LastError, and enables the start button exactly when both folders are
// set. Never writes to the project file.
void OpenProject(VellumixState& state, RunLog& log, CodePage cp = ActiveCodePage());

}  // namespace vellumix
