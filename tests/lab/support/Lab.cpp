#include "lab/support/Lab.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>
#include <regex>

namespace pm::lab {

namespace {

std::mutex registryMutex;
std::vector<std::string>& Registry() {
    // Never destroyed: the atexit hook may run after static destructors.
    static auto* names = new std::vector<std::string>;
    return *names;
}

void RemoveNamespace(const std::string& name) {
    std::system(("ip netns del " + name + " 2>/dev/null").c_str());
}

void RemoveAll() {
    std::vector<std::string> names;
    {
        std::lock_guard lock(registryMutex);
        names.swap(Registry());
    }
    for (const auto& n : names)
        RemoveNamespace(n);
}

void OnFatalSignal(int sig) {
    RemoveAll();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void InstallCleanup() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::atexit(RemoveAll);
        for (int sig : {SIGINT, SIGTERM, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGHUP})
            std::signal(sig, OnFatalSignal);
    });
}

void Register(const std::string& name) {
    std::lock_guard lock(registryMutex);
    Registry().push_back(name);
}

// Namespaces of labs whose process has died (killed before it could clean up).
void RemoveLeftovers() {
    FILE* p = ::popen("ip netns list 2>/dev/null", "r");
    if (!p)
        return;
    char line[256];
    const std::regex ours("^(pmlab([0-9]+)-[a-z0-9]+)");
    std::vector<std::string> dead;
    while (std::fgets(line, sizeof line, p)) {
        std::cmatch m;
        if (!std::regex_search(line, m, ours))
            continue;
        const std::string pid = m[2].str();
        if (::access(("/proc/" + pid).c_str(), F_OK) != 0)
            dead.push_back(m[1].str());
    }
    ::pclose(p);
    for (const auto& n : dead)
        RemoveNamespace(n);
}

bool SetNetns(const std::string& name) {
    const int fd = ::open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::setns(fd, CLONE_NEWNET) == 0;
    ::close(fd);
    return ok && sim::InNamedNetworkNamespace();
}

}  // namespace

bool CanBuildLabs() {
    return ::geteuid() == 0 && std::system("ip -V >/dev/null 2>&1") == 0;
}

bool Sh(const std::string& command) {
    const int rc = std::system(command.c_str());
    if (rc != 0)
        std::fprintf(stderr, "lab: failed (%d): %s\n", rc, command.c_str());
    return rc == 0;
}

Lab::Lab() {
    InstallCleanup();
    RemoveLeftovers();
    static std::atomic<int> serial{0};
    prefix_ = "pmlab" + std::to_string(::getpid()) + "-";
    tag_ = std::to_string(serial++);
    manager_ = prefix_ + "mgr" + tag_;
    bridge_ = prefix_ + "br" + tag_;
    ok_ = true;
    for (const auto& ns : {manager_, bridge_}) {
        ok_ = ok_ && Sh("ip netns add " + ns);
        if (ok_)
            Register(ns);
        ok_ = ok_ && Sh("ip -n " + ns + " link set lo up");
    }
    const std::string br = "ip -n " + bridge_ + " ";
    const std::string mg = "ip -n " + manager_ + " ";
    for (const char* b : {"bA", "bB"}) {
        // No IGMP snooping: every multicast reaches every port, whoever joined what.
        ok_ = ok_ && Sh(br + "link add name " + b + " type bridge mcast_snooping 0") &&
              Sh(br + "link set " + b + " up");
    }
    ok_ = ok_ && Sh(br + "link add name mA type veth peer name m0 netns " + manager_) &&
          Sh(br + "link add name mB type veth peer name m1 netns " + manager_) &&
          Sh(br + "link set mA master bA up") && Sh(br + "link set mB master bB up") &&
          Sh(mg + "addr add 10.201.1.2/24 dev m0") && Sh(mg + "addr add 10.201.2.2/24 dev m0") &&
          Sh(mg + "addr add 10.202.1.2/24 dev m1") && Sh(mg + "link set m0 up") &&
          Sh(mg + "link set m1 up") &&
          // A switch outside every local subnet is heard only without reverse-path filtering.
          Sh("ip netns exec " + manager_ +
             " sh -c 'for f in /proc/sys/net/ipv4/conf/*/rp_filter; do echo 0 > $f; done'");
}

Lab::~Lab() {
    std::vector<std::string> mine = switches_;
    mine.push_back(manager_);
    mine.push_back(bridge_);
    for (const auto& n : mine)
        RemoveNamespace(n);
    std::lock_guard lock(registryMutex);
    std::erase_if(Registry(), [&](const std::string& n) {
        return std::find(mine.begin(), mine.end(), n) != mine.end();
    });
}

std::string Lab::AddSwitch(int segment, const std::string& cidr) {
    const std::string ns = prefix_ + "s" + tag_ + "x" + std::to_string(switches_.size() + 1);
    const std::string port = std::string("p").append(std::to_string(switches_.size() + 1));
    if (!Sh("ip netns add " + ns)) {
        ok_ = false;
        return ns;
    }
    Register(ns);
    switches_.push_back(ns);
    const std::string br = "ip -n " + bridge_ + " ";
    const std::string sw = "ip -n " + ns + " ";
    ok_ = ok_ && Sh(br + "link add name " + port + " type veth peer name eth0 netns " + ns) &&
          Sh(br + "link set " + port + " master " + (segment == 0 ? "bA" : "bB") + " up") &&
          Sh(sw + "link set lo up") && Sh(sw + "addr add " + cidr + " dev eth0") &&
          Sh(sw + "link set eth0 up");
    return ns;
}

bool Lab::ManagerIp(const std::string& args) const {
    return Sh("ip -n " + manager_ + " " + args);
}

EnterNamespace::EnterNamespace(const std::string& name) {
    original_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    ok_ = original_ >= 0 && SetNetns(name);
}

EnterNamespace::~EnterNamespace() {
    if (original_ < 0)
        return;
    if (::setns(original_, CLONE_NEWNET) != 0)
        std::abort();  // never carry on in a lab namespace by mistake
    ::close(original_);
}

std::thread StartInNamespace(const std::string& name, std::function<void()> fn) {
    return std::thread([name, fn = std::move(fn)] {
        if (SetNetns(name))
            fn();
    });
}

SimThread::SimThread(const std::string& ns, sim::SimOptions options,
                     std::vector<sim::SwitchConfig> switches)
    : sim_(std::make_unique<sim::SwitchSim>(loop_, std::move(options), std::move(switches))) {
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    std::promise<std::string> opened;
    auto result = opened.get_future();
    thread_ = std::thread([this, ns, &opened] {
        if (!SetNetns(ns)) {
            opened.set_value("cannot enter namespace " + ns);
            return;
        }
        std::string error;
        if (!sim_->Open(error)) {
            opened.set_value(error);
            return;
        }
        loop_.WatchReadable(wake_, [this] {
            uint64_t v = 0;
            [[maybe_unused]] auto n = ::read(wake_, &v, sizeof v);
        });
        opened.set_value("");
        loop_.RunUntil([this] { return stop_.load(); }, 3600 * 1000);
        sim_->Close();
    });
    error_ = result.get();
}

SimThread::~SimThread() {
    stop_ = true;
    const uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(wake_, &one, sizeof one);
    if (thread_.joinable())
        thread_.join();
    ::close(wake_);
}

}  // namespace pm::lab
