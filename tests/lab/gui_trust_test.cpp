// The real main window, offscreen, in the lab's manager namespace, with a hostile host on the
// segment: a flood of error replies leaves it running with at most one box open and its
// memory flat; a configuration form opened for one switch sends to it or to none while the
// discovery table is emptied and refilled under it.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <fstream>
#include <thread>

#include "app/CommandIds.h"
#include "app/RealNetwork.h"
#include "app/qt/CPortmesaDlg.h"
#include "app/qt/QtLoop.h"
#include "app/qt/QtUi.h"
#include "base/AddressText.h"
#include "config/SetRequest.h"
#include "config/qt/Configuration_Set.h"
#include "controls/qt/CMyEdit.h"
#include "inventory/DeviceTables.h"
#include "lab/support/Hostile.h"
#include "lab/support/Lab.h"
#include "protocol/ProtocolHeader.h"
#include "storage/SettingsFile.h"
#include "support/FakeUi.h"
#include "support/Replies.h"
#include "support/TempDir.h"

namespace pm {
namespace {

constexpr uint16_t kBasePort = 4000;
constexpr char kGroup[] = "239.1.2.3";
constexpr uint32_t kHeaderId = 0x47554954;
constexpr uint32_t kManager = 0x0AC90102;  // 10.201.1.2

// One QApplication for the whole program, as the window needs.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[16] = "gui_trust_lab";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

int VisibleBoxes() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w) && w->isVisible())
            ++n;
    return n;
}

sim::SwitchConfig Switch(const char* ip, uint8_t macTail) {
    sim::SwitchConfig c;
    c.ip = *sim::ParseIp(ip);
    c.mac = {2, 0x50, 0x4D, 0, 0, macTail};
    c.iface = "eth0";
    c.password = "admin";
    return c;
}

// The lab, the switches, the hostile host, and the window with the real network.
class GuiTrustLab : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!lab::CanBuildLabs())
            GTEST_SKIP() << "lab tests need root and the ip tool";
    }
    void TearDown() override {
        window_.reset();
        program_.reset();
        network_.reset();
        ui_.reset();
        inManager_.reset();  // leave the namespace before it goes
        sims_.clear();
        hostile_.reset();
        lab_.reset();
    }

    void Build(std::vector<sim::SwitchConfig> switches, std::unique_ptr<Ui> ui) {
        lab_ = std::make_unique<lab::Lab>();
        std::vector<std::string> names;
        for (const auto& c : switches)
            names.push_back(lab_->AddSwitch(0, AddressToText(c.ip) + "/24"));
        hostile_ = std::make_unique<lab::HostileHost>(*lab_, 0, "10.201.1.66/24");
        ASSERT_TRUE(lab_->Ok());
        ASSERT_TRUE(hostile_->Ok());
        sim::SimOptions options;
        options.basePort = kBasePort;
        options.group = kGroup;
        for (size_t i = 0; i < switches.size(); ++i) {
            sims_.push_back(
                std::make_unique<lab::SimThread>(names[i], options, std::vector{switches[i]}));
            ASSERT_EQ(sims_.back()->Error(), "");
        }
        inManager_ = std::make_unique<lab::EnterNamespace>(lab_->Manager());
        ASSERT_TRUE(inManager_->Ok());
        // Never open the utility's sockets anywhere but in the lab's manager namespace.
        ASSERT_TRUE(sim::InNamedNetworkNamespace());

        Settings settings;
        settings.header_id = kHeaderId;
        settings.base_port = kBasePort;
        std::snprintf(settings.multicast_group, sizeof settings.multicast_group, "%s", kGroup);
        settings.multicast_interface_on_off = 1;
        settings.refresh_time = 15;
        const auto file = BuildSettingsFile(settings);
        std::ofstream(SettingsFilePath(dir_.path().string()), std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()),
                   static_cast<std::streamsize>(file.size()));

        ui_ = std::move(ui);
        network_ = std::make_unique<RealNetwork>(*ui_, loop_);
        program_ = std::make_unique<Program>(*ui_, loop_, network_->GetTransport(),
                                             network_->Interfaces());
        program_->configFolder = dir_.path().string();
        MainWindowHooks hooks;
        hooks.startTransport = [this] {
            ASSERT_TRUE(network_->Start(program_->settings,
                                        [this](int id) { window_->OnSocketEvent(id); }));
        };
        hooks.closeTransport = [this] { network_->Stop(); };
        window_ = std::make_unique<CPortmesaDlg>(*program_, hooks);
        if (auto* qt = dynamic_cast<QtUi*>(ui_.get()))
            qt->SetMainWindow(window_.get());
        window_->Start();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    Program& P() { return *program_; }
    bool Listed(uint8_t macTail) const {
        const uint8_t mac[6] = {2, 0x50, 0x4D, 0, 0, macTail};
        return FindDiscoveryByMac(program_->lists, FormatMac(mac)).found;
    }
    void ClickDiscover() { QTest::mouseClick(window_->Button(ids::kDiscover), Qt::LeftButton); }

    std::unique_ptr<lab::Lab> lab_;
    std::unique_ptr<lab::HostileHost> hostile_;
    std::vector<std::unique_ptr<lab::SimThread>> sims_;
    std::unique_ptr<lab::EnterNamespace> inManager_;
    test::TempDir dir_;
    QtLoop loop_;
    std::unique_ptr<Ui> ui_;
    std::unique_ptr<RealNetwork> network_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<CPortmesaDlg> window_;
};

TEST_F(GuiTrustLab, AFloodOfErrorRepliesKeepsOneBoxOpenAndMemoryFlat) {
    auto owned = std::make_unique<QtUi>(loop_);
    QtUi* ui = owned.get();
    ASSERT_NO_FATAL_FAILURE(Build({Switch("10.201.1.10", 1)}, std::move(owned)));

    // "command Error" replies to the unicast port, from a host that heard one discovery.
    test::Reply reply(kHeaderId, {2, 0x66, 0x66, 0, 0, 0x66}, 2);
    reply.header.result = 3;
    const std::vector<uint8_t> bytes = reply.Bytes();
    std::atomic<int> sent{0};
    // Sends until `total` have gone, some 5,000 a second, while the window runs; returns the
    // most boxes seen open at once.
    auto flood = [&](int total) {
        std::thread sender([&] {
            while (sent < total) {
                for (int i = 0; i < 25 && sent < total; ++i, ++sent)
                    hostile_->Send(bytes, kManager, kBasePort + 1);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        int most = 0;
        for (int round = 0; round < 2000 && sent < total; ++round) {
            QTest::qWait(5);
            most = std::max(most, VisibleBoxes());
        }
        sender.join();
        QTest::qWait(300);  // the last ones are read
        return std::max(most, VisibleBoxes());
    };
    int most = flood(1000);  // the first box, its fonts and style, before measuring
    const long before = ResidentKiB();
    most = std::max(most, flood(10000 + 1000));
    const long after = ResidentKiB();

    EXPECT_EQ(most, 1);
    ASSERT_NE(ui->OpenMessageBox(), nullptr);
    const QString text = ui->OpenMessageBox()->text();
    EXPECT_TRUE(text.startsWith("command Error\n\n(")) << text.toStdString();
    const int counted = text.mid(text.indexOf('(') + 1).split(' ').front().toInt();
    EXPECT_GT(counted, 5000) << "most of the flood reached the window";
    EXPECT_TRUE(ui->Board().Waiting().empty());
    EXPECT_LT(after - before, 4096) << "resident " << before << " KiB, then " << after << " KiB";
    std::printf("flood: %d replies counted into one box; resident %ld KiB before, %ld KiB after\n",
                counted, before, after);

    // The window carries on: the box closes, and the real switch is found.
    ui->OpenMessageBox()->button(QMessageBox::Ok)->click();
    QApplication::processEvents();
    EXPECT_EQ(VisibleBoxes(), 0);
    ClickDiscover();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(1); }, 5000));
    EXPECT_EQ(VisibleBoxes(), 0);
}

TEST_F(GuiTrustLab, AFormSendsToItsSwitchOrToNoneWhileTheTableIsRefilled) {
    auto owned = std::make_unique<test::FakeUi>();
    test::FakeUi* ui = owned.get();
    ASSERT_NO_FATAL_FAILURE(
        Build({Switch("10.201.1.10", 1), Switch("10.201.1.20", 2)}, std::move(owned)));
    ClickDiscover();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Listed(1) && Listed(2); }, 5000));

    // The form opens for the switch in the first row: A; the other one is B.
    const std::string a(TextOf(P().lists.discovery[0].mac_text));
    const size_t simA = a == FormatMac(sims_[0]->Sim().Config(0).mac.data()) ? 0 : 1;
    const std::string b(FormatMac(sims_[1 - simA]->Sim().Config(0).mac.data()));
    P().selection = {0, ListKind::Discovery, P().lists.monitorList.GetItemCount(),
                     P().lists.discoveryList.GetItemCount()};
    Configuration_Set form(P(), window_.get());
    form.show();
    auto* password = form.findChild<CMyEdit*>("password");
    ASSERT_NE(password, nullptr);
    password->setFocus();
    QTest::keyClicks(password, "admin");
    auto* set = form.findChild<QPushButton*>("set");
    ASSERT_NE(set, nullptr);
    auto setRequests = [&] {
        std::vector<sim::SeenRequest> out;
        for (auto& s : sims_)
            for (auto& r : s->Sim().Requests())
                if (r.command == 3 || r.command == 7 || r.command == 14)
                    out.push_back(r);
        return out;
    };

    // A falls silent; Discover empties the table and refills it, as the search after an
    // upgrade does every 2 s while the window stays usable: B now stands in A's row.
    sims_[simA]->Sim().Update(0, [](sim::SwitchConfig& c) { c.silent = true; });
    ClickDiscover();
    ASSERT_TRUE(QTest::qWaitFor([&] { return FindDiscoveryByMac(P().lists, b).found; }, 5000));
    QTest::qWait(300);
    ASSERT_EQ(TextOf(P().lists.discovery[0].mac_text), b);
    ASSERT_FALSE(FindDiscoveryByMac(P().lists, a).found);
    for (auto& s : sims_)
        s->Sim().ClearRequests();
    set->click();
    QTest::qWait(300);
    EXPECT_TRUE(setRequests().empty()) << "nothing is sent to B in A's stead";
    EXPECT_EQ(ui->Texts(), std::vector<std::string>{DeviceGoneMessage(a)});
    EXPECT_TRUE(form.isVisible());

    // A answers again, after B, and so comes back one row further down.
    sims_[simA]->Sim().Update(0, [](sim::SwitchConfig& c) { c.silent = false; });
    uint8_t request[kHeaderSize];
    const size_t length = BuildDiscoverRequest(request, kHeaderId);
    P().net.SendBroadcast(request, length);
    ASSERT_TRUE(QTest::qWaitFor([&] { return FindDiscoveryByMac(P().lists, a).found; }, 5000));
    ASSERT_EQ(TextOf(P().lists.discovery[0].mac_text), b);
    ui->Clear();
    set->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui->messages.empty(); }, 5000));
    QTest::qWait(300);
    EXPECT_EQ(ui->Texts(), std::vector<std::string>{"Set Successful"});
    EXPECT_EQ(form.result(), QDialog::Accepted);
    const auto seen = setRequests();
    ASSERT_FALSE(seen.empty());
    for (const auto& r : seen)
        EXPECT_EQ(FormatMac(r.bytes.data() + 4), a) << "every copy is addressed to A";
}

}  // namespace
}  // namespace pm
