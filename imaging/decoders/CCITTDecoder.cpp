#include "imaging/decoders/CCITTDecoder.h"

#include "imaging/decoders/FaxRows.h"

#include <algorithm>
#include <utility>

namespace vidlark {

namespace {

std::uint8_t ReverseBits(std::uint8_t Byte)
{
    Byte = static_cast<std::uint8_t>((Byte & 0xF0) >> 4 | (Byte & 0x0F) << 4);
    Byte = static_cast<std::uint8_t>((Byte & 0xCC) >> 2 | (Byte & 0x33) << 2);
    return static_cast<std::uint8_t>((Byte & 0xAA) >> 1 | (Byte & 0x55) << 1);
}

std::size_t SizeOf(std::int32_t Size) { return Size > 0 ? static_cast<std::size_t>(Size) : 0; }

// Group 3 rows begin after an end-of-line code: eleven 0 bits and a 1,
// with any number of fill bits between. Most often it comes next.
void SkipToEndOfLine(fax::TBitSource& In)
{
    if (In.EndOfLineNext()) {
        In.Consume(t4::EndOfLineBits);
        return;
    }
    for (unsigned Zeros = 0; Zeros < 11 && In.Left() > 0;)
        Zeros = In.Bit() ? 0 : Zeros + 1;
    while (In.Left() > 0 && In.Bit() == 0) {
    }
}

} // namespace

TCCITTDecoder::TCCITTDecoder(std::uint32_t Options, std::uint32_t Width, bool WordAligned, bool SwapBits)
    : Options(Options), Width(Width), WordAligned(WordAligned), SwapBits(SwapBits)
{
}

TCCITTDecoder::TStrip TCCITTDecoder::StartStrip(const std::uint8_t* Source, std::uint8_t* Target,
                                                std::int32_t PackedSize, std::int32_t UnpackedSize)
{
    const std::size_t Size = SizeOf(PackedSize);
    if (SwapBits) {
        Reversed.resize(Size);
        std::transform(Source, Source + Size, Reversed.begin(), ReverseBits);
        Source = Reversed.data();
    }
    const auto MaxChanges = static_cast<std::size_t>(std::min<std::uint64_t>(Width, std::uint64_t{Size} * 8));
    Above.Reserve(Width, MaxChanges);
    Current.Reserve(Width, MaxChanges);
    Above.Close();
    return {fax::TBitSource(Source, Size), fax::TRowWriter(Target, SizeOf(UnpackedSize), Width)};
}

void TCCITTDecoder::PutRow(fax::TRowWriter& Out)
{
    Out.PutRow(Current);
    std::swap(Above, Current);
}

void TCCITTFax3Decoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                               std::int32_t UnpackedSize)
{
    auto [In, Out] = StartStrip(Source, Target, PackedSize, UnpackedSize);
    const bool TwoDimensional = Options & 1;
    bool EndOfLinePending = false;
    while (In.Left() > 0 && Out.Room()) {
        if (!EndOfLinePending)
            SkipToEndOfLine(In);
        // The bit after each end of line tells how its row is coded: 1 in
        // runs, 0 against the row above.
        const bool AgainstAbove = TwoDimensional && In.Left() > 0 && In.Bit() == 0;
        const fax::TRowEnd End =
            AgainstAbove ? fax::DecodeTwoDimensionalRow(In, Above, Current) : fax::DecodeRunsRow(In, Current);
        PutRow(Out);
        EndOfLinePending = End == fax::TRowEnd::EndOfLine;
        // One-dimensional rows find their start again at the next end of
        // line; rows coded against a damaged one would be garbage.
        if (TwoDimensional && End == fax::TRowEnd::Corrupt)
            break;
    }
    Source += In.BytePosition();
}

void TCCITTFax4Decoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                               std::int32_t UnpackedSize)
{
    auto [In, Out] = StartStrip(Source, Target, PackedSize, UnpackedSize);
    while (In.Left() > 0 && Out.Room()) {
        const fax::TRowEnd End = fax::DecodeTwoDimensionalRow(In, Above, Current);
        PutRow(Out);
        // Group 4 has no end of line but the two that end the data.
        if (End != fax::TRowEnd::Done)
            break;
    }
    Source += In.BytePosition();
}

void TCCITTMHDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                             std::int32_t UnpackedSize)
{
    auto [In, Out] = StartStrip(Source, Target, PackedSize, UnpackedSize);
    bool Black = false;
    while (In.Left() > 0 && Out.Room()) {
        const std::int32_t Run = fax::DecodeRun(In, Black ? t4::BlackTable() : t4::WhiteTable());
        if (Run > 0) {
            Out.Put(static_cast<std::uint32_t>(Run), Black);
            if (Out.RowComplete()) {
                // Rows begin on a byte, or on a 16-bit word from the start
                // of the strip.
                Out.NextRow();
                In.AlignToByte();
                if (WordAligned && In.BytePosition() % 2 != 0)
                    In.Consume(8);
                Black = false;
                continue;
            }
        }
        Black = !Black;
    }
    Source += In.BytePosition();
}

} // namespace vidlark
