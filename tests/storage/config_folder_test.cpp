#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "storage/ConfigFolder.h"
#include "storage/DefaultSettings.h"
#include "storage/SettingsFile.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"

namespace pm {
namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(ChooseConfigFolders, CfgBesideTheProgramElseTheDesktopFolders) {
    struct Case {
        const char* name;
        std::string home, configHome, stateHome;
        std::set<std::string> directories;
        ConfigFolders expected;
    };
    const ConfigFolders beside{"/opt/pm/bin/cfg", "/opt/pm/bin/cfg", "", true};
    const Case cases[] = {
        {"a cfg folder beside the program wins over everything",
         "/home/ann",
         "/x/config",
         "/x/state",
         {"/opt/pm/bin/cfg"},
         beside},
        {"defaults under the home folder",
         "/home/ann",
         "",
         "",
         {},
         {"/home/ann/.config/portmesa", "/home/ann/.local/state/portmesa", "/opt/pm/share/portmesa",
          false}},
        {"the XDG variables when set",
         "/home/ann",
         "/x/config/",
         "/x/state",
         {},
         {"/x/config/portmesa", "/x/state/portmesa", "/opt/pm/share/portmesa", false}},
        {"relative XDG values are ignored, as the rules say",
         "/home/ann",
         "rel/config",
         "./state",
         {},
         {"/home/ann/.config/portmesa", "/home/ann/.local/state/portmesa", "/opt/pm/share/portmesa",
          false}},
        {"no home and no variables: the cfg folder is all there is", "", "", "", {}, beside},
    };
    for (const auto& c : cases) {
        FolderEnvironment env;
        env.executable = "/opt/pm/bin/portmesa";
        env.home = c.home;
        env.configHome = c.configHome;
        env.stateHome = c.stateHome;
        env.dataFromExecutable = "../share/portmesa";
        env.isDirectory = [&](const std::string& p) { return c.directories.count(p) > 0; };
        const ConfigFolders got = ChooseConfigFolders(env);
        EXPECT_EQ(got.config, c.expected.config) << c.name;
        EXPECT_EQ(got.state, c.expected.state) << c.name;
        EXPECT_EQ(got.data, c.expected.data) << c.name;
        EXPECT_EQ(got.besideExecutable, c.expected.besideExecutable) << c.name;
    }
}

class PrepareFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.File("share/portmesa"));
        WriteAll(dir.File("share/portmesa/define.ecf"), shipped);
        folders.config = dir.File("home/.config/portmesa");
        folders.state = dir.File("home/.local/state/portmesa");
        folders.data = dir.File("share/portmesa");
    }
    test::TempDir dir;
    test::FakeUi ui;
    ConfigFolders folders;
    const std::vector<uint8_t> shipped = BuildSettingsFile(DefaultSettings());
};

TEST_F(PrepareFolders, FirstUseMakesPrivateFoldersAndCopiesTheShippedSettingsOnce) {
    PrepareConfigFolders(ui, folders);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    for (const auto& folder : {folders.config, folders.state, dir.File("home/.local")}) {
        struct stat st {};
        ASSERT_EQ(::stat(folder.c_str(), &st), 0) << folder;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_EQ(ReadAll(SettingsFilePath(folders.config)), shipped);
    Settings loaded;
    EXPECT_EQ(LoadSettings(ui, folders.config, loaded), 0);
    EXPECT_EQ(loaded.base_port, kDefaultBasePort);

    // The user's file is never replaced, not even by a later start.
    const std::vector<uint8_t> mine{'m', 'i', 'n', 'e'};
    WriteAll(SettingsFilePath(folders.config), mine);
    PrepareConfigFolders(ui, folders);
    EXPECT_EQ(ReadAll(SettingsFilePath(folders.config)), mine);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PrepareFolders, EveryFailureNamesItsPath) {
    // No shipped file: the copy says where it looked, the load where it read.
    std::filesystem::remove(dir.File("share/portmesa/define.ecf"));
    PrepareConfigFolders(ui, folders);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, std::string(kShippedSettingsUnreadable) + ": " +
                                       dir.File("share/portmesa/define.ecf") +
                                       ": No such file or directory");
    EXPECT_EQ(ui.messages[0].icon, Icon::Error);
    Settings loaded;
    ui.Clear();
    EXPECT_EQ(LoadSettings(ui, folders.config, loaded), -1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, std::string(kSettingsUnreadable) + ": " +
                                       SettingsFilePath(folders.config) +
                                       ": No such file or directory");

    // A file where a folder should be.
    ui.Clear();
    std::filesystem::remove_all(dir.File("home"));
    WriteAll(dir.File("home"), {'x'});
    PrepareConfigFolders(ui, folders);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, std::string(kFolderCreateFail) + ": " +
                                       dir.File("home/.config") + ": Not a directory");
    EXPECT_EQ(ui.messages[1].text, std::string(kFolderCreateFail) + ": " + dir.File("home/.local") +
                                       ": Not a directory");
}

}  // namespace
}  // namespace pm
