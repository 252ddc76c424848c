// SPDX-License-Identifier: GPL-2.0-or-later
// Reading a project's settings into the state: the keys of sections InOut, Thumbnail and Others
// with their defaults, caps and normalisation, in the order a build run reads them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "builder/vellumix_state.h"
#include "platform/code_page.h"
#include "platform/ini_file.h"

namespace vellumix {

// A folder value as the program holds it: unchanged when empty, otherwise ending with "/".
std::string NormaliseFolder(std::string_view value);

// NameUpperCase, ImgSrcDir and OutputDir of section InOut, normalised: what opening a project
// reads. OutputDir keeps the case it was written in (file names are case-sensitive here; only
// the names the program makes are upper-cased).
void ReadFolderSettings(const IniFile& project, VellumixState& state);

// SubDirName, ImgDirName, IndexName, HtmlExt, ImgNameFormat and ThmNameFormat, in that order.
// Throws Abort("サブディレクトリが無指定です") or Abort("画像サブディレクトリが無指定です") for an
// empty folder name; the keys after it are not read.
void ReadNameSettings(const IniFile& project, VellumixState& state,
                      CodePage cp = ActiveCodePage());

// The keys of section Thumbnail when the section holds any key; returns false (the run's
// NoThumbnail) and leaves the fields alone when it does not. Percent and Quality are capped at
// 100; a Column or Quality below 1 is used as 1, since the table layout divides by the column
// count and the encoder knows no quality below 1.
bool ReadThumbnailSettings(const IniFile& project, VellumixState& state);

// Text1 .. Text10 of section Others, always ten entries ("" for a missing key).
std::vector<std::string> ReadTexts(const IniFile& project);

}  // namespace vellumix
