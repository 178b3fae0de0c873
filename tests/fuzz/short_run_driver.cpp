// Runs a libFuzzer entry point over a fixed-seed stream of random and mutated inputs, so
// that every build exercises the fuzz targets without needing clang.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) size_t PortmesaFuzzSeed(size_t index, std::vector<uint8_t>& out);

// "--write-seeds DIR" writes the seed inputs as files seed-N, to start a libFuzzer corpus.
static int WriteSeeds(const char* dir) {
    if (!PortmesaFuzzSeed)
        return 0;
    for (size_t i = 0;; ++i) {
        std::vector<uint8_t> seed;
        if (PortmesaFuzzSeed(i, seed) == 0)
            return 0;
        const std::string path = std::string(dir) + "/seed-" + std::to_string(i);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return 1;
        std::fwrite(seed.data(), 1, seed.size(), f);
        std::fclose(f);
    }
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-seeds") == 0)
        return WriteSeeds(argv[2]);
    const long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
    std::mt19937 rng(12345);
    std::vector<uint8_t> input;
    std::vector<std::vector<uint8_t>> seeds;
    if (PortmesaFuzzSeed) {
        for (size_t i = 0;; ++i) {
            std::vector<uint8_t> seed;
            if (PortmesaFuzzSeed(i, seed) == 0)
                break;
            seeds.push_back(seed);
        }
    }
    for (long run = 0; run < runs; ++run) {
        if (!seeds.empty() && run % 2 == 0) {
            // Mutate a valid seed: flip bytes, cut, or extend.
            input = seeds[rng() % seeds.size()];
            const int edits = 1 + rng() % 8;
            for (int e = 0; e < edits && !input.empty(); ++e) {
                switch (rng() % 4) {
                    case 0:
                        input[rng() % input.size()] = static_cast<uint8_t>(rng());
                        break;
                    case 1:
                        input.resize(rng() % (input.size() + 1));
                        break;
                    case 2:
                        input.push_back(static_cast<uint8_t>(rng()));
                        break;
                    default:
                        input[rng() % input.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
                }
            }
        } else {
            input.resize(rng() % 1600);
            for (auto& b : input)
                b = static_cast<uint8_t>(rng());
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    return 0;
}
