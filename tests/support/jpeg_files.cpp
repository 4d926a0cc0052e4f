#include "support/jpeg_files.h"

#include <jpeglib.h>

#include <cstdio>
#include <vector>

#include "assets/gfx.h"
#include "assets/imageloader.h"
#include "support/showdir.h"

bool convertTo(const std::string& out, const std::string& args) {
    return runCommand("convert " + args + " '" + out + "'") == 0;
}

bool cjpegTo(const std::string& out, const std::string& cjpegOptions, const std::string& convertArgs) {
    return runCommand("convert " + convertArgs + " ppm:- | cjpeg " + cjpegOptions + " -outfile '" + out + "'") == 0;
}

bool writeYcckJpeg(const std::string& out, int width, int height, const uint8_t ink[4]) {
    std::FILE* file = std::fopen(out.c_str(), "wb");
    if (!file) return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_YCCK);  // also asks for the Adobe segment
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * 4);
    for (int x = 0; x < width; x++)
        for (int c = 0; c < 4; c++) row[x * 4 + c] = static_cast<JSAMPLE>(255 - ink[c]);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.next_scanline < cinfo.image_height) jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

bool writeClaimedSizeJpeg(const std::string& out, int width, int height) {
    if (!convertTo(out, "-size 16x16 gradient:red-blue -quality 90")) return false;
    std::string bytes = readFile(out);
    // Walk the markers to the first frame header (SOF0 ... SOF2): length, precision, height, width.
    for (size_t pos = 2; pos + 9 <= bytes.size() && uint8_t(bytes[pos]) == 0xFF;) {
        const uint8_t marker = uint8_t(bytes[pos + 1]);
        if (marker >= 0xC0 && marker <= 0xC2) {
            const int sides[2] = {height, width};
            for (int i = 0; i < 2; i++) {
                bytes[pos + 5 + 2 * i] = char(sides[i] >> 8);
                bytes[pos + 6 + 2 * i] = char(sides[i] & 0xFF);
            }
            std::FILE* file = std::fopen(out.c_str(), "wb");
            if (!file) return false;
            const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
            return std::fclose(file) == 0 && written;
        }
        pos += 2 + (size_t(uint8_t(bytes[pos + 2])) << 8 | uint8_t(bytes[pos + 3]));
    }
    return false;
}

void clearTextureTable() {
    while (tTexture* t = gfx.textures) {
        gfx.textures = t->next;
        delete t;
    }
}
