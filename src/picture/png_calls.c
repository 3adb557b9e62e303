#include "picture/png_calls.h"

#include <stdlib.h>
#include <string.h>

#include <png.h>

struct MxPng {
    png_structp png;
    png_infop info;
    const unsigned char* data;
    size_t size;
    size_t used;  /* bytes libpng has taken */
    unsigned maxSide;
    MxPngHeader header;
    unsigned char* rows;
    size_t stride;
    int tooLarge;
    int complete;       /* the last row of the last pass has come */
    int extraData;
    int failedInImage;  /* a fatal error in the image data's chunks */
};

static void Error(png_structp png, png_const_charp message) {
    struct MxPng* p = (struct MxPng*)png_get_error_ptr(png);
    (void)message;
    if (png_get_io_chunk_type(png) == 0x49444154u /* IDAT */) p->failedInImage = 1;
    png_longjmp(png, 1);
}

/* Warnings (damaged ancillary chunks, a stream without its end code) are not failures. This one is
   said only of inflated bytes past the last row, where the push mode stops inflating. */
static void Warning(png_structp png, png_const_charp message) {
    struct MxPng* p = (struct MxPng*)png_get_error_ptr(png);
    if (strstr(message, "Extra compressed data") != NULL) p->extraData = 1;
}

/* At the first image data: the picture's size is checked before libpng sizes its row buffers, the
   transformations are set, and the reading pauses for the caller's storage. */
static void HaveInfo(png_structp png, png_infop info) {
    struct MxPng* p = (struct MxPng*)png_get_progressive_ptr(png);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, NULL, NULL);
    if (width > p->maxSide || height > p->maxSide) {
        p->tooLarge = 1;
        png_error(png, "too large");
    }
    p->header.width = width;
    p->header.height = height;
    p->header.bitDepth = depth;
    p->header.channels = png_get_channels(png, info);
    p->header.interlaced = interlace != PNG_INTERLACE_NONE;
    p->header.alpha = (colour & PNG_COLOR_MASK_ALPHA) != 0;

    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
        p->header.alpha = 1;
    }
    if (depth == 16) png_set_strip_16(png);
    if (!(colour & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != (size_t)width * (p->header.alpha ? 4 : 3)) png_error(png, "row size");
    p->used = p->size - png_process_data_pause(png, 0);
}

/* With the interlace handling every pass reports each row of the picture, NULL where it has none. */
static void HaveRow(png_structp png, png_bytep row, png_uint_32 y, int pass) {
    struct MxPng* p = (struct MxPng*)png_get_progressive_ptr(png);
    if (y >= p->header.height) return;
    if (row != NULL && p->rows != NULL) png_progressive_combine_row(png, p->rows + (size_t)y * p->stride, row);
    if (y + 1 == p->header.height && pass == (p->header.interlaced ? 6 : 0)) p->complete = 1;
}

static int Create(struct MxPng* p) {
    p->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, p, Error, Warning);
    if (!p->png) return 0;
    p->info = png_create_info_struct(p->png);
    if (!p->info) return 0;
    if (setjmp(png_jmpbuf(p->png))) return 0;
    /* The caller's side limit decides, so that a wide picture is refused as too large rather than
       as malformed. */
    png_set_user_limits(p->png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_keep_unknown_chunks(p->png, PNG_HANDLE_CHUNK_NEVER, NULL, -1);
    png_set_progressive_read_fn(p->png, p, HaveInfo, HaveRow, NULL);
    return 1;
}

/* Hands libpng the bytes; it calls back as they make headers and rows. */
static void Process(struct MxPng* p, size_t from) {
    if (setjmp(png_jmpbuf(p->png))) return;
    png_process_data(p->png, p->info, (png_bytep)(p->data + from), p->size - from);
}

MxPng* mx_png_open(const unsigned char* data, size_t size, unsigned maxSide, MxPngHeader* header, int* status) {
    struct MxPng* p = (struct MxPng*)calloc(1, sizeof(struct MxPng));
    *status = MX_PNG_MALFORMED;
    if (!p) return NULL;
    p->data = data;
    p->size = size;
    p->maxSide = maxSide;
    if (!Create(p)) {
        mx_png_close(p);
        return NULL;
    }
    Process(p, 0);
    if (p->used == 0) {
        if (p->tooLarge) *status = MX_PNG_TOO_LARGE;
        mx_png_close(p);
        return NULL;
    }
    *header = p->header;
    *status = MX_PNG_OK;
    return p;
}

int mx_png_read(MxPng* p, unsigned char* rows, size_t stride) {
    p->rows = rows;
    p->stride = stride;
    Process(p, p->used);
    if (p->extraData) return MX_PNG_EXTRA_DATA;
    /* A damaged chunk after the image (a trailing chunk or the end chunk) leaves the picture whole. */
    return p->complete && !p->failedInImage ? MX_PNG_OK : MX_PNG_MALFORMED;
}

void mx_png_close(MxPng* p) {
    if (!p) return;
    if (p->png) png_destroy_read_struct(&p->png, p->info ? &p->info : NULL, NULL);
    free(p);
}
