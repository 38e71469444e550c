#pragma once
// The text header of the portable maps, and the buffered byte reader that
// reads it and the plain (text) pixel data after it.
//
// PBM, PGM, PPM: the magic "P1" to "P6", then width, height and, except
// for bitmaps, the maximum value: decimal numbers between whitespace, where
// "#" starts a comment that runs to the end of its line. The one character
// after the last number ends the header.
// PAM: the magic "P7", then the keywords WIDTH, HEIGHT, DEPTH, MAXVAL and
// TUPLTYPE, each with its value, up to the line ENDHDR.

#include "imaging/Stream.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vidlark {

class TMapTextReader {
public:
    static constexpr int EndOfData = -1;

    explicit TMapTextReader(TStream& Stream) : Stream(Stream) {}

    // The next byte, or EndOfData.
    int TakeByte();
    // The next byte, with a comment taken whole and answered as the line
    // end that closes it.
    int TakeChar();
    // The first character after whitespace and comments.
    int SkipWhitespace();
    // A decimal number after whitespace and comments, saturating at the
    // largest 32-bit value; the character after it is taken too. False
    // when no digit stands there.
    bool ScanNumber(std::uint32_t& Value);
    // A word after whitespace and comments, of which only the first 20
    // characters are kept; answers the character that ended it.
    int ReadWord(std::string& Word);
    // Puts the stream at the first byte not taken and empties the buffer.
    void ReturnUnread();

private:
    TStream& Stream;
    std::array<std::uint8_t, 4096> InBuf;
    std::size_t InPos = 0;
    std::size_t InEnd = 0; // bytes of the last fill: a short fill leaves no old bytes to take
};

struct TPortableMapHeader {
    char Type = 0; // the digit of the magic, '1' to '7'
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint32_t Depth = 0;  // samples per pixel
    std::uint32_t MaxVal = 0; // the sample value of full intensity
    // Samples per pixel of the tuple type named; 0 for one this reader
    // cannot show.
    std::uint32_t TupleDepth = 0;

    bool Plain() const { return Type <= '3'; }
    // A bitmap (P1, P4) packs its pixels 8 to a byte, 1 for black.
    bool Bitmap() const { return Type == '1' || Type == '4'; }
    // Samples up to 255 take one byte, wider ones two, most significant first.
    unsigned SampleBytes() const { return MaxVal > 255 ? 2 : 1; }
    // Bytes of a row in the binary form.
    std::uint64_t RowBytes() const;
};

// The header at the reader's position when it is one this reader can load:
// the one check that the content test, ReadProperties and the load share.
std::optional<TPortableMapHeader> ReadMapHeader(TMapTextReader& Text);

} // namespace vidlark
