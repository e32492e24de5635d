// Buffered byte-at-a-time reading of the text maps from an open stream, with CR LF read as
// one line end.
#pragma once

#include <cstddef>
#include <cstdio>

class ByteReader {
  public:
    // Reads `file` from where it stands; the stream stays the caller's (null reads as empty).
    explicit ByteReader(std::FILE* file) : file(file) {}
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    // The next byte (0..255), '\n' for an LF or a CR directly in front of one, EOF at the end.
    // Text mode translates nothing here, so a CR LF pair is folded by hand.
    int get()
    {
        int c = next();
        if (c == '\r' && peek() == '\n') c = next();
        return c;
    }

  private:
    int next()
    {
        if (pos == end && !fill()) return EOF;
        return static_cast<unsigned char>(buffer[pos++]);
    }
    int peek()
    {
        if (pos == end && !fill()) return EOF;
        return static_cast<unsigned char>(buffer[pos]);
    }
    bool fill()
    {
        pos = 0;
        end = file ? std::fread(buffer, 1, sizeof buffer, file) : 0;
        return end > 0;
    }

    std::FILE* file;
    char buffer[1 << 16];
    std::size_t pos = 0, end = 0;
};
