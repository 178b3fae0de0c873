#include "net/SocketTable.h"

#include <arpa/inet.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <string>

#include "base/AddressText.h"
#include "base/WireConstants.h"

namespace pm {

namespace {

constexpr uint32_t kLimitedBroadcast = 0xFFFFFFFFu;

void WriteSenderMac(uint8_t* packet, size_t length, const std::array<uint8_t, 6>& mac) {
    // A packet too short to hold the field is sent as it is rather than written past its end.
    if (length < hdr::kSenderMac + mac.size())
        return;
    std::copy(mac.begin(), mac.end(), packet + hdr::kSenderMac);
}

}  // namespace

SocketTable::SocketTable(Ui& ui, EventLoop& loop, const Settings& settings, SocketOps& ops)
    : ui_(ui), loop_(loop), settings_(settings), ops_(ops) {}

SocketTable::~SocketTable() {
    CloseAll();
}

void SocketTable::SetNotifyHandler(std::function<void(int)> handler) {
    notify_ = std::move(handler);
}

void SocketTable::Error(std::string_view text) {
    ui_.Notice(text, "Error", Icon::Error);
}

uint32_t SocketTable::Group() const {
    in_addr a{};
    if (inet_pton(AF_INET, settings_.multicast_group, &a) != 1)
        return 0;
    return ntohl(a.s_addr);
}

// ---- set-up ------------------------------------------------------------------------------

void SocketTable::AddInterface(const std::string& name, uint32_t index,
                               const std::array<uint8_t, 6>& mac) {
    auto in = std::make_unique<InterfaceEntry>();
    in->name = name;
    in->index = index;
    in->mac = mac;
    interfaces_.push_back(std::move(in));
}

int SocketTable::OpenSocket(uint32_t address, uint16_t port, bool broadcast,
                            const char* createError, const char* bindError) {
    // Told once, here, with the system's reason; the sends then pass the socket over.
    const int fd = ops_.OpenUdp();
    if (fd < 0) {
        Error(std::string(createError) + "\n" + std::strerror(-fd));
        return -1;
    }
    ops_.EnableReuse(fd);
    if (broadcast)
        ops_.EnableBroadcast(fd);
    if (const int rc = ops_.Bind(fd, address, port); rc < 0) {
        // An unbound socket would send from a random port; keep it out of use instead.
        ops_.Close(fd);
        Error(std::string(bindError) + "\n" + AddressToText(address) + ":" + std::to_string(port) +
              ": " + std::strerror(-rc));
        return -1;
    }
    return fd;
}

void SocketTable::OpenMulticastSocket(AddressBinding& b, uint32_t ifindex) {
    const uint32_t address = ntohl(b.address);
    b.multicastSocket = OpenSocket(address, settings_.multicast_port, false, "Creat Socket error",
                                   "Bind  socket error");
    if (b.multicastSocket < 0)
        return;
    // A failed join leaves the socket open but unregistered, without a word.
    if (ops_.JoinGroup(b.multicastSocket, Group(), address, ifindex) < 0)
        return;
    const int id = b.multicastEvent, fd = b.multicastSocket;
    loop_.WatchReadable(fd, [this, id, fd] { Dispatch(id, fd); });
}

void SocketTable::OpenBinding(size_t interfacePosition, uint32_t address, uint32_t mask) {
    InterfaceEntry& in = *interfaces_.at(interfacePosition);
    AddressBinding b;
    b.address = address;
    b.mask = mask;
    if (!OpenSockets(in, b)) {
        // Recorded without sockets. The message comes once for this address, even when a
        // later pass closes and reopens it while it waits for a slot.
        if (noSlotTold_.insert(address).second)
            Error("Please define enough Event ID.");
    }
    in.bindings.push_back(b);
    if (in.receivers[0] < 0 && in.receivers[1] < 0 && in.receivers[2] < 0)
        OpenReceivers(in);
}

void SocketTable::RetryBindingsWithoutSlot(size_t interfacePosition) {
    InterfaceEntry& in = *interfaces_.at(interfacePosition);
    for (auto& b : in.bindings)
        if (b.slot < 0 && FreeSlots() > 0)
            OpenSockets(in, b);
    if (in.receivers[0] < 0 && in.receivers[1] < 0 && in.receivers[2] < 0)
        OpenReceivers(in);
}

bool SocketTable::OpenSockets(InterfaceEntry& in, AddressBinding& b) {
    const auto free = std::find(slotInUse_.begin(), slotInUse_.end(), false);
    if (free == slotInUse_.end())
        return false;
    *free = true;
    noSlotTold_.erase(b.address);
    b.slot = static_cast<int>(free - slotInUse_.begin());
    b.broadcastEvent = EventIdOf(b.slot, EventKind::Broadcast);
    b.multicastEvent = EventIdOf(b.slot, EventKind::Multicast);
    b.unicastEvent = EventIdOf(b.slot, EventKind::Unicast);
    b.tftpEvent = EventIdOf(b.slot, EventKind::Tftp);

    const uint32_t host = ntohl(b.address);
    b.unicastSocket = OpenSocket(host, settings_.unicast_port, false, "Create socket error.",
                                 "Bind socket error");
    if (b.unicastSocket >= 0) {
        const int id = b.unicastEvent, fd = b.unicastSocket;
        loop_.WatchReadable(fd, [this, id, fd] { Dispatch(id, fd); });
    }
    b.tftpSocket = OpenSocket(host, kTftpLocalPort, true, "Create tftp socket error.",
                              "Bind tftps socket error");
    b.broadcastSocket = OpenSocket(host, settings_.broadcast_port, true, "Create socket error.",
                                   "Bind socket error");
    if (b.broadcastSocket >= 0) {
        const int id = b.broadcastEvent, fd = b.broadcastSocket;
        loop_.WatchReadable(fd, [this, id, fd] { Dispatch(id, fd); });
    }
    OpenMulticastSocket(b, in.index);
    return true;
}

void SocketTable::OpenReceivers(InterfaceEntry& in) {
    const uint16_t ports[3] = {settings_.broadcast_port, settings_.unicast_port,
                               settings_.multicast_port};
    InterfaceEntry* entry = &in;
    for (size_t i = 0; i < in.receivers.size(); ++i) {
        const int fd = ops_.OpenUdp();
        if (fd < 0)
            continue;
        ops_.EnableReuse(fd);
        ops_.EnableBroadcast(fd);
        if (ops_.BindToInterface(fd, in.index) < 0 || ops_.Bind(fd, 0, ports[i]) < 0) {
            ops_.Close(fd);
            continue;
        }
        ops_.JoinGroup(fd, Group(), 0, in.index);
        in.receivers[i] = fd;
        loop_.WatchReadable(fd, [this, entry, fd] {
            const int id = ReceiverEvent(*entry);
            Dispatch(id, fd);
        });
    }
}

void SocketTable::CloseReceivers(InterfaceEntry& in) {
    for (int& fd : in.receivers)
        CloseSocket(fd);
}

int SocketTable::ReceiverEvent(const InterfaceEntry& in) const {
    for (const auto& b : in.bindings)
        if (b.slot >= 0)
            return b.broadcastEvent;
    return 0;
}

void SocketTable::CloseSocket(int& fd) {
    if (fd < 0)
        return;
    loop_.UnwatchReadable(fd);
    ops_.Close(fd);
    fd = -1;
}

void SocketTable::CloseBinding(AddressBinding& b) {
    CloseSocket(b.unicastSocket);
    CloseSocket(b.tftpSocket);
    CloseSocket(b.multicastSocket);
    CloseSocket(b.broadcastSocket);
    if (b.slot >= 0)
        slotInUse_[static_cast<size_t>(b.slot)] = false;
    b.slot = -1;
}

std::optional<size_t> SocketTable::FindInterface(const std::string& name) const {
    for (size_t i = 0; i < interfaces_.size(); ++i)
        if (interfaces_[i]->name == name)
            return i;
    return std::nullopt;
}

std::optional<size_t> SocketTable::FindBinding(size_t interfacePosition, uint32_t address) const {
    const auto& bindings = interfaces_.at(interfacePosition)->bindings;
    for (size_t i = 0; i < bindings.size(); ++i)
        if (bindings[i].address == address)
            return i;
    return std::nullopt;
}

void SocketTable::CloseStaleBindings(size_t interfacePosition) {
    InterfaceEntry& in = *interfaces_.at(interfacePosition);
    for (auto& b : in.bindings)
        if (!b.seen)
            CloseBinding(b);
    std::erase_if(in.bindings, [](const AddressBinding& b) { return !b.seen; });
    if (ReceiverEvent(in) == 0)
        CloseReceivers(in);
}

void SocketTable::RemoveStaleInterfaces() {
    for (auto& in : interfaces_) {
        if (in->seen)
            continue;
        for (auto& b : in->bindings)
            CloseBinding(b);
        in->bindings.clear();
        CloseReceivers(*in);
    }
    std::erase_if(interfaces_, [](const auto& in) { return !in->seen; });
}

size_t SocketTable::BindingCount(size_t interfacePosition) const {
    return interfaces_.at(interfacePosition)->bindings.size();
}

const AddressBinding& SocketTable::Binding(size_t interfacePosition, size_t position) const {
    return interfaces_.at(interfacePosition)->bindings.at(position);
}

void SocketTable::SetInterfaceSeen(size_t interfacePosition, bool seen) {
    interfaces_.at(interfacePosition)->seen = seen;
}

void SocketTable::SetBindingSeen(size_t interfacePosition, size_t position, bool seen) {
    interfaces_.at(interfacePosition)->bindings.at(position).seen = seen;
}

uint32_t SocketTable::BindingMask(size_t interfacePosition, size_t position) const {
    return Binding(interfacePosition, position).mask;
}

void SocketTable::SetBindingMask(size_t interfacePosition, size_t position, uint32_t mask) {
    interfaces_.at(interfacePosition)->bindings.at(position).mask = mask;
}

size_t SocketTable::FreeSlots() const {
    return static_cast<size_t>(std::count(slotInUse_.begin(), slotInUse_.end(), false));
}

void SocketTable::CloseAll() {
    for (auto& in : interfaces_) {
        for (auto& b : in->bindings)
            CloseBinding(b);
        CloseReceivers(*in);
    }
    interfaces_.clear();
}

// ---- receiving ---------------------------------------------------------------------------

void SocketTable::Dispatch(int eventId, int fd) {
    if (eventId != 0 && notify_) {
        notify_(eventId);
        return;
    }
    // Nobody listens: read the datagram so that the loop does not wake for it again.
    uint8_t scratch[kMaxDatagram];
    uint32_t from = 0;
    uint16_t port = 0;
    ops_.ReceiveFrom(fd, scratch, sizeof scratch, from, port);
}

int SocketTable::SocketForMessage(int eventId) const {
    const auto kind = KindOfEvent(eventId);
    if (!kind)
        return -1;
    for (const auto& in : interfaces_) {
        for (const auto& b : in->bindings) {
            if (b.slot < 0 || b.slot != SlotOfEvent(eventId))
                continue;
            switch (*kind) {
                case EventKind::Broadcast:
                    return b.broadcastSocket;
                case EventKind::Multicast:
                    return b.multicastSocket;
                case EventKind::Unicast:
                    return b.unicastSocket;
                case EventKind::Tftp:
                    return b.tftpSocket;
            }
        }
    }
    return -1;
}

int SocketTable::ReceiveDatagram(int socket, uint8_t* buffer, size_t capacity,
                                 uint32_t& fromAddress, uint16_t& fromPort) {
    if (socket < 0)
        return -1;
    const int n = ops_.ReceiveFrom(socket, buffer, capacity, fromAddress, fromPort);
    return n < 0 ? -1 : n;
}

int SocketTable::ReceiveFromEvent(int eventId, uint8_t* buffer, size_t capacity,
                                  uint32_t& fromAddress, uint16_t& fromPort) {
    // An identifier whose binding has closed in the meantime finds nothing to read.
    const int own = SocketForMessage(eventId);
    const int n = ReceiveDatagram(own, buffer, capacity, fromAddress, fromPort);
    if (n >= 0 || KindOfEvent(eventId) != EventKind::Broadcast)
        return n;
    for (const auto& in : interfaces_) {
        if (ReceiverEvent(*in) != eventId)
            continue;
        for (int fd : in->receivers) {
            const int m = ReceiveDatagram(fd, buffer, capacity, fromAddress, fromPort);
            if (m >= 0)
                return m;
        }
    }
    return -1;
}

bool SocketTable::AttachTftpWindow(std::function<void(int)> handler) {
    tftp_ = std::move(handler);
    for (auto& in : interfaces_) {
        for (auto& b : in->bindings) {
            if (b.slot < 0)
                continue;
            if (!tftp_) {
                if (b.tftpSocket >= 0)
                    loop_.UnwatchReadable(b.tftpSocket);
                continue;
            }
            // A socket that could not be opened was told then; the others still attach.
            if (b.tftpSocket < 0)
                continue;
            const int id = b.tftpEvent, fd = b.tftpSocket;
            loop_.WatchReadable(fd, [this, id, fd] {
                if (tftp_) {
                    tftp_(id);
                } else {
                    Dispatch(0, fd);
                }
            });
        }
    }
    return true;
}

// ---- sending -----------------------------------------------------------------------------

int SocketTable::Send(int fd, const uint8_t* packet, size_t length, uint32_t address, uint16_t port,
                      uint32_t ifindex, const AddressBinding& from) {
    const int rc = ops_.SendTo(fd, packet, length, address, port, ifindex, ntohl(from.address));
    // A full send buffer drops this copy, as a non-blocking socket does; it counts as sent.
    if (rc >= 0 || rc == -EAGAIN || rc == -EWOULDBLOCK)
        return 0;
    lastError_ = -rc;
    return -1;
}

const AddressBinding* SocketTable::FirstUsable(const InterfaceEntry& in,
                                               int AddressBinding::*socket) {
    for (const auto& b : in.bindings)
        if (b.slot >= 0 && b.*socket >= 0)
            return &b;
    return nullptr;
}

int SocketTable::SendBroadcast(uint8_t* packet, size_t length) {
    for (auto& in : interfaces_) {
        // The first binding whose socket works speaks for the interface. A socket that could
        // not be opened was reported then; passing it over keeps the other copies going.
        const AddressBinding* b = FirstUsable(*in, &AddressBinding::broadcastSocket);
        if (!b)
            continue;
        WriteSenderMac(packet, length, in->mac);
        if (Send(b->broadcastSocket, packet, length, kLimitedBroadcast, settings_.device_port,
                 in->index, *b) < 0)
            return -1;
    }
    return 0;
}

int SocketTable::SendMulticast(uint8_t* packet, size_t length) {
    const uint32_t group = Group();
    for (auto& in : interfaces_) {
        const AddressBinding* b = FirstUsable(*in, &AddressBinding::multicastSocket);
        if (!b)
            continue;
        WriteSenderMac(packet, length, in->mac);
        ops_.SetMulticastInterface(b->multicastSocket, ntohl(b->address), in->index);
        if (Send(b->multicastSocket, packet, length, group, settings_.device_port, in->index, *b) <
            0)
            return -1;
    }
    return 0;
}

int SocketTable::SendUnicast(uint32_t deviceAddress, uint32_t targetMask, uint8_t* packet,
                             size_t length, uint16_t port, bool tftp) {
    int AddressBinding::*socket =
        tftp ? &AddressBinding::tftpSocket : &AddressBinding::unicastSocket;
    // Bindings whose socket could not be opened are left out, as if they were not there.
    auto usable = [socket](const AddressBinding& b) { return b.slot >= 0 && b.*socket >= 0; };
    bool matched = false;
    for (auto& in : interfaces_) {
        for (auto& b : in->bindings) {
            if (!usable(b))
                continue;
            uint32_t mask = ntohl(b.mask);
            // Of two contiguous masks the longer one has more bits set.
            if (tftp && std::popcount(targetMask) > std::popcount(mask))
                mask = targetMask;
            if ((deviceAddress & mask) != (ntohl(b.address) & mask))
                continue;
            matched = true;
            if (!tftp)
                WriteSenderMac(packet, length, in->mac);
            if (Send(b.*socket, packet, length, deviceAddress, port, in->index, b) < 0)
                return -1;
        }
    }
    if (matched)
        return 0;
    for (auto& in : interfaces_) {
        for (auto& b : in->bindings) {
            if (!usable(b))
                continue;
            if (!tftp)
                WriteSenderMac(packet, length, in->mac);
            if (Send(b.*socket, packet, length, deviceAddress, port, in->index, b) < 0)
                return -1;
        }
    }
    return 0;
}

int SocketTable::SendToDevice(uint32_t deviceAddress, uint8_t* packet, size_t length) {
    return SendUnicast(deviceAddress, 0, packet, length, settings_.device_port, false);
}

int SocketTable::SendTftp(uint32_t deviceAddress, uint32_t targetMask, const uint8_t* packet,
                          size_t length, uint16_t port) {
    // The TFTP path never writes into the packet.
    return SendUnicast(deviceAddress, targetMask, const_cast<uint8_t*>(packet), length, port, true);
}

int SocketTable::SendGroupReport(const uint8_t* report, size_t length) {
    const uint32_t group = Group();
    for (auto& in : interfaces_) {
        auto b = std::find_if(in->bindings.begin(), in->bindings.end(),
                              [](const AddressBinding& x) { return x.slot >= 0; });
        if (b == in->bindings.end())
            continue;
        // Without CAP_NET_RAW this fails with EPERM; the report is then simply not sent.
        const int fd = ops_.OpenRawIgmp();
        if (fd < 0)
            continue;
        ops_.EnableReuse(fd);
        if (ops_.Bind(fd, ntohl(b->address), settings_.report_port) >= 0)
            ops_.SendTo(fd, report, length, group, 0, in->index, ntohl(b->address));
        ops_.Close(fd);
    }
    return 0;
}

}  // namespace pm
