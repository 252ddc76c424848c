// SPDX-License-Identifier: GPL-2.0-or-later
// VellumixState is everything the main window holds for the album builder: the open project,
// the settings read from it, the application options, the run flags and what the window shows.
// The window (and vellumix-cli) owns one; OpenProject and RunBuild read and write it. Field names
// are the project file's key names, so a reader can match them to the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ini_file.h"
#include "platform/line_list.h"

namespace vellumix {

inline constexpr std::string_view kApplicationTitle = "Vellumix";

struct VellumixState {
  std::unique_ptr<IniFile> ProjectIni;  // none until a project is opened
  std::string ProjectPath;
  std::string ProjectDir;  // folder of the project file, ending with "/"; "" for a bare name

  // Template paths as resolved during the last run.
  std::string IndexPage;
  std::string ImagePage;
  std::string MenuPage;
  std::string BlankPage;

  // Section InOut. The two folders are empty or end with "/".
  std::string ImgSrcDir;
  std::string OutputDir;
  std::string SubDirName;
  std::string ImgDirName;
  std::string IndexName;
  std::string HtmlExt;  // with its leading "."
  std::string ImgNameFormat;
  std::string ThmNameFormat;
  bool NameUpperCase = false;

  // Section Thumbnail.
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Percent = 0;
  int32_t Column = 0;
  int32_t Quality = 0;
  bool FillSpace = false;
  int32_t SpaceColor = 0;  // red in the lowest byte, then green, then blue
  std::string BlankCell;

  // Application options (the settings file).
  bool OpenLastPrj = false;
  bool OpenResult = false;
  std::string Editor;
  std::string CompleteSound;

  bool HtmlOnly = false;  // the next run writes pages only; cleared by every run
  LineList SourceImages;  // full paths of the source images of the last run, sorted
  bool AutoRun = false;
  std::string LastError;  // "エラー: " + message after an aborted run, else ""

  // What the window shows.
  std::string Caption = std::string(kApplicationTitle);
  bool ExecBtnEnabled = false;
  bool MenuBtnEnabled = true;
};

}  // namespace vellumix
