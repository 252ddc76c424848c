// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/project_settings.h"

#include <algorithm>
#include <string>

#include "platform/byte_string.h"
#include "platform/errors.h"

namespace vellumix {

namespace {

constexpr std::string_view kInOut = "InOut";
constexpr std::string_view kThumbnail = "Thumbnail";
constexpr std::string_view kOthers = "Others";

// A sub folder name loses one trailing separator (the test looks at the last byte only, so a
// name ending in two keeps one).
std::string WithoutTrailingSeparator(std::string name) {
  if (EndsWithByte(name, '/')) name.pop_back();
  return name;
}

std::string ReadFolderName(const IniFile& project, std::string_view key, std::string_view def,
                           std::string_view empty_message, bool upper_case, CodePage cp) {
  std::string name = project.ReadString(kInOut, key, def);
  if (name.empty()) throw Abort(Native(empty_message, cp));
  name = WithoutTrailingSeparator(std::move(name));
  return upper_case ? UpperCase(name, cp) : name;
}

}  // namespace

std::string NormaliseFolder(std::string_view value) {
  std::string folder(value);
  if (!folder.empty() && !EndsWithByte(folder, '/')) folder += '/';
  return folder;
}

void ReadFolderSettings(const IniFile& project, VellumixState& state) {
  state.NameUpperCase = project.ReadBool(kInOut, "NameUpperCase", false);
  state.ImgSrcDir = NormaliseFolder(project.ReadString(kInOut, "ImgSrcDir", ""));
  state.OutputDir = NormaliseFolder(project.ReadString(kInOut, "OutputDir", ""));
}

void ReadNameSettings(const IniFile& project, VellumixState& state, CodePage cp) {
  const bool upper = state.NameUpperCase;
  state.SubDirName =
      ReadFolderName(project, "SubDirName", "htmsub", "サブディレクトリが無指定です", upper, cp);
  state.ImgDirName =
      ReadFolderName(project, "ImgDirName", "image", "画像サブディレクトリが無指定です", upper, cp);

  state.IndexName = project.ReadString(kInOut, "IndexName", "index");
  if (upper) state.IndexName = UpperCase(state.IndexName, cp);

  // The dot is always put in front, so a value of ".html" gives "..html" and "" a lone ".".
  std::string ext = project.ReadString(kInOut, "HtmlExt", "htm");
  ext.insert(ext.begin(), '.');
  state.HtmlExt = std::move(ext);
  if (upper) state.HtmlExt = UpperCase(state.HtmlExt, cp);

  state.ImgNameFormat = project.ReadString(kInOut, "ImgNameFormat", "$ORG_NAME$");
  state.ThmNameFormat = project.ReadString(kInOut, "ThmNameFormat", "$IMG_NAME$");
}

bool ReadThumbnailSettings(const IniFile& project, VellumixState& state) {
  if (!project.SectionExists(kThumbnail)) return false;
  state.Width = project.ReadInteger(kThumbnail, "Width", 50);
  state.Height = project.ReadInteger(kThumbnail, "Height", 50);
  state.Percent = std::min(project.ReadInteger(kThumbnail, "Percent", 0), 100);
  state.Quality = std::clamp(project.ReadInteger(kThumbnail, "Quality", 100), 1, 100);
  state.Column = std::max(project.ReadInteger(kThumbnail, "Column", 5), 1);
  state.FillSpace = project.ReadBool(kThumbnail, "FillSpace", false);
  state.SpaceColor = project.ReadInteger(kThumbnail, "SpaceColor", 0xFFFFFF);
  state.BlankCell = project.ReadString(kThumbnail, "BlankCell", "");
  return true;
}

std::vector<std::string> ReadTexts(const IniFile& project) {
  std::vector<std::string> texts;
  for (int i = 1; i <= 10; ++i) {
    texts.push_back(project.ReadString(kOthers, "Text" + std::to_string(i), ""));
  }
  return texts;
}

}  // namespace vellumix
