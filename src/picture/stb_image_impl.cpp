// The one compilation of the stb_image decoder, limited to the format the wallpaper decoder hands it
// (Targa), reading from memory only, and refusing pictures wider or taller than the program takes.
#include <cstdlib>

#include "picture/picture.h"

// Zeroed memory, so that whatever a damaged file leaves unset is the same on every run.
#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC(pointer, size) std::realloc(pointer, size)
#define STBI_FREE(pointer) std::free(pointer)

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS 32767
#include <stb_image.h>

static_assert(STBI_MAX_DIMENSIONS == mx::kMaxPictureSide);
