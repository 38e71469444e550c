// Runs a fuzz target over files without fuzzing: each argument is a file or
// a folder whose files (recursively) are fed to the target once. A missing
// folder counts as empty, so a target without kept crashes replays its seeds.
// The test run uses it to keep every target building and every kept input
// passing.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // A heap block of exactly the input's size, as the fuzzer gives it, so a
    // read past the end is seen by the sanitizers.
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    data.shrink_to_fit();
    LLVMFuzzerTestOneInput(data.data(), data.size());
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path = argv[i];
        if (std::filesystem::is_regular_file(path)) {
            Replay(path);
            ++replayed;
        } else if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
                if (entry.is_regular_file()) {
                    Replay(entry.path());
                    ++replayed;
                }
        }
    }
    std::printf("%zu inputs replayed\n", replayed);
    return 0;
}
