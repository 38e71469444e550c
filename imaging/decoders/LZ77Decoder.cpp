#include "imaging/decoders/LZ77Decoder.h"

#include "imaging/GraphicErrors.h"

namespace vidlark {

namespace {

[[noreturn]] void RaiseLZ77Error()
{
    throw EGraphicCompression(gesLZ77Error);
}

uInt SizeOrZero(std::int32_t Size) { return Size > 0 ? static_cast<uInt>(Size) : 0u; }

} // namespace

TLZ77Decoder::TLZ77Decoder(int Flush, bool Reset) : FlushMode(Flush), AutoReset(Reset) {}

TLZ77Decoder::~TLZ77Decoder()
{
    // A load that failed half-way still gives zlib's memory back.
    if (Started)
        inflateEnd(&Stream);
}

void TLZ77Decoder::StartUnpack()
{
    if (Started) {
        inflateEnd(&Stream);
        Started = false;
    }
    Stream = z_stream{};
    Result = inflateInit(&Stream);
    // After a failed start zlib holds nothing, so there is no stream to end.
    if (Result < 0)
        RaiseLZ77Error();
    Started = true;
}

void TLZ77Decoder::SkipChecksum()
{
    if (Started)
        inflateValidate(&Stream, 0);
}

void TLZ77Decoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target,
                          std::int32_t PackedSize, std::int32_t UnpackedSize)
{
    if (!Started) {
        Result = Z_STREAM_ERROR;
        return;
    }
    Stream.next_in = Source;
    Stream.avail_in = SizeOrZero(PackedSize);
    if (AutoReset) {
        Result = inflateReset(&Stream);
        if (Result != Z_OK)
            return;
    }
    Stream.next_out = Target;
    Stream.avail_out = SizeOrZero(UnpackedSize);
    Result = inflate(&Stream, FlushMode);
    Source = Stream.next_in;
    Target = Stream.next_out;
}

void TLZ77Decoder::FinishUnpack()
{
    if (!Started)
        return;
    Started = false;
    if (inflateEnd(&Stream) < 0)
        RaiseLZ77Error();
}

} // namespace vidlark
