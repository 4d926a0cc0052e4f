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

void clearTextureTable() {
    while (tTexture* t = gfx.textures) {
        gfx.textures = t->next;
        delete t;
    }
}
