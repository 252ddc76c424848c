// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/thumbnail_table.h"

#include <string>

#include "template/template_loader.h"
#include "userfunc/userfunc.h"

namespace vellumix {

std::string Kilobytes(int64_t bytes) { return std::to_string((bytes + 512) / 1024); }

std::string FillCell(std::string_view cell_template, const CellValues& values, CodePage cp) {
  std::string cell = ReplaceAll(cell_template, "$HREF$", values.href, cp);
  cell = ReplaceAll(cell, "$SRC$", values.src, cp);
  cell = ReplaceAll(cell, "$HEIGHT$", std::to_string(values.cell_height), cp);
  cell = ReplaceAll(cell, "$WIDTH$", std::to_string(values.cell_width), cp);
  cell = ReplaceAll(cell, "$INDEX$", std::to_string(values.index), cp);
  cell = ReplaceAll(cell, "$IMG_FNAME$", values.image_name, cp);
  cell = ReplaceAll(cell, "$IMG_FSIZE$", Kilobytes(values.file_size), cp);
  cell = ReplaceAll(cell, "$IMG_WIDTH$", std::to_string(values.pixel_width), cp);
  return ReplaceAll(cell, "$IMG_HEIGHT$", std::to_string(values.pixel_height), cp);
}

ThumbnailTable::ThumbnailTable(int column, std::string index_cell, bool index_is_table,
                               std::string menu_cell, bool menu_is_table)
    : column_(static_cast<size_t>(column)),
      index_cell_(std::move(index_cell)),
      menu_cell_(std::move(menu_cell)),
      index_is_table_(index_is_table),
      menu_is_table_(menu_is_table) {}

void ThumbnailTable::AddCells(size_t j, const CellValues& values, CodePage cp) {
  if (j % column_ == 0) {
    if (index_is_table_) index_rows_ += "<tr>\r\n";
    if (menu_is_table_) menu_rows_ += "<tr>\r\n";
    cells_in_row_ = 1;
  } else {
    ++cells_in_row_;
  }
  // Cells follow one another even when the template is no table cell: a list of links works too.
  index_rows_ += FillCell(index_cell_, values, cp) + "\r\n";
  menu_rows_ += FillCell(menu_cell_, values, cp) + "\r\n";
  if (j % column_ == column_ - 1) {
    if (index_is_table_) index_rows_ += "</tr>\r\n";
    if (menu_is_table_) menu_rows_ += "</tr>\r\n";
  }
}

void ThumbnailTable::CloseRows(std::string_view blank_cell) {
  if (cells_in_row_ >= column_) return;
  const size_t missing = column_ - cells_in_row_;
  const std::string filler = "<td>" + std::string(blank_cell) + "</td>\r\n";
  for (auto [rows, is_table] : {std::pair{&index_rows_, index_is_table_},
                                std::pair{&menu_rows_, menu_is_table_}}) {
    if (!is_table) continue;
    for (size_t i = 0; i < missing; ++i) *rows += filler;
    *rows += "</tr>\r\n";
  }
}

void PutRowsIntoTemplate(LineList& page, const std::string& rows) {
  size_t k = 0;
  while (k < page.Count() && page[k] != kThumbnailMarker) ++k;
  if (k == page.Count()) return;
  page.Delete(k);
  while (k < page.Count()) {
    if (page[k] == kThumbnailMarker) {
      // The rows become one "line" that ends with its own CR LF; the page's line break after it
      // leaves an empty line below the table, which albums already show.
      page[k] = rows;
      return;
    }
    page.Delete(k);
  }
}

}  // namespace vellumix
