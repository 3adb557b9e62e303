#pragma once
/* The few libjpeg calls the JPEG reader makes, each behind its own setjmp. libjpeg reports a fatal
   error by a longjmp out of its own code; these C functions own nothing, so nothing is skipped when
   it lands, and each returns a failure instead. */
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct MxJpeg MxJpeg;

/* Colours of the file's pixels, as the reader converts them. */
enum MxJpegColours { MX_JPEG_GREY, MX_JPEG_COLOUR, MX_JPEG_CMYK, MX_JPEG_INVERTED_CMYK };

typedef struct MxJpegHeader {
    int width, height;
    int colours;          /* one of MxJpegColours */
    int components;
    int arithmetic;       /* arithmetic-coded rather than Huffman-coded */
    int dataAfterHeader;  /* any bytes after the first scan's header */
    int singleScan;       /* one scan holds every component: rows are skipped by the entropy decoding alone */
} MxJpegHeader;

/* A decompressor reading the bytes (kept by the caller until mx_jpeg_close), which refuses to use
   more than maxMemory bytes of its own and more than maxScanPixels pixels times scans read. */
MxJpeg* mx_jpeg_open(const unsigned char* data, size_t size, size_t maxMemory, double maxScanPixels);
/* Reads the markers up to the first scan. 1, or 0 when the file has no picture libjpeg can read. */
int mx_jpeg_read_header(MxJpeg* jpeg, MxJpegHeader* header);
/* Starts decoding to BGR rows (grey and colour files) or CMYK rows (CMYK and YCCK files), reading
   every scan of a multi-scan file, the picture reduced to 1 / scaleDenominator (1, 2, 4 or 8) in the
   transform. Sets the size of the rows it gives. 1, or 0 on a fatal error. */
int mx_jpeg_start(MxJpeg* jpeg, int cmykRows, int scaleDenominator, int* width, int* height);
/* Decodes only the columns from *first to *first + *count - 1 of each row. The library moves *first
   left to a block boundary and widens *count to match; the columns at the two edges of what it
   decodes may differ from a whole decode, since smooth chroma upsampling takes them as the picture's
   edges. 1, or 0 on a fatal error. */
int mx_jpeg_crop(MxJpeg* jpeg, int* first, int* count);
/* The rows of one row of blocks of what the library gives, once started: skips in parts that each
   end at such a row give the pixels one skip gives. */
int mx_jpeg_block_rows(MxJpeg* jpeg);
/* Skips rows without converting them. The rows skipped, or -1 on a fatal error. */
int mx_jpeg_skip_rows(MxJpeg* jpeg, int count);
/* Decodes up to count rows into rows[0..count). The rows decoded, or -1 on a fatal error. */
int mx_jpeg_read_rows(MxJpeg* jpeg, unsigned char** rows, int count);
void mx_jpeg_close(MxJpeg* jpeg);

#ifdef __cplusplus
}
#endif
