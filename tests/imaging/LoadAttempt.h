#pragma once
// One load of a reader from bytes in memory: the error it raised, if any,
// and the largest single allocation on the way (see ImagingTestSupport.h).

#include "imaging/Stream.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vidlark::test {

template <typename TReader>
struct TLoadAttempt {
    std::unique_ptr<TReader> Picture = std::make_unique<TReader>();
    std::string Error;
    std::size_t Largest = 0;
};

template <typename TReader>
TLoadAttempt<TReader> LoadBytes(const std::vector<std::uint8_t>& File)
{
    TLoadAttempt<TReader> Result;
    TMemoryStream Stream(File);
    ResetLargestAllocation();
    try {
        Result.Picture->LoadFromStream(Stream);
    } catch (const EGraphicError& E) {
        Result.Error = E.what();
    }
    Result.Largest = LargestAllocation();
    return Result;
}

} // namespace vidlark::test
