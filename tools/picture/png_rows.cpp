// The row-streaming PNG writer over libpng. libpng reports errors by longjmp back to the
// setjmp here, so no object with a destructor may live in the frames in between.
#include "tools/picture/picture_parts.h"

#include <csetjmp>
#include <cstdio>
#include <png.h>

namespace picture {
namespace {

// What the error handler fills in before it jumps back.
struct ErrorSink {
    char* message;
    size_t size;
};

[[noreturn]] void onPngError(png_structp png, png_const_charp text)
{
    ErrorSink* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
    std::snprintf(sink->message, sink->size, "%s", text);
    png_longjmp(png, 1);
}

// Warnings would go to stderr by default; a picture that is written needs none of them.
void onPngWarning(png_structp png, png_const_charp text)
{
    (void)png;
    (void)text;
}

// The part that libpng may leave by longjmp, kept out of the frame that calls setjmp so
// that its loop counter needs no volatile.
void writeRows(png_structp png, png_infop info, int height, RowSource source, void* context)
{
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, source(context, y));
    png_write_end(png, info);
}

} // namespace

bool writePngRows(FILE* file, int width, int height, RowSource source, void* context, char* message,
                  size_t messageSize)
{
    ErrorSink sink{message, messageSize};
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, onPngError, onPngWarning);
    if (!png) {
        std::snprintf(message, messageSize, "libpng could not start");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(message, messageSize, "libpng could not start");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    // libpng refuses more than a million pixels a side by default; a strip world of
    // 4,194,304 cells is that many pixels wide or tall.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // No filter: zlib finds the runs of a cell's colour and, within its window, the repeated
    // rows of a cell, and libpng keeps no previous row (12 MiB on the widest pictures). Levels
    // 1 to 3 step over long runs; from 4 on zlib hashes every byte of them, three times the
    // time on a 4,194,304-pixel-wide picture for files 5 % smaller.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 3);
    writeRows(png, info, height, source, context);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace picture
