#include "imaging/PngWriter.h"

#include "imaging/GraphicErrors.h"

#include <fstream>
#include <zlib.h>

namespace vidlark {

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data)
{
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32_z(0L, out.data() + typeAt, 4 + data.size());
    PutU32(out, static_cast<std::uint32_t>(crc));
}

// Filter byte 0 before every row, deflated in one zlib stream.
std::vector<std::uint8_t> CompressRows(const TRGBAImage& image)
{
    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::bad_alloc();
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> chunk(1 << 16);
    const std::size_t rowBytes = static_cast<std::size_t>(image.Width) * 4;
    auto pump = [&](const std::uint8_t* data, std::size_t size, int flush) {
        z.next_in = const_cast<Bytef*>(data);
        z.avail_in = static_cast<uInt>(size);
        do {
            z.next_out = chunk.data();
            z.avail_out = static_cast<uInt>(chunk.size());
            deflate(&z, flush);
            out.insert(out.end(), chunk.data(), chunk.data() + (chunk.size() - z.avail_out));
        } while (z.avail_out == 0);
    };
    const std::uint8_t filter = 0;
    for (std::uint32_t y = 0; y < image.Height; ++y) {
        pump(&filter, 1, Z_NO_FLUSH);
        pump(image.Pixels.data() + y * rowBytes, rowBytes, Z_NO_FLUSH);
    }
    pump(nullptr, 0, Z_FINISH);
    deflateEnd(&z);
    return out;
}

} // namespace

std::vector<std::uint8_t> EncodePNG(const TRGBAImage& image)
{
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutU32(header, image.Width);
    PutU32(header, image.Height);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter variants, no interlace
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", CompressRows(image));
    PutChunk(out, "IEND", {});
    return out;
}

void SavePNGFile(const TRGBAImage& image, const std::filesystem::path& fileName)
{
    const std::vector<std::uint8_t> bytes = EncodePNG(image);
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (file)
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file || !file.flush())
        throw EFCreateError(FormatGraphicMessage(gesFileCreateError, {fileName.string()}));
}

} // namespace vidlark
