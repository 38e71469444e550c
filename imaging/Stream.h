#pragma once
// Byte streams for the image library: a file stream and a memory stream
// behind one small interface with a 64-bit position. Readers keep the
// position where they found it in content tests and header reads.

#include "imaging/GraphicErrors.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace vidlark {

// A stream that ends early or cannot seek. It is an EInvalidGraphic, so data
// that run out before a reader expected it always refuse the picture.
class EStreamError : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

// A file that cannot be opened for reading: "ファイル %s は開けません".
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* gesFileOpenError = "ファイル %s は開けません";
// The platform's texts for a stream that cannot supply or take the bytes asked for.
inline constexpr const char* gesStreamRead = "ストリームからの読み込みエラー";
inline constexpr const char* gesStreamWrite = "ストリームへの書き込みエラー";
inline constexpr const char* gesStreamSeek = "Stream seek error.";

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Reads up to count bytes and returns how many were read; fewer only at
    // the end of the data.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Moves the position and returns the new one. Positions past the end are
    // allowed (reads there return nothing); a negative one raises EStreamError.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t GetSize() const = 0;

    std::int64_t GetPosition() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    // Bytes between the position and the end; 0 when the position is past it.
    std::int64_t Remaining();
    // Reads exactly count bytes or raises EStreamError.
    void ReadBuffer(void* buffer, std::size_t count);
};

// Restores a stream's position when it goes out of scope, so content tests
// and header readers leave the stream as they found it on every path.
class TStreamPositionKeeper {
public:
    explicit TStreamPositionKeeper(TStream& stream) : Stream(stream), Saved(stream.GetPosition()) {}
    ~TStreamPositionKeeper() { Stream.SetPosition(Saved); }
    TStreamPositionKeeper(const TStreamPositionKeeper&) = delete;
    TStreamPositionKeeper& operator=(const TStreamPositionKeeper&) = delete;

private:
    TStream& Stream;
    std::int64_t Saved;
};

// A file opened for reading for the stream's lifetime.
class TFileStream final : public TStream {
public:
    // Raises EFOpenError when the file cannot be opened.
    explicit TFileStream(const std::filesystem::path& path);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t GetSize() const override { return Size; }

private:
    std::filebuf File;
    std::int64_t Size = 0;
    std::int64_t Position = 0;
};

// Bytes held in memory.
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> data) : Data(std::move(data)) {}
    TMemoryStream(const void* data, std::size_t size);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t GetSize() const override { return static_cast<std::int64_t>(Data.size()); }

    const std::vector<std::uint8_t>& Bytes() const { return Data; }

private:
    std::vector<std::uint8_t> Data;
    std::int64_t Position = 0;
};

} // namespace vidlark
