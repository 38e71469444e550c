#pragma once
// The libjpeg shim's decoder owned by C++ code.

#include "imaging/JpegShim.h"

#include <memory>

namespace vidlark {

struct TJpegDecoderDeleter {
    void operator()(VjDecoder* d) const { vj_destroy(d); }
};
using TJpegDecoderPtr = std::unique_ptr<VjDecoder, TJpegDecoderDeleter>;

} // namespace vidlark
