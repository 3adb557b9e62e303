#include "picture/jpeg_calls.h"

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>

#include <jpeglib.h>

struct MxJpeg {
    struct jpeg_decompress_struct info;
    struct jpeg_error_mgr errors;
    struct jpeg_progress_mgr progress;
    double maxScanPixels;
    jmp_buf fatal;
};

static void ErrorExit(j_common_ptr info) {
    longjmp(((struct MxJpeg*)info->client_data)->fatal, 1);
}

/* Warnings (corrupt data, a premature end) are counted by libjpeg and never printed. */
static void OutputMessage(j_common_ptr info) { (void)info; }

/* Each scan of a multi-scan file passes over the whole picture: a file of many scans of a large
   picture is refused before it takes minutes. */
static void Progress(j_common_ptr info) {
    struct MxJpeg* jpeg = (struct MxJpeg*)info->client_data;
    if (jpeg->info.input_scan_number * (double)jpeg->info.image_width * (double)jpeg->info.image_height >
        jpeg->maxScanPixels)
        longjmp(jpeg->fatal, 1);
}

static int Create(struct MxJpeg* jpeg, const unsigned char* data, size_t size, size_t maxMemory) {
    if (setjmp(jpeg->fatal)) {
        jpeg_destroy_decompress(&jpeg->info);
        return 0;
    }
    jpeg_create_decompress(&jpeg->info);
    /* A long is 32 bits on Windows: the limit stays below 2 GiB. */
    jpeg->info.mem->max_memory_to_use = (long)(maxMemory < 0x7FFFFFFF ? maxMemory : 0x7FFFFFFF);
    jpeg->progress.progress_monitor = Progress;
    jpeg->info.progress = &jpeg->progress;
    jpeg_mem_src(&jpeg->info, data, (unsigned long)size);
    return 1;
}

MxJpeg* mx_jpeg_open(const unsigned char* data, size_t size, size_t maxMemory, double maxScanPixels) {
    struct MxJpeg* jpeg;
    if (size == 0 || size > 0xFFFFFFFFu) return NULL;
    jpeg = (struct MxJpeg*)calloc(1, sizeof(struct MxJpeg));
    if (!jpeg) return NULL;
    jpeg->info.err = jpeg_std_error(&jpeg->errors);
    jpeg->errors.error_exit = ErrorExit;
    jpeg->errors.output_message = OutputMessage;
    jpeg->info.client_data = jpeg;
    jpeg->maxScanPixels = maxScanPixels;
    if (!Create(jpeg, data, size, maxMemory)) {
        free(jpeg);
        return NULL;
    }
    return jpeg;
}

int mx_jpeg_read_header(MxJpeg* jpeg, MxJpegHeader* header) {
    if (setjmp(jpeg->fatal)) return 0;
    if (jpeg_read_header(&jpeg->info, TRUE) != JPEG_HEADER_OK) return 0;
    header->width = (int)jpeg->info.image_width;
    header->height = (int)jpeg->info.image_height;
    header->components = jpeg->info.num_components;
    header->arithmetic = jpeg->info.arith_code;
    header->dataAfterHeader = jpeg->info.src->bytes_in_buffer > 0;
    header->singleScan = !jpeg_has_multiple_scans(&jpeg->info);
    switch (jpeg->info.jpeg_color_space) {
    case JCS_GRAYSCALE: header->colours = MX_JPEG_GREY; break;
    case JCS_CMYK: header->colours = jpeg->info.saw_Adobe_marker ? MX_JPEG_INVERTED_CMYK : MX_JPEG_CMYK; break;
    /* libjpeg turns YCCK into CMYK; only Adobe's writers make YCCK, and they invert it. */
    case JCS_YCCK: header->colours = MX_JPEG_INVERTED_CMYK; break;
    default: header->colours = MX_JPEG_COLOUR; break;
    }
    return 1;
}

int mx_jpeg_start(MxJpeg* jpeg, int cmykRows, int scaleDenominator, int* width, int* height) {
    if (setjmp(jpeg->fatal)) return 0;
    jpeg->info.out_color_space = cmykRows ? JCS_CMYK : JCS_EXT_BGR;
    jpeg->info.dct_method = JDCT_ISLOW;
    jpeg->info.scale_num = 1;
    jpeg->info.scale_denom = (unsigned)scaleDenominator;
    if (!jpeg_start_decompress(&jpeg->info)) return 0;
    *width = (int)jpeg->info.output_width;
    *height = (int)jpeg->info.output_height;
    return 1;
}

int mx_jpeg_crop(MxJpeg* jpeg, int* first, int* count) {
    JDIMENSION x, n;
    if (setjmp(jpeg->fatal)) return 0;
    x = (JDIMENSION)*first;
    n = (JDIMENSION)*count;
    jpeg_crop_scanline(&jpeg->info, &x, &n);
    *first = (int)x;
    *count = (int)n;
    return 1;
}

int mx_jpeg_block_rows(MxJpeg* jpeg) { return jpeg->info.max_v_samp_factor * jpeg->info.min_DCT_scaled_size; }

int mx_jpeg_skip_rows(MxJpeg* jpeg, int count) {
    if (setjmp(jpeg->fatal)) return -1;
    return (int)jpeg_skip_scanlines(&jpeg->info, (JDIMENSION)count);
}

int mx_jpeg_read_rows(MxJpeg* jpeg, unsigned char** rows, int count) {
    if (setjmp(jpeg->fatal)) return -1;
    return (int)jpeg_read_scanlines(&jpeg->info, rows, (JDIMENSION)count);
}

void mx_jpeg_close(MxJpeg* jpeg) {
    if (!jpeg) return;
    jpeg_destroy_decompress(&jpeg->info);
    free(jpeg);
}
