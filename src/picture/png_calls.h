#pragma once
/* The few libpng calls the PNG reader makes, each behind its own setjmp. libpng reports a fatal error
   by a longjmp out of its own code; these C functions own nothing, so nothing is skipped when it
   lands, and each returns a failure instead.

   libpng reads the file in push mode, which inflates the image data only as far as its rows need:
   it stops at the first byte the stream gives past the last row, where the pull mode would inflate
   the rest of the stream to check it. */
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct MxPng MxPng;

enum MxPngStatus {
    MX_PNG_OK,
    MX_PNG_MALFORMED,   /* not a PNG libpng reads, or its image data end early */
    MX_PNG_TOO_LARGE,   /* wider or taller than the caller takes */
    MX_PNG_EXTRA_DATA,  /* the image data inflate to more than its rows */
};

typedef struct MxPngHeader {
    unsigned width, height;
    int bitDepth;   /* of each sample in the file: 1, 2, 4, 8 or 16 */
    int channels;   /* samples of each pixel in the file: 1 (grey or palette), 2, 3 or 4 */
    int interlaced; /* Adam7 */
    int alpha;      /* the rows come as BGRA (an alpha channel or a transparent colour), else BGR */
} MxPngHeader;

/* Reads the bytes (kept by the caller until mx_png_close) up to the image data, refusing a picture
   wider or taller than maxSide, and sets the header. NULL, with the reason in *status, when there is
   no picture to read. Only the transparency chunk of the ancillary ones is read; text, colour
   profiles and the others are passed over unread, so none of them is inflated. */
MxPng* mx_png_open(const unsigned char* data, size_t size, unsigned maxSide, MxPngHeader* header, int* status);
/* Decodes the image into height rows of stride bytes at rows: 8 bits a sample (16-bit samples keep
   their high byte), palettes and grey turned into colours, in blue, green, red (and opacity) order.
   One of MxPngStatus; the rows are complete only with MX_PNG_OK. */
int mx_png_read(MxPng* png, unsigned char* rows, size_t stride);
void mx_png_close(MxPng* png);

#ifdef __cplusplus
}
#endif
