// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/output_names.h"

#include <cstdio>
#include <string>

#include "platform/byte_string.h"
#include "userfunc/userfunc.h"

namespace vellumix {

namespace {

// Names always end in ".jpg", whatever the pattern makes; only the case rule applies after.
std::string FinishName(std::string name, bool upper_case, CodePage cp) {
  name = LowerCase(name, cp) + ".jpg";
  return upper_case ? UpperCase(name, cp) : name;
}

}  // namespace

std::string SerialText(size_t serial) {
  char text[32];
  std::snprintf(text, sizeof text, "%03zu", serial);
  return text;
}

void ComputeOutputNames(const LineList& source_images, std::string_view img_format,
                        std::string_view thm_format, bool upper_case, LineList& image_names,
                        LineList& thumb_names, CodePage cp) {
  image_names.Clear();
  thumb_names.Clear();
  for (size_t i = 0; i < source_images.Count(); ++i) {
    const std::string serial = SerialText(i + 1);
    const std::string base(StripExtension(FileNamePart(source_images[i], cp), cp));

    // Each placeholder is its own pass over the whole result, so a value inserted by one pass
    // is searched by the later ones.
    std::string image = ReplaceAll(img_format, "$SER_NO$", serial, cp);
    image = ReplaceAll(image, "$ORG_NAME$", base, cp);
    image = FinishName(std::move(image), upper_case, cp);

    std::string thumb;
    if (!thm_format.empty()) {
      thumb = ReplaceAll(thm_format, "$SER_NO$", serial, cp);
      thumb = ReplaceAll(thumb, "$ORG_NAME$", base, cp);
      thumb = ReplaceAll(thumb, "$IMG_NAME$", StripExtension(image, cp), cp);
      thumb = FinishName(std::move(thumb), upper_case, cp);
    }
    image_names.Add(std::move(image));
    thumb_names.Add(std::move(thumb));
  }
}

}  // namespace vellumix
