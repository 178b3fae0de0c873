#include "switch-sim/SwitchSim.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <net/if.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <thread>

#include "base/Bytes.h"
#include "base/WireConstants.h"

extern char** environ;

namespace pm::sim {

namespace {

constexpr uint16_t kTftpWrq = 2, kTftpData = 3, kTftpAck = 4, kTftpError = 5;
constexpr size_t kTftpBlock = 512;
// How long a switch answers copies of the last block after a transfer: longer than two of the
// sender's resends, so one lost final acknowledgement does not fail a good upgrade.
constexpr uint64_t kFinalAckDallyMs = 10000;

int OpenUdp(uint16_t port, std::string& error) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    int one = 1, zero = 0;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
    ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_ALL, &zero, sizeof zero);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) < 0) {
        error = "bind to port " + std::to_string(port) + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

int PrefixLength(uint32_t mask) {
    return std::popcount(mask);
}

bool RunIp(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    // The child inherits this thread's network namespace.
    if (posix_spawnp(&pid, "ip", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

SwitchSim::SwitchSim(EventLoop& loop, SimOptions options, std::vector<SwitchConfig> switches)
    : loop_(loop), options_(std::move(options)) {
    group_ = ParseIp(options_.group).value_or(0);
    for (auto& c : switches) {
        Switch s;
        s.rng.seed(c.seed);
        s.config = std::move(c);
        switches_.push_back(std::move(s));
    }
}

SwitchSim::~SwitchSim() {
    Close();
}

bool InNamedNetworkNamespace() {
    // The calling thread's namespace must be one that `ip netns add` made: a positive check,
    // so anything unexpected (no /run/netns, an unreadable link) counts as "no".
    struct stat self {};
    if (::stat("/proc/thread-self/ns/net", &self) != 0)
        return false;
    DIR* dir = ::opendir("/run/netns");
    if (!dir)
        return false;
    bool found = false;
    while (dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        struct stat named {};
        const std::string path = std::string("/run/netns/") + e->d_name;
        if (::stat(path.c_str(), &named) == 0 && named.st_ino == self.st_ino &&
            named.st_dev == self.st_dev) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool SwitchSim::Open(std::string& error) {
    if (!options_.allowAnyNamespace && !InNamedNetworkNamespace()) {
        error = "refusing to run outside a named network namespace (ip netns add ...; see --help)";
        return false;
    }
    device_ = OpenUdp(static_cast<uint16_t>(options_.basePort + 2), error);
    if (device_ < 0)
        return false;
    tftp_ = OpenUdp(69, error);
    if (tftp_ < 0) {
        Close();
        return false;
    }
    if (group_ != 0) {
        if (auto* names = ::if_nameindex()) {
            for (auto* n = names; n->if_index != 0; ++n) {
                if (std::strcmp(n->if_name, "lo") == 0)
                    continue;
                ip_mreqn mreq{};
                mreq.imr_multiaddr.s_addr = htonl(group_);
                mreq.imr_ifindex = static_cast<int>(n->if_index);
                ::setsockopt(device_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &mreq, sizeof mreq);
            }
            ::if_freenameindex(names);
        }
    }
    loop_.WatchReadable(device_, [this] { OnDevice(); });
    loop_.WatchReadable(tftp_, [this] { OnTftp(); });
    return true;
}

void SwitchSim::Close() {
    for (int* fd : {&device_, &tftp_}) {
        if (*fd < 0)
            continue;
        loop_.UnwatchReadable(*fd);
        ::close(*fd);
        *fd = -1;
    }
}

// ---- observers ---------------------------------------------------------------------------

std::vector<SeenRequest> SwitchSim::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void SwitchSim::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

SwitchConfig SwitchSim::Config(size_t sw) const {
    std::lock_guard lock(mutex_);
    return switches_.at(sw).config;
}

void SwitchSim::Update(size_t sw, const std::function<void(SwitchConfig&)>& change) {
    std::lock_guard lock(mutex_);
    change(switches_.at(sw).config);
    switches_.at(sw).rng.seed(switches_.at(sw).config.seed);
}

std::vector<uint8_t> SwitchSim::Image(size_t sw) const {
    std::lock_guard lock(mutex_);
    return switches_.at(sw).image;
}

std::string SwitchSim::ImageName(size_t sw) const {
    std::lock_guard lock(mutex_);
    return switches_.at(sw).imageName;
}

int SwitchSim::Upgrades(size_t sw) const {
    std::lock_guard lock(mutex_);
    return switches_.at(sw).upgrades;
}

bool SwitchSim::Rebooting(size_t sw) const {
    std::lock_guard lock(mutex_);
    return loop_.NowMs() < switches_.at(sw).silentUntil;
}

// ---- receiving ---------------------------------------------------------------------------

bool SwitchSim::Receive(int fd, Datagram& d) {
    uint8_t buffer[2048];
    sockaddr_in from{};
    iovec iov{buffer, sizeof buffer};
    alignas(cmsghdr) unsigned char control[256];
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd, &msg, MSG_DONTWAIT);
    if (n < 0)
        return false;
    d.bytes.assign(buffer, buffer + n);
    d.from = ntohl(from.sin_addr.s_addr);
    d.fromPort = ntohs(from.sin_port);
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO)
            continue;
        in_pktinfo info{};
        std::memcpy(&info, CMSG_DATA(c), sizeof info);
        d.to = ntohl(info.ipi_addr.s_addr);
        d.ifindex = static_cast<uint32_t>(info.ipi_ifindex);
    }
    return true;
}

bool SwitchSim::Lost(Switch& s) {
    if (s.config.lossPercent <= 0)
        return false;
    return static_cast<int>(s.rng() % 100) < s.config.lossPercent;
}

bool SwitchSim::LostReply(Switch& s) {
    if (s.config.tftpReplyLoss <= 0)
        return false;
    return static_cast<int>(s.rng() % 100) < s.config.tftpReplyLoss;
}

bool SwitchSim::Silent(const Switch& s) const {
    return s.config.silent || loop_.NowMs() < s.silentUntil;
}

void SwitchSim::OnDevice() {
    Datagram d;
    if (!Receive(device_, d))
        return;
    std::lock_guard lock(mutex_);
    const bool unicast = std::any_of(switches_.begin(), switches_.end(),
                                     [&](const Switch& s) { return s.config.ip == d.to; });
    for (size_t i = 0; i < switches_.size(); ++i) {
        if (unicast && switches_[i].config.ip != d.to)
            continue;
        HandleRequest(i, d);
    }
}

void SwitchSim::OnTftp() {
    Datagram d;
    if (!Receive(tftp_, d))
        return;
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < switches_.size(); ++i)
        if (switches_[i].config.ip == d.to)
            HandleTftp(i, d);
}

// ---- the device protocol -----------------------------------------------------------------

void SwitchSim::HandleRequest(size_t index, const Datagram& d) {
    Switch& s = switches_[index];
    SwitchConfig& c = s.config;
    if (Lost(s))
        return;
    ByteReader r(d.bytes.data(), d.bytes.size());
    uint16_t major = 0, minor = 0, revision = 0, command = 0, result = 0;
    std::array<uint8_t, 6> deviceMac{}, senderMac{};
    uint32_t headerId = 0;
    if (!r.U16be(major) || !r.U16be(minor) || !r.Bytes(deviceMac.data(), 6) || !r.U16be(revision) ||
        !r.U16be(command) || !r.U16be(result) || !r.U32be(headerId) ||
        !r.Bytes(senderMac.data(), 6) || !r.Skip(2 + 12))
        return;
    requests_.push_back(
        {index, command, senderMac, d.from, d.fromPort, d.to, d.ifindex, d.bytes, d.bytes.size()});
    if (Silent(s) || major != 2)
        return;

    const bool targeted = command == 3 || command == 7 || command == 10 || command == 14;
    if (targeted && deviceMac != c.mac)
        return;

    // The request's fields, by type (the last of a type wins).
    std::map<uint16_t, std::vector<uint8_t>> fields;
    ByteReader tlv(d.bytes.data() + kHeaderSize, d.bytes.size() - kHeaderSize);
    while (tlv.Left() >= 4) {
        uint16_t type = 0, length = 0;
        tlv.U16be(type);
        tlv.U16be(length);
        if (length < 4 || !tlv.CanRead(length - 4u))
            break;
        std::vector<uint8_t> value(length - 4u);
        tlv.Bytes(value.data(), value.size());
        fields[type] = std::move(value);
    }
    auto text = [&](uint16_t type) {
        const auto& v = fields[type];
        return std::string(v.begin(), v.end());
    };
    auto address = [&](uint16_t type) -> uint32_t {
        const auto it = fields.find(type);
        if (it == fields.end() || it->second.size() < 4)
            return 0;
        ByteReader a(it->second.data(), it->second.size());
        uint32_t v = 0;
        a.U32be(v);
        return v;
    };
    const bool passwordOk = fields.count(9) && text(9) == c.password;

    switch (command) {
        case 1:
            Reply(s, d, c.loader ? 12 : 2, c.result, true);
            return;
        case 5:
            Reply(s, d, c.loader ? 12 : c.pollReplyCommand, c.result, true);
            return;
        case 10:
            if (c.result != 0)
                return Reply(s, d, 11, c.result, false);
            if (!c.loader && !passwordOk)
                return Reply(s, d, 11, 2, false);
            s.triggered = true;
            return Reply(s, d, 11, 0, false);
        case 3:
        case 7:
        case 14: {
            const uint16_t ack = (c.loader || command == 14) ? 15 : (command == 3 ? 4 : 8);
            if (c.result != 0)
                return Reply(s, d, ack, c.result, true);
            if (!c.loader && command != 14 && !passwordOk)
                return Reply(s, d, ack, 2, false);
            const uint32_t oldIp = c.ip, oldMask = c.mask;
            if (fields.count(2))
                c.systemName = text(2);
            if (fields.count(3))
                c.location = text(3);
            if (fields.count(8) && !fields[8].empty())
                c.password = text(8);
            // Zero addresses (DHCP, refresh) leave the current ones.
            if (address(4) != 0)
                c.ip = address(4);
            if (address(5) != 0)
                c.mask = address(5);
            if (fields.count(6) && (address(6) != 0 || address(4) != 0))
                c.gateway = address(6);
            if (fields.count(10)) {
                const auto& v = fields[10];
                if (v.size() == 1)
                    c.ipMode = v[0];
                if (v.size() >= 2)
                    c.ipMode = static_cast<uint16_t>(v[0] << 8 | v[1]);
            }
            if (fields.count(22) && fields[22].size() >= 4)
                c.groupInterval = static_cast<int32_t>(address(22));
            // The acknowledgement carries the new settings but leaves from the old address;
            // then the switch moves.
            Reply(s, d, ack, 0, true, oldIp);
            if (c.ip != oldIp || c.mask != oldMask)
                Readdress(s, oldIp, oldMask);
            return;
        }
        default:
            Reply(s, d, command, 3, false);
            return;
    }
}

void SwitchSim::Reply(Switch& s, const Datagram& request, uint16_t command, uint8_t result,
                      bool withFields, uint32_t source) {
    const SwitchConfig& c = s.config;
    ByteReader in(request.bytes.data(), request.bytes.size());
    uint32_t headerId = 0;
    uint16_t sequence = 0;
    in.Skip(hdr::kHeaderId);
    in.U32be(headerId);
    in.Skip(hdr::kSequence - hdr::kHeaderId - 4);
    in.U16be(sequence);

    std::vector<uint8_t> out(kMaxDatagram);
    ByteWriter w(out.data(), out.size());
    w.U16be(2).U16be(1).Bytes(c.mac.data(), 6).U16be(c.revision).U16be(command).U16be(result);
    w.U32be(c.wrongHeaderId ? headerId + 1 : headerId).Zeros(6).U16be(sequence).Zeros(12);
    auto textField = [&](uint16_t type, const std::string& t) {
        w.U16be(type).U16be(static_cast<uint16_t>(4 + t.size())).Text(t);
    };
    auto wordField = [&](uint16_t type, uint32_t v) { w.U16be(type).U16be(8).U32be(v); };
    const auto has = [&](int type) { return withFields && c.fields.count(type) > 0; };
    if (has(1))
        textField(1, c.product);
    if (has(2))
        textField(2, c.systemName);
    if (has(3))
        textField(3, c.location);
    if (has(4))
        wordField(4, c.ip);
    if (has(5))
        wordField(5, c.mask);
    if (has(6))
        wordField(6, c.gateway);
    if (has(9))  // some switches report their password; off unless listed in fields
        textField(9, c.password);
    if (has(10)) {
        if (c.revision == 1)
            w.U16be(10).U16be(5).U8(static_cast<uint8_t>(c.ipMode));
        else
            w.U16be(10).U16be(6).U16be(c.ipMode);
    }
    if (has(22))
        wordField(22, static_cast<uint32_t>(c.groupInterval));
    if (has(27))
        wordField(27, c.wait1);
    if (has(28))
        wordField(28, c.wait2);
    if (has(129)) {
        w.U16be(129).U16be(20);
        for (uint32_t word : c.capabilities)
            w.U32be(word);
    }
    if (result == 255)
        textField(30, c.resultText);
    out.resize(w.Position());

    uint32_t to = request.from;
    switch (c.reply) {
        case ReplyMode::Unicast:
            break;
        case ReplyMode::Broadcast:
            to = 0xFFFFFFFF;
            break;
        case ReplyMode::SubnetBroadcast:
            to = c.ip | ~c.mask;
            break;
        case ReplyMode::Multicast:
            to = group_;
            break;
    }
    SendFrom(device_, source ? source : c.ip, out, to, request.fromPort, request.ifindex);
}

void SwitchSim::SendFrom(int fd, uint32_t source, const std::vector<uint8_t>& bytes, uint32_t to,
                         uint16_t port, uint32_t ifindex) {
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_addr.s_addr = htonl(to);
    dest.sin_port = htons(port);
    iovec iov{const_cast<uint8_t*>(bytes.data()), bytes.size()};
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr msg{};
    msg.msg_name = &dest;
    msg.msg_namelen = sizeof dest;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    cmsghdr* cm = CMSG_FIRSTHDR(&msg);
    cm->cmsg_level = IPPROTO_IP;
    cm->cmsg_type = IP_PKTINFO;
    cm->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(ifindex);
    info.ipi_spec_dst.s_addr = htonl(source);
    std::memcpy(CMSG_DATA(cm), &info, sizeof info);
    ::sendmsg(fd, &msg, MSG_NOSIGNAL);
}

void SwitchSim::Readdress(Switch& s, uint32_t oldIp, uint32_t oldMask) {
    const SwitchConfig& c = s.config;
    if (c.iface.empty())
        return;
    RunIp({"ip", "addr", "del", FormatIp(oldIp) + "/" + std::to_string(PrefixLength(oldMask)),
           "dev", c.iface});
    RunIp({"ip", "addr", "add", FormatIp(c.ip) + "/" + std::to_string(PrefixLength(c.mask)), "dev",
           c.iface});
}

// ---- TFTP --------------------------------------------------------------------------------

void SwitchSim::SendTftpPacket(Switch& s, const Datagram& d, const std::vector<uint8_t>& bytes) {
    if (LostReply(s))
        return;
    SendFrom(tftp_, s.config.ip, bytes, d.from, d.fromPort, d.ifindex);
}

void SwitchSim::HandleTftp(size_t index, const Datagram& d) {
    Switch& s = switches_[index];
    if (Lost(s))
        return;
    ByteReader r(d.bytes.data(), d.bytes.size());
    uint16_t opcode = 0;
    if (!r.U16be(opcode))
        return;
    auto ack = [&](uint16_t block) {
        std::vector<uint8_t> out(4);
        ByteWriter(out.data(), out.size()).U16be(kTftpAck).U16be(block);
        SendTftpPacket(s, d, out);
    };
    if (opcode == kTftpData && !s.tftp.active && loop_.NowMs() < s.dallyUntil) {
        uint16_t block = 0;
        ByteReader(r.Peek(r.Left()).data(), r.Left()).U16be(block);
        if (block == s.dallyBlock)
            return ack(block);
    }
    if (Silent(s))
        return;
    auto error = [&](uint16_t code, const std::string& text) {
        std::vector<uint8_t> out(5 + text.size());
        ByteWriter(out.data(), out.size()).U16be(kTftpError).U16be(code).Text(text).U8(0);
        SendTftpPacket(s, d, out);
    };
    if (opcode == kTftpWrq) {
        const auto rest = r.Peek(r.Left());
        const auto end = std::find(rest.begin(), rest.end(), 0);
        if (end == rest.end())
            return error(4, "Malformed request");
        if (s.config.requireTrigger && !s.triggered && !s.config.loader)
            return error(2, "Upgrade not triggered");
        s.tftp = Tftp{};
        s.tftp.active = true;
        s.tftp.name.assign(rest.begin(), end);
        return ack(0);
    }
    if (opcode != kTftpData)
        return;
    uint16_t block = 0;
    if (!r.U16be(block))
        return;
    if (!s.tftp.active)
        return error(5, "No transfer in progress");
    if (block != s.tftp.expected) {
        if (block + 1 == s.tftp.expected)
            ack(block);  // our acknowledgement was lost
        return;
    }
    if (s.config.tftpErrorBlock == block) {
        s.tftp.active = false;
        return error(0, s.config.tftpErrorText);
    }
    const auto payload = r.Peek(r.Left());
    s.tftp.data.insert(s.tftp.data.end(), payload.begin(), payload.end());
    if (s.config.tftpBlockMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(s.config.tftpBlockMs));
    ack(block);
    ++s.tftp.expected;
    if (payload.size() == kTftpBlock)
        return;

    // The last block: keep the image, restart, and stay silent while rebooting.
    s.image = std::move(s.tftp.data);
    s.imageName = s.tftp.name;
    s.tftp = Tftp{};
    s.triggered = false;
    s.dallyBlock = block;
    s.dallyUntil = loop_.NowMs() + kFinalAckDallyMs;
    // A switch upgraded from its loader starts the new firmware.
    s.config.loader = false;
    ++s.upgrades;
    const int64_t reboot = s.config.rebootMs >= 0
                               ? s.config.rebootMs
                               : (int64_t{s.config.wait1} + s.config.wait2) * 1000;
    s.silentUntil = loop_.NowMs() + static_cast<uint64_t>(reboot);
    if (!options_.imageDir.empty()) {
        std::string name = s.imageName;
        std::replace(name.begin(), name.end(), '/', '_');
        std::ofstream f(options_.imageDir + "/" + FormatIp(s.config.ip) + "-" + name,
                        std::ios::binary);
        f.write(reinterpret_cast<const char*>(s.image.data()),
                static_cast<std::streamsize>(s.image.size()));
    }
}

}  // namespace pm::sim
