#include "lists/browser_filters.h"
#include "picture/wic_reader_win.h"

namespace mx {

// The system's decoders do not change while the program runs, so they are asked once.
const std::string& WallpaperFilter() {
    static const std::string text = WallpaperFilterText(WicFileExtensions());
    return text;
}

}  // namespace mx
