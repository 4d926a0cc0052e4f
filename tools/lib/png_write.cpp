#include "png_write.h"

#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// The low zlib level: frames are large and many, and it is several times
// faster than the default for files about a fifth larger.
static const int kCompressionLevel = 2;

static void pngError(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error) *error = message;
    png_longjmp(png, 1);
}

static void pngWarning(png_structp, png_const_charp) {}

// Everything that libpng may jump out of; the caller owns the file and rows.
static bool encode(std::FILE* file, const Frame& frame, std::vector<png_bytep>& rows, std::string& error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, pngError, pngWarning);
    if (!png) {
        error = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        if (error.empty()) error = "cannot encode";
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, kCompressionLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, png_uint_32(frame.width), png_uint_32(frame.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_rows(png, info, rows.data());
    // The fourth byte of each pixel is dropped: a screen shows no alpha.
    png_write_png(png, info, PNG_TRANSFORM_BGR | PNG_TRANSFORM_STRIP_FILLER_AFTER, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool writePng(int fd, const Frame& frame, std::string& error) {
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file) {
        error = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    if (frame.width <= 0 || frame.height <= 0 || !frame.bgra) {
        std::fclose(file);
        error = "empty frame";
        return false;
    }
    // Rows top first; GL gave them bottom first.
    std::vector<png_bytep> rows(size_t(frame.height));
    for (int y = 0; y < frame.height; y++) rows[size_t(y)] = const_cast<png_bytep>(frame.topRow(y));
    bool ok = encode(file, frame, rows, error);
    if (std::fclose(file) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    return ok;
}
