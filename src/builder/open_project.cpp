// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/open_project.h"

#include <memory>
#include <string>

#include "builder/project_settings.h"
#include "platform/byte_string.h"

namespace vellumix {

void OpenProject(VellumixState& state, RunLog& log, CodePage cp) {
  if (state.ProjectPath.empty()) return;

  state.ProjectIni = std::make_unique<IniFile>(state.ProjectPath);
  state.ProjectDir = std::string(FolderPart(state.ProjectPath, cp));

  log.Clear();
  log.AddLine("Project File = " + state.ProjectPath);

  state.Caption = std::string(kApplicationTitle) + "- [" +
                  std::string(FileNamePart(state.ProjectPath, cp)) + "]";

  ReadFolderSettings(*state.ProjectIni, state);
  state.LastError.clear();
  state.ExecBtnEnabled = !state.ImgSrcDir.empty() && !state.OutputDir.empty();
  log.ButtonsChanged();
}

}  // namespace vellumix
