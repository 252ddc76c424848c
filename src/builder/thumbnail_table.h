// SPDX-License-Identifier: GPL-2.0-or-later
// The thumbnail tables of the index and menu pages: one cell per image filled from the cell
// template, gathered into rows of Column cells, and put in place of the template's
// "<!--THUMBNAIL-->" section.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "platform/line_list.h"

namespace vellumix {

// The values of one image's cell.
struct CellValues {
  std::string href;        // SubDirName + "/" + page name
  std::string src;         // SubDirName + "/" + thumbnail name
  int32_t cell_width = 0;
  int32_t cell_height = 0;
  size_t index = 0;        // 1-based image number
  std::string image_name;
  int64_t file_size = 0;   // bytes
  int32_t pixel_width = 0;
  int32_t pixel_height = 0;
};

// File size in kilobytes as pages show it: (bytes + 512) / 1024, halves counted up.
std::string Kilobytes(int64_t bytes);

// `cell_template` with "$HREF$", "$SRC$", "$HEIGHT$", "$WIDTH$", "$INDEX$", "$IMG_FNAME$",
// "$IMG_FSIZE$", "$IMG_WIDTH$" and "$IMG_HEIGHT$" replaced, in that order.
std::string FillCell(std::string_view cell_template, const CellValues& values,
                     CodePage cp = ActiveCodePage());

// Builds the index and menu rows side by side; they share one count of cells in the current row.
class ThumbnailTable {
 public:
  // REQUIRES: column >= 1.
  ThumbnailTable(int column, std::string index_cell, bool index_is_table, std::string menu_cell,
                 bool menu_is_table);

  // Adds the cells of the image at 0-based position `j`, opening a "<tr>" row before the first
  // cell of a row and closing it with "</tr>" after the last, for each table that is a table.
  void AddCells(size_t j, const CellValues& values, CodePage cp = ActiveCodePage());
  // Completes a last row that is not full with "<td>" + blank_cell + "</td>" filler cells and
  // "</tr>", for each table that is a table.
  void CloseRows(std::string_view blank_cell);

  const std::string& IndexRows() const { return index_rows_; }
  const std::string& MenuRows() const { return menu_rows_; }

 private:
  size_t column_;
  std::string index_cell_;
  std::string menu_cell_;
  bool index_is_table_;
  bool menu_is_table_;
  std::string index_rows_;
  std::string menu_rows_;
  size_t cells_in_row_ = 0;
};

// Replaces the template's first "<!--THUMBNAIL-->" line, everything after it and the next such
// line by one line holding `rows`. Without an opening marker the template is unchanged; without
// a closing one everything after the opening marker goes and the rows are not inserted.
void PutRowsIntoTemplate(LineList& page, const std::string& rows);

}  // namespace vellumix
