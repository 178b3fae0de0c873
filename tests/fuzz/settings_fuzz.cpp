// Arbitrary bytes as cfg/define.ecf: the reader must never read past the file or fail
// to keep the settings untouched on rejection.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "storage/DefaultSettings.h"
#include "storage/SettingsFile.h"

extern "C" size_t PortmesaFuzzSeed(size_t index, std::vector<uint8_t>& out) {
    if (index > 0)
        return 0;
    out = pm::BuildSettingsFile(pm::DefaultSettings());
    return out.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pm::Settings s;
    s.refresh_time = 4242;
    const auto error = pm::ParseSettingsFile({data, size}, s);
    if (error != pm::SettingsError::None && s.refresh_time != 4242)
        std::abort();
    // A file whose checksum is repaired reaches the parser's layout checks too.
    if (size >= 2) {
        std::vector<uint8_t> mended(data, data + size - 2);
        const auto trailer = pm::ChecksumTrailer(mended);
        mended.insert(mended.end(), trailer.begin(), trailer.end());
        pm::Settings t;
        pm::ParseSettingsFile(mended, t);
    }
    return 0;
}
