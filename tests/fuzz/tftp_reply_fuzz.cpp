// Arbitrary datagrams into a running image transfer. The input is a run of records: one
// length byte and that many bytes of datagram; 0xFE takes the rest of the input as one
// datagram (so replies longer than 512 bytes occur), 0xFF lets 1.5 s pass instead.
#include <arpa/inet.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

#include "app/ProgramContexts.h"
#include "support/TestProgram.h"
#include "upgrade/UpgradeSession.h"

namespace {

struct Bench {
    pm::test::TestProgram t;
    std::string image;
    Bench() {
        image = t.dir.File("fw.bin");
        std::ofstream out(image, std::ios::binary);
        for (int i = 0; i < 1500; ++i)
            out.put(static_cast<char>(i));
        t.program.upgrade.targetAddress = 0x0A000005;
        t.program.upgrade.targetMask = 0xFFFFFF00;
    }
};

Bench& TheBench() {
    static Bench bench;
    return bench;
}

}  // namespace

extern "C" size_t PortmesaFuzzSeed(size_t i, std::vector<uint8_t>& out) {
    static const std::vector<std::vector<uint8_t>> seeds = {
        {4, 0, 4, 0, 0, 4, 0, 4, 0, 1, 4, 0, 4, 0, 2, 4, 0, 4, 0, 3},
        {4, 0, 4, 0, 0, 0xFF, 0xFF, 4, 0, 4, 0, 1, 9, 0, 5, 0, 1, 'd', 'i', 's', 'k', 0},
        {4, 0, 4, 0xFF, 0xFF, 6, 0, 5, 0, 0, 'x', 'y'},
    };
    if (i >= seeds.size())
        return 0;
    out = seeds[i];
    return out.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bench& b = TheBench();
    pm::Program& p = b.t.program;
    p.upgrade.firmwarePath = b.image;
    bool closed = false;
    auto session = std::make_unique<pm::UpgradeSession>(
        pm::UpgradeContextOf(p), pm::UpgradeView{nullptr, [&closed] { closed = true; }, nullptr});
    session->Open();
    session->Transfer().StartTransfer();

    size_t pos = 0;
    while (pos < size && !closed) {
        const uint8_t length = data[pos++];
        if (length == 0xFF) {
            b.t.loop.Advance(1500);
            continue;
        }
        const size_t n = length == 0xFE ? size - pos : std::min<size_t>(length, size - pos);
        // An exact-size copy, so that a read past the datagram is caught by the sanitizer.
        std::vector<uint8_t> datagram(data + pos, data + pos + n);
        session->OnTftpDatagram(datagram.data(), datagram.size(), p.upgrade.targetAddress);
        pos += n;
    }
    session.reset();
    b.t.loop.Advance(400000);  // let any search that was started run out
    b.t.net.sent.clear();
    b.t.ui.Clear();
    return 0;
}
