// Replays saved inputs through a fuzz target's entry point, for compilers and builds without
// libFuzzer: each argument is a file or a directory of files. A finding aborts, as it does
// under the fuzzer; an empty replay fails, since then nothing was checked.
#include "fuzzinput.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputsUnder(const fs::path& path)
{
    std::vector<fs::path> inputs;
    if (fs::is_directory(path)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        }
        std::sort(inputs.begin(), inputs.end());
    } else if (fs::is_regular_file(path)) {
        inputs.push_back(path);
    }
    return inputs;
}

std::vector<std::uint8_t> contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

} // namespace

int main(int argc, char** argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& input : inputsUnder(argv[i])) {
            // Named first, so that the last name printed before a crash is the culprit.
            std::cout << input.string() << std::endl;
            const std::vector<std::uint8_t> bytes = contents(input);
            // A copy of exactly the input's size, so that AddressSanitizer sees a read past it.
            std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size()]);
            std::copy(bytes.begin(), bytes.end(), exact.get());
            LLVMFuzzerTestOneInput(exact.get(), bytes.size());
            ++replayed;
        }
    }
    std::cout << replayed << " inputs replayed" << std::endl;
    return replayed > 0 ? 0 : 1;
}
