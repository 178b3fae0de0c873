#pragma once
// A program with one switch selected and a firmware form's session, for the upgrade tests.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/ProgramContexts.h"
#include "config/Validation.h"
#include "support/TestProgram.h"
#include "upgrade/UpgradeCommand.h"
#include "upgrade/UpgradeSession.h"

namespace pm::test {

constexpr uint32_t kSwitchIp = 0x0A000005;  // 10.0.0.5
constexpr uint32_t kSwitchMask = 0xFFFFFF00;

class UpgradeFixture : public ::testing::Test {
  protected:
    UpgradeFixture() {
        AdapterEntry eth;
        eth.name = "eth0";
        eth.index = 2;
        eth.addresses.push_back({htonl(0x0A000001), htonl(kSwitchMask), false});
        t.interfaces.adapters.push_back(eth);
        AddDevice(p.lists.discovery, 0, kSwitchIp, "0011223344aa");
        p.selection = {0, ListKind::Discovery, 0, 1};
    }

    void AddDevice(DeviceTable& table, int i, uint32_t ip, std::string_view mac) {
        DeviceRecord& r = table[static_cast<size_t>(i)];
        r.ip = ip;
        r.mask = kSwitchMask;
        SetText(r.mac_text, mac);
        SetText(r.ip_text, AddressToText(ip));
        // A list's rows say which entries of its table are in use.
        CReportCtrl& list =
            &table == &p.lists.monitor ? p.lists.monitorList : p.lists.discoveryList;
        while (list.GetItemCount() <= i)
            list.InsertItem(list.GetItemCount(), "", -1, 0);
    }

    // Runs the upgrade command and opens the form's session as the GUI would.
    void OpenForm() {
        ASSERT_EQ(UpgradeCommand(context, [this] { MakeSession(); }), 0);
        ASSERT_TRUE(session);
    }
    void MakeSession() {
        session = std::make_unique<UpgradeSession>(
            context, UpgradeView{[this](const std::string& s) { statuses.push_back(s); },
                                 [this] { ++closes; }, [this](bool b) { busy = b; },
                                 [this](uint32_t sent, uint32_t total) {
                                     progress.emplace_back(sent, total);
                                 }});
        session->Open();
    }

    // An image file of n bytes whose byte i is i % 251.
    std::string Image(size_t n, const std::string& name = "fw_v12345.hex") {
        const std::string path = t.dir.File(name);
        std::ofstream out(path, std::ios::binary);
        for (size_t i = 0; i < n; ++i)
            out.put(static_cast<char>(i % 251));
        return path;
    }

    // Starts the transfer directly, as Start does once the trigger is acknowledged.
    void StartTransfer(size_t imageSize) {
        OpenForm();
        p.upgrade.firmwarePath = Image(imageSize);
        ASSERT_EQ(session->Transfer().StartTransfer(), 0);
    }

    void Reply(std::vector<uint8_t> bytes, uint32_t from = kSwitchIp) {
        session->OnTftpDatagram(bytes.data(), bytes.size(), from);
    }
    void Ack(uint16_t block) {
        Reply({0, 4, static_cast<uint8_t>(block >> 8), static_cast<uint8_t>(block)});
    }

    std::vector<Sent> Tftp() const { return t.net.Of(SendKind::Tftp); }
    // TFTP sends with this opcode.
    std::vector<Sent> Tftp(uint8_t opcode) const {
        std::vector<Sent> out;
        for (const auto& s : Tftp())
            if (s.bytes.size() >= 2 && s.bytes[1] == opcode)
                out.push_back(s);
        return out;
    }
    static uint16_t BlockOf(const Sent& s) {
        return static_cast<uint16_t>(s.bytes[2] << 8 | s.bytes[3]);
    }

    std::string LogText() const {
        std::ifstream in(t.dir.File("syslog.log"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TestProgram t;
    Program& p = t.program;
    UpgradeContext context = UpgradeContextOf(p);
    std::unique_ptr<UpgradeSession> session;
    std::vector<std::string> statuses;
    std::vector<std::pair<uint32_t, uint32_t>> progress;  // bytes sent, image size
    int closes = 0;
    bool busy = false;
};

}  // namespace pm::test
