#include "imaging/decoders/FaxRows.h"

namespace vidlark::fax {

namespace {

std::uint32_t Advance(std::uint32_t Position, std::int64_t Pixels, std::uint32_t Width)
{
    return static_cast<std::uint32_t>(std::min<std::int64_t>(Position + Pixels, Width));
}

TRowEnd EndOf(std::int32_t Mark)
{
    return Mark == t4::EndOfLine ? TRowEnd::EndOfLine : TRowEnd::Corrupt;
}

// The run tables of both colours, looked up once a row.
struct TRunTables {
    const t4::TCodeTable& White = t4::WhiteTable();
    const t4::TCodeTable& Black = t4::BlackTable();

    const t4::TCodeTable& For(bool IsBlack) const { return IsBlack ? Black : White; }
};

TRowEnd Runs(TBitSource& In, TChangingElements& Row, std::uint32_t& A0)
{
    const std::uint32_t Width = Row.RowWidth();
    const TRunTables Tables;
    while (A0 < Width && In.Left() > 0) {
        const std::int32_t Run = DecodeRun(In, Tables.For(Row.Black()));
        if (Run < 0)
            return EndOf(Run);
        A0 = Advance(A0, Run, Width);
        Row.Add(A0);
    }
    return TRowEnd::Done;
}

// a0 is the position coding has reached, a1 the next change of the row, b1
// the first change of the row above right of a0 whose colour is the one a1
// changes to, b2 the change after b1. The changes above alternate colours
// starting with one to black, so b1's index has the parity of the changes
// of this row so far; the sentinels of the row above stop every search.
TRowEnd Modes(TBitSource& In, const TChangingElements& Above, TChangingElements& Row, std::uint32_t& A0)
{
    const t4::TModeTable& ModeTable = t4::ModeTable();
    const TRunTables Tables;
    const std::uint32_t* B = Above.Data();
    const std::uint32_t Width = Row.RowWidth();
    std::size_t B1 = 0;
    // The row starts at an imaginary white pixel left of its first one, so
    // b1 may lie on pixel 0 until the first code has been read.
    bool Start = true;
    while (A0 < Width && In.Left() > 0) {
        if (!Start)
            while (B[B1] <= A0)
                B1 += 2;
        Start = false;
        const t4::TModeEntry Mode = ModeTable[In.Peek() >> (t4::LookupBits - t4::ModeLookupBits)];
        if (Mode.Length == 0) {
            if (!In.EndOfLineNext())
                return TRowEnd::Corrupt;
            In.Consume(t4::EndOfLineBits);
            return TRowEnd::EndOfLine;
        }
        if (Mode.Length > In.Left()) {
            In.Consume(In.Left());
            break;
        }
        In.Consume(Mode.Length);
        switch (Mode.Mode) {
        case t4::TMode::Pass:
            A0 = B[B1 + 1];
            break;
        case t4::TMode::Horizontal: {
            const bool Black = Row.Black();
            const std::int32_t First = DecodeRun(In, Tables.For(Black));
            if (First < 0)
                return EndOf(First);
            A0 = Advance(A0, First, Width);
            Row.Add(A0);
            const std::int32_t Second = DecodeRun(In, Tables.For(!Black));
            if (Second < 0)
                return EndOf(Second);
            A0 = Advance(A0, Second, Width);
            Row.Add(A0);
            break;
        }
        case t4::TMode::Vertical: {
            const std::int64_t A1 = std::int64_t{B[B1]} + Mode.Offset;
            if (A1 < A0)
                return TRowEnd::Corrupt;
            A0 = static_cast<std::uint32_t>(std::min<std::int64_t>(A1, Width));
            Row.Add(A0);
            // The colour has changed: b1 is now the change before the old
            // b1 or one after it, and the search above moves on from there.
            B1 = B1 > 0 ? B1 - 1 : B1 + 1;
            break;
        }
        default:
            // Uncompressed mode, the one extension, is not decoded.
            return TRowEnd::Corrupt;
        }
    }
    return TRowEnd::Done;
}

// A row whose coding stopped at A0, before its end, is white from there.
void Finish(TChangingElements& Row, std::uint32_t A0)
{
    if (Row.Black())
        Row.Add(A0);
    Row.Close();
}

} // namespace

TRowEnd DecodeRunsRow(TBitSource& In, TChangingElements& Row)
{
    Row.Clear();
    std::uint32_t A0 = 0;
    const TRowEnd End = Runs(In, Row, A0);
    Finish(Row, A0);
    return End;
}

TRowEnd DecodeTwoDimensionalRow(TBitSource& In, const TChangingElements& Above, TChangingElements& Row)
{
    Row.Clear();
    std::uint32_t A0 = 0;
    const TRowEnd End = Modes(In, Above, Row, A0);
    Finish(Row, A0);
    return End;
}

} // namespace vidlark::fax
