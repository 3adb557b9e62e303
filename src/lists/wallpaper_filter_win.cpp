#include "lists/browser_filters.h"
#include "lists/categories.h"
#include "lists/file_masks.h"
#include "picture/wic_reader_win.h"

namespace mx {

// The system's decoders do not change while the program runs, so they are asked once.
const std::string& WallpaperFilter() {
    static const std::string text = WallpaperFilterText(WicFileExtensions());
    return text;
}

std::string UsableFilesMask(int category) {
    return ParseFilterText(category == CategoryWall ? std::string_view(WallpaperFilter()) : kBootScreenFilter).at(0).mask;
}

}  // namespace mx
