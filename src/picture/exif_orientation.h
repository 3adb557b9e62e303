#pragma once
// Which way up a photograph is meant to be seen. Cameras and phones store the picture as the sensor
// saw it and say in the orientation tag (274) of the EXIF data how to turn it. The EXIF data is read
// from JPEG's APP1 "Exif" block, WebP's "EXIF" chunk and PNG's "eXIf" chunk, in either byte order.
//
// The values, as the tag defines them, say where the stored picture's first row and first column
// belong: 1 as stored; 2 mirrored left to right; 3 turned half way round; 4 mirrored top to bottom;
// 5 mirrored along the diagonal from the top-left corner (transposed); 6 turned a quarter clockwise;
// 7 mirrored along the other diagonal; 8 turned a quarter anticlockwise. 5 to 8 swap width and height.
#include <cstdint>
#include <span>

namespace mx {

// The orientation held in TIFF-structured data (an EXIF block's body: byte order, 42, the offset of
// the first directory): 1 to 8, or 1 when the tag is missing, malformed or out of range, or the data
// ends early. Only the first directory is read, where the tag of the main picture lives, so a
// chain of directories that loops costs nothing.
int TiffOrientation(std::span<const uint8_t> tiff);

// The orientation of a picture file: its EXIF data's for a JPEG, WebP or PNG file that has one, 1
// for any other file.
int PictureOrientation(std::span<const uint8_t> file);

}  // namespace mx
