// JPEG decoding with libjpeg (6b interface). A file libjpeg cannot decode
// comes back to the caller with libjpeg's message instead of ending the process.
#include "assets/jpegdecode.h"

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <new>
#include <vector>

namespace {

struct JpegErrorManager {
    jpeg_error_mgr pub;  // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    char warning[JMSG_LENGTH_MAX];  // the first warning, or empty
};

// Everything a decode touches between setjmp and longjmp lives here, in the
// caller's frame, so the jump skips no destructor and leaves nothing indeterminate.
struct JpegJob {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    std::vector<JSAMPROW> rows;
    std::vector<JSAMPLE> inkRow;  // one CMYK scanline before it becomes RGB
};

}  // namespace

static void leaveDecode(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings stay quiet, since the picture still decodes; the first is kept
// for those who ask (libjpeg passes on only the first unless tracing).
static void keepWarning(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (!err->warning[0]) (*cinfo->err->format_message)(cinfo, err->warning);
}

static bool isInk(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

// libjpeg turns greyscale and YCbCr into RGB (and RGBA) itself; for CMYK and
// YCCK it goes as far as CMYK and the rest is done here.
static void chooseOutput(jpeg_decompress_struct& cinfo, JpegPixels pixels) {
    if (isInk(cinfo.jpeg_color_space))
        cinfo.out_color_space = JCS_CMYK;
    else
        cinfo.out_color_space = pixels == JpegPixels::Rgba ? JCS_EXT_RGBA : JCS_RGB;
}

// GLU rounds each side to a power of two, up by as much as 4/3, and holds
// the picture at 8 bytes a pixel, counting the bytes in int: a picture of
// more pixels than kLargestTexturePixels could overflow it.
static bool outputFits(const jpeg_decompress_struct& cinfo, JDIMENSION side) {
    return cinfo.output_width <= side && cinfo.output_height <= side &&
           uint64_t(cinfo.output_width) * cinfo.output_height <= uint64_t(kLargestTexturePixels);
}

// A picture that fits is decoded as it is. A larger one is decoded by the
// largest DCT scale of 7/8 ... 1/8 that fits: libjpeg then never makes the
// pixels that GL could not hold anyway.
static bool scaleToFit(jpeg_decompress_struct& cinfo, int largestSide) {
    const JDIMENSION side = JDIMENSION(std::max(1, std::min(largestSide, kLargestTextureSide)));
    jpeg_calc_output_dimensions(&cinfo);
    if (outputFits(cinfo, side)) return true;
    cinfo.scale_denom = 8;
    for (unsigned eighths = 7; eighths >= 1; eighths--) {
        cinfo.scale_num = eighths;
        jpeg_calc_output_dimensions(&cinfo);
        if (outputFits(cinfo, side)) return true;
    }
    return false;
}

static bool fail(JpegJob& job, const char* message) {
    std::snprintf(job.err.message, sizeof job.err.message, "%s", message);
    return false;
}

// Never inlined into decodeGuarded: WebAssembly's exceptions cannot be
// caught in a function that also calls setjmp.
[[gnu::noinline]] static bool allocate(JpegJob& job, tImageJPG& image, JpegPixels pixels) {
    const jpeg_decompress_struct& cinfo = job.cinfo;
    image.sizeX = static_cast<int32_t>(cinfo.output_width);
    image.sizeY = static_cast<int32_t>(cinfo.output_height);
    image.rowSpan = image.sizeX * static_cast<int32_t>(pixels);
    try {
        image.data.resize(static_cast<size_t>(image.rowSpan) * static_cast<size_t>(image.sizeY));
        job.rows.resize(image.sizeY);
        if (isInk(cinfo.jpeg_color_space)) job.inkRow.resize(static_cast<size_t>(image.sizeX) * 4);
    } catch (const std::bad_alloc&) {
        return fail(job, kNoMemoryForPicture);
    }
    for (int32_t r = 0; r < image.sizeY; r++)
        job.rows[r] = image.data.data() + static_cast<size_t>(r) * static_cast<size_t>(image.rowSpan);
    return true;
}

// Photoshop and ImageMagick write CMYK inverted (255 is no ink) and mark it
// with an Adobe segment; YCCK always comes with one.
static void inkToRgb(const JSAMPLE* ink, uint8_t* out, int width, int step, bool inverted) {
    for (int x = 0; x < width; x++, ink += 4, out += step) {
        const int k = inverted ? ink[3] : 255 - ink[3];
        for (int c = 0; c < 3; c++) {
            const int paper = inverted ? ink[c] : 255 - ink[c];
            out[c] = static_cast<uint8_t>((paper * k + 127) / 255);
        }
        if (step == 4) out[3] = 255;
    }
}

static bool readRows(JpegJob& job, const tImageJPG& image, JpegPixels pixels) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    const bool ink = isInk(cinfo.jpeg_color_space);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION row = cinfo.output_scanline;
        JSAMPROW inkRow = job.inkRow.data();
        JSAMPARRAY target = ink ? &inkRow : &job.rows[row];
        const JDIMENSION count = ink ? 1 : cinfo.output_height - row;
        // The stdio source never suspends; a stall would mean a broken decoder, not a slow file.
        if (jpeg_read_scanlines(&cinfo, target, count) == 0) return fail(job, "the decoder stopped before the last row");
        if (ink) inkToRgb(inkRow, job.rows[row], image.sizeX, static_cast<int>(pixels), cinfo.saw_Adobe_marker);
    }
    return true;
}

static bool decodeGuarded(JpegJob& job, std::FILE* file, JpegPixels pixels, int largestSide, tImageJPG& image) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.err.jump)) return false;
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    // Checked before anything is allocated for the pixels.
    if (cinfo.image_width > kMaxJpegSide || cinfo.image_height > kMaxJpegSide) {
        std::snprintf(job.err.message, sizeof job.err.message, "picture of %u x %u pixels is larger than %d in a side",
                      cinfo.image_width, cinfo.image_height, kMaxJpegSide);
        return false;
    }
    chooseOutput(cinfo, pixels);
    if (!scaleToFit(cinfo, largestSide)) {
        std::snprintf(job.err.message, sizeof job.err.message,
                      "picture of %u x %u pixels is larger than a texture of %d in a side even at 1/8 of its size",
                      cinfo.image_width, cinfo.image_height, std::min(largestSide, kLargestTextureSide));
        return false;
    }
    jpeg_start_decompress(&cinfo);
    const int expected = isInk(cinfo.jpeg_color_space) ? 4 : static_cast<int>(pixels);
    if (cinfo.output_components != expected) return fail(job, "unexpected number of colour components");
    if (!allocate(job, image, pixels) || !readRows(job, image, pixels)) return false;
    jpeg_finish_decompress(&cinfo);
    image.pictureX = static_cast<int32_t>(cinfo.image_width);
    image.pictureY = static_cast<int32_t>(cinfo.image_height);
    return true;
}

bool decodeJPEGStream(std::FILE* file, JpegPixels pixels, tImageJPG& image, std::string& error, int largestSide,
                      std::string* warning) {
    JpegJob job{};
    job.cinfo.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = leaveDecode;
    job.err.pub.output_message = keepWarning;
    const bool decoded = decodeGuarded(job, file, pixels, largestSide, image);
    // Safe in every state the decode can stop in, including before creation.
    jpeg_destroy_decompress(&job.cinfo);
    if (warning) *warning = decoded ? job.err.warning : "";
    if (decoded) return true;
    error = job.err.message;
    image = tImageJPG{};
    return false;
}
