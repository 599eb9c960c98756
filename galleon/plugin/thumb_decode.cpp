// JPEG decoding straight through libjpeg: large photos are decoded at 1/2,
// 1/4 or 1/8 of their size by the decoder's own DCT scaling, which costs a
// fraction of a full decode, and gd then resamples the rest of the way.
#include "thumb.h"

#include <gd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace {

struct ErrorJump {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorJump*>(cinfo->err);
    longjmp(err->jump, 1);
}

void onMessage(j_common_ptr) {}  // warnings of damaged files are not fatal

// Largest libjpeg scale denominator that keeps the picture at least twice the
// wanted size, so the final resampling still has pixels to average.
int scaleDenom(int w, int h, int minW, int minH) {
    if (minW <= 0 || minH <= 0) return 1;
    int denom = 1;
    while (denom < 8 && w / (denom * 2) >= 2 * minW && h / (denom * 2) >= 2 * minH) denom *= 2;
    return denom;
}

// Decodes into `im`; kept apart from thumbDecodeJpeg so nothing with a
// destructor lives in the frame that longjmp leaves.
gdImagePtr decode(FILE* f, int minW, int minH, JSAMPLE* volatile* row) {
    jpeg_decompress_struct cinfo;
    ErrorJump err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.output_message = onMessage;
    gdImagePtr volatile im = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        if (im) gdImageDestroy(im);
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;  // grey and CMYK-less photos come out as RGB
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) cinfo.out_color_space = JCS_CMYK;
    cinfo.scale_num = 1;
    cinfo.scale_denom = scaleDenom(cinfo.image_width, cinfo.image_height, minW, minH);
    jpeg_start_decompress(&cinfo);
    int w = cinfo.output_width, h = cinfo.output_height, comps = cinfo.output_components;
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535) longjmp(err.jump, 1);
    im = gdImageCreateTrueColor(w, h);
    if (!im) longjmp(err.jump, 1);
    *row = static_cast<JSAMPLE*>(std::malloc(static_cast<size_t>(w) * comps));
    if (!*row) longjmp(err.jump, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        int y = cinfo.output_scanline;
        JSAMPROW rows[1] = {*row};
        jpeg_read_scanlines(&cinfo, rows, 1);
        int* line = im->tpixels[y];
        const JSAMPLE* p = *row;
        if (comps == 3) {
            for (int x = 0; x < w; ++x, p += 3) line[x] = gdTrueColor(p[0], p[1], p[2]);
        } else if (comps == 4) {
            // Adobe CMYK JPEGs store inverted values.
            for (int x = 0; x < w; ++x, p += 4) {
                int k = p[3];
                line[x] = gdTrueColor(p[0] * k / 255, p[1] * k / 255, p[2] * k / 255);
            }
        } else {
            for (int x = 0; x < w; ++x, ++p) line[x] = gdTrueColor(p[0], p[0], p[0]);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return im;
}

}  // namespace

void* thumbDecodeJpeg(const char* path, int minW, int minH) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return nullptr;
    JSAMPLE* volatile row = nullptr;
    gdImagePtr im = decode(f, minW, minH, &row);
    std::free(row);
    std::fclose(f);
    return im;
}
