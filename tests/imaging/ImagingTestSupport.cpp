#include "tests/imaging/ImagingTestSupport.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <stdexcept>

namespace {

std::atomic<std::size_t> Largest{0};

void Note(std::size_t size)
{
    std::size_t seen = Largest.load(std::memory_order_relaxed);
    while (size > seen && !Largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
}

} // namespace

// Every allocation of the test program passes here, so a test can tell how
// large the biggest one of a load was.
void* operator new(std::size_t size)
{
    Note(size);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
// The nothrow forms (std::stable_sort's buffer uses them) must come from
// the same heap as the deletes below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    Note(size);
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace vidlark::test {

std::filesystem::path Fixture(const std::string& name)
{
    return std::filesystem::path(VIDLARK_IMAGING_DATA) / name;
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("missing fixture " + path.string());
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

TPnm ReadPnm(const std::filesystem::path& path)
{
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    std::size_t pos = 0;
    auto token = [&] {
        std::string t;
        while (pos < bytes.size()) {
            const char c = static_cast<char>(bytes[pos]);
            if (c == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n')
                    ++pos;
            } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
                if (!t.empty())
                    break;
                ++pos;
            } else {
                t += c;
                ++pos;
            }
        }
        return t;
    };
    TPnm pnm;
    const std::string magic = token();
    pnm.Samples = magic == "P6" ? 3 : magic == "P5" ? 1 : 0;
    pnm.Width = static_cast<std::uint32_t>(std::stoul(token()));
    pnm.Height = static_cast<std::uint32_t>(std::stoul(token()));
    if (pnm.Samples == 0 || token() != "255")
        throw std::runtime_error("unexpected reference " + path.string());
    ++pos; // the single white space before the samples
    const std::size_t size = static_cast<std::size_t>(pnm.Width) * pnm.Height * pnm.Samples;
    if (bytes.size() < pos + size)
        throw std::runtime_error("short reference " + path.string());
    pnm.Data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                    bytes.begin() + static_cast<std::ptrdiff_t>(pos + size));
    return pnm;
}

std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts)
{
    std::vector<std::uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::uint8_t> Row(const TBitmap& bitmap, std::uint32_t y)
{
    const std::uint8_t* line = bitmap.ScanLine(y);
    return std::vector<std::uint8_t>(line, line + (std::size_t{bitmap.GetWidth()} * bitmap.BitsPerPixel() + 7) / 8);
}

void ExpectPixels(const TRGBAImage& image, const std::vector<std::uint8_t>& expected)
{
    ASSERT_EQ(image.Pixels.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(image.Pixels[i], expected[i]) << "pixel " << i / 4 % image.Width << ", " << i / 4 / image.Width;
}

std::string TestName(std::string fixture)
{
    for (char& c : fixture)
        if (c == '-')
            c = '_';
    return fixture;
}

void ResetLargestAllocation()
{
    Largest.store(0);
}

std::size_t LargestAllocation()
{
    return Largest.load();
}

} // namespace vidlark::test
