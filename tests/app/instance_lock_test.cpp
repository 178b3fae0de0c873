// One program per network namespace and base port: the lock, its holder and its message.
// Abstract Unix sockets carry no network traffic, so this runs anywhere.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "app/InstanceLock.h"
#include "support/VirtualLoop.h"

namespace pm {
namespace {

// A port of this process alone, so that runs of the test side by side do not meet.
uint16_t OwnPort() {
    return static_cast<uint16_t>(20000 + ::getpid() % 20000);
}

std::string OwnName() {
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

TEST(InstanceLock, ASecondCopyIsRefusedAndLearnsWhoHoldsThePorts) {
    test::VirtualLoop loop;
    InstanceLock first(loop);
    InstanceLock second(loop);
    InstanceLock elsewhere(loop);
    ASSERT_TRUE(first.Acquire(OwnPort()));
    EXPECT_TRUE(first.Held());

    EXPECT_FALSE(second.Acquire(OwnPort()));
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(second.Holder().pid, ::getpid());
    EXPECT_EQ(second.Holder().name, OwnName());
    const std::string message = SecondInstanceMessage(OwnPort(), second.Holder());
    EXPECT_NE(message.find("(" + OwnName() + ", process " + std::to_string(::getpid()) + ")"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("base port " + std::to_string(OwnPort())), std::string::npos);

    // Another base port is another set of ports.
    EXPECT_TRUE(elsewhere.Acquire(static_cast<uint16_t>(OwnPort() + 1)));

    // The holder lets the asking connection go, and the lock goes with its holder.
    for (auto& [fd, ready] : loop.watches)
        ready();
    first.Release();
    EXPECT_TRUE(second.Acquire(OwnPort()));
}

TEST(InstanceLock, AnUnknownHolderIsStillNamedAsAnotherProgram) {
    EXPECT_EQ(SecondInstanceMessage(4000, {}),
              "Another program already uses base port 4000 in this network namespace. Close it "
              "first: two copies on the same ports would take each other's replies.");
}

}  // namespace
}  // namespace pm
