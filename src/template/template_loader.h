// SPDX-License-Identifier: GPL-2.0-or-later
// Loading the four templates of a project and filling their global placeholders: the step of a
// build run that turns the files the user wrote into the line lists the page stages fill.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "platform/ini_file.h"
#include "platform/line_list.h"

namespace vellumix {

// The marker line around the thumbnail cell section of the index and menu templates.
inline constexpr std::string_view kThumbnailMarker = "<!--THUMBNAIL-->";

// A template path from the project: a bare file name (no "/") is taken in `project_dir`, which
// ends with "/"; any other path is used unchanged (a relative one from the current folder).
std::string ResolveTemplatePath(std::string_view path, std::string_view project_dir,
                                CodePage cp = ActiveCodePage());

// The lines strictly between the first two "<!--THUMBNAIL-->" lines, joined by CR LF, with
// leading empty lines dropped; everything after the first marker when there is no second; "" when
// there is none. The list is not changed.
std::string CutCellTemplate(const LineList& lines);

// True when the cell template holds "<td" or "<th" in any letter case.
bool IsTableCellTemplate(std::string_view cell, CodePage cp = ActiveCodePage());

// What LoadTemplates needs from the project besides the file itself.
struct TemplateContext {
  std::string project_dir;         // ProjectDir, ending with "/"
  std::string sub_dir_name;        // SubDirName as prepared
  std::string img_dir_name;        // ImgDirName as prepared
  int column = 0;                  // Column
  bool has_thumbnail = false;      // the project has a Thumbnail section (not NoThumbnail)
  std::vector<std::string> texts;  // Text1 .. Text10
  size_t image_count = 0;          // number of source images
};

struct LoadedTemplates {
  // Resolved paths; empty for a template that is not named.
  std::string IndexPage, ImagePage, MenuPage, BlankPage;
  LineList IndexTemplate, ImageTemplate, MenuTemplate, BlankTemplate;
  std::string IndexCellTemplate, MenuCellTemplate;
  bool IndexIsTable = false;
  bool MenuIsTable = false;
};

// Reads section Template of `project` and loads the index (required), image, menu and blank
// templates into `out` in that order, replacing their global placeholders. Throws Abort with the
// message of the first missing or unnamed template, leaving in `out` what was set before it;
// Failure when a file exists but cannot be read.
void LoadTemplates(const IniFile& project, const TemplateContext& context, LoadedTemplates& out,
                   CodePage cp = ActiveCodePage());

}  // namespace vellumix
