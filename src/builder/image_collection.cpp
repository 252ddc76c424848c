// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/image_collection.h"

#include <string>

#include "platform/errors.h"
#include "platform/file_system.h"
#include "userfunc/userfunc.h"

namespace vellumix {

namespace {

void EnsureFolder(const std::string& path, std::string_view message, CodePage cp) {
  if (DirectoryExists(path)) return;
  if (!CreateOneDirectory(path)) throw Abort(Native(message, cp));
}

}  // namespace

void CollectSourceImages(VellumixState& state, RunLog& log, CodePage cp) {
  state.SourceImages.Clear();
  FindFiles(state.ImgSrcDir, "*.jpg", state.SourceImages, false, cp);
  state.SourceImages.Sort();
  if (state.SourceImages.Empty()) throw Abort(Native("対象となる画像ファイルがありません", cp));
  log.AddLine(std::to_string(state.SourceImages.Count()) +
              Native("個の画像ファイルがあります", cp));
}

void RequireInsideOutputFolder(std::string_view relative, CodePage cp) {
  bool escapes = !relative.empty() && relative.front() == '/';
  int depth = 0;
  size_t start = 0;
  while (!escapes && start <= relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string_view::npos) end = relative.size();
    const std::string_view part = relative.substr(start, end - start);
    if (part == "..") {
      escapes = --depth < 0;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
    start = end + 1;
  }
  if (escapes) {
    throw Failure(Native("出力先フォルダの外には書き込めません: ", cp) + std::string(relative));
  }
}

void MakeOutputFolders(const VellumixState& state, CodePage cp) {
  RequireInsideOutputFolder(state.ImgDirName, cp);
  RequireInsideOutputFolder(state.SubDirName, cp);
  EnsureFolder(state.OutputDir, "出力先ディレクトリが作成できません", cp);
  EnsureFolder(state.OutputDir + state.ImgDirName, "画像ディレクトリが作成できません", cp);
  EnsureFolder(state.OutputDir + state.SubDirName, "サブディレクトリが作成できません", cp);
}

}  // namespace vellumix
