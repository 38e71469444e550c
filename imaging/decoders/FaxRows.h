#pragma once
// One row of fax data decoded into its changing elements: from runs of
// alternating colours (one-dimensional coding), or from mode codes that
// place each change against those of the row above (two-dimensional
// coding). The row is closed afterwards, ready to be the row above.

#include "imaging/decoders/FaxBits.h"

namespace vidlark::fax {

enum class TRowEnd {
    Done,      // the row reached its width, or the data ended
    EndOfLine, // an end-of-line code came first; the row ends white
    Corrupt,   // a code that is none, or uncompressed mode, which is not decoded
};

TRowEnd DecodeRunsRow(TBitSource& In, TChangingElements& Row);
TRowEnd DecodeTwoDimensionalRow(TBitSource& In, const TChangingElements& Above, TChangingElements& Row);

} // namespace vidlark::fax
