#pragma once
// The transport: one InterfaceEntry per local adapter, one AddressBinding of four UDP
// sockets per local IPv4 address, and the 24 event slots that name those sockets
// (33273 + 4i broadcast, +1 multicast, +2 unicast, +3 TFTP).
//
// Linux does not hand broadcasts or multicasts to a socket bound to one address, so each
// interface also holds receive sockets on 0.0.0.0 (ports P, P + 1, P + 6) tied to that
// interface and joined to the group there. They report under the broadcast identifier of
// the interface's first binding; unicast replies still reach the binding's own socket,
// which the kernel prefers for its exact address. Every reply is thus read exactly once.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/EventLoop.h"
#include "base/Settings.h"
#include "base/Ui.h"
#include "base/WireConstants.h"
#include "net/SocketOps.h"
#include "net/Transport.h"

namespace pm {

struct AddressBinding {
    uint32_t address = 0;  // network byte order
    uint32_t mask = 0;     // network byte order
    int slot = -1;         // -1: no free slot was left for this address; it has no sockets
    int unicastSocket = -1, tftpSocket = -1, multicastSocket = -1, broadcastSocket = -1;
    int unicastEvent = 0, tftpEvent = 0, multicastEvent = 0, broadcastEvent = 0;
    bool seen = false;
};

struct InterfaceEntry {
    std::string name;
    uint32_t index = 0;
    std::array<uint8_t, 6> mac{};
    bool seen = false;
    std::vector<AddressBinding> bindings;
    // Broadcast and group receivers on P, P + 1 and P + 6 (see the top of this file).
    std::array<int, 3> receivers{-1, -1, -1};
};

class SocketTable : public Transport {
  public:
    static constexpr int kSlots = 24;

    SocketTable(Ui& ui, EventLoop& loop, const Settings& settings, SocketOps& ops);
    ~SocketTable() override;
    SocketTable(const SocketTable&) = delete;
    SocketTable& operator=(const SocketTable&) = delete;

    // Read events of the broadcast, multicast and unicast sockets go here (the main window).
    // Without a handler a waiting datagram is read and dropped.
    void SetNotifyHandler(std::function<void(int eventId)> handler);

    // Set-up, used by the interface monitor.
    void AddInterface(const std::string& name, uint32_t index, const std::array<uint8_t, 6>& mac);
    void OpenBinding(size_t interfacePosition, uint32_t address, uint32_t mask);
    std::optional<size_t> FindInterface(const std::string& name) const;
    std::optional<size_t> FindBinding(size_t interfacePosition, uint32_t address) const;
    void CloseStaleBindings(size_t interfacePosition);
    // Gives free slots (and sockets) to the interface's addresses that found none earlier.
    void RetryBindingsWithoutSlot(size_t interfacePosition);
    void RemoveStaleInterfaces();
    size_t InterfaceCount() const { return interfaces_.size(); }
    size_t BindingCount(size_t interfacePosition) const;
    const InterfaceEntry& Interface(size_t position) const { return *interfaces_.at(position); }
    const AddressBinding& Binding(size_t interfacePosition, size_t position) const;
    void SetInterfaceSeen(size_t interfacePosition, bool seen);
    void SetBindingSeen(size_t interfacePosition, size_t position, bool seen);
    uint32_t BindingMask(size_t interfacePosition, size_t position) const;
    void SetBindingMask(size_t interfacePosition, size_t position, uint32_t mask);
    size_t FreeSlots() const;
    // Closes every socket and empties the table.
    void CloseAll();

    // Transport.
    int SendBroadcast(uint8_t* packet, size_t length) override;
    int SendMulticast(uint8_t* packet, size_t length) override;
    int SendToDevice(uint32_t deviceAddress, uint8_t* packet, size_t length) override;
    int SendTftp(uint32_t deviceAddress, uint32_t targetMask, const uint8_t* packet, size_t length,
                 uint16_t port) override;
    int SendGroupReport(const uint8_t* report, size_t length) override;
    int LastError() const override { return lastError_; }
    // An empty handler detaches the TFTP sockets again. Sockets that could not be opened are
    // passed over (they were reported when they failed), so this always succeeds.
    bool AttachTftpWindow(std::function<void(int eventId)> handler) override;
    int ReceiveFromEvent(int eventId, uint8_t* buffer, size_t capacity, uint32_t& fromAddress,
                         uint16_t& fromPort) override;

    // Reads one datagram from socket; -1 when none could be read.
    int ReceiveDatagram(int socket, uint8_t* buffer, size_t capacity, uint32_t& fromAddress,
                        uint16_t& fromPort);
    // The socket registered under eventId (the binding's own one), or -1.
    int SocketForMessage(int eventId) const;

  private:
    int OpenSocket(uint32_t address, uint16_t port, bool broadcast, const char* createError,
                   const char* bindError);
    bool OpenSockets(InterfaceEntry& in, AddressBinding& b);
    void OpenMulticastSocket(AddressBinding& b, uint32_t ifindex);
    void OpenReceivers(InterfaceEntry& in);
    void CloseReceivers(InterfaceEntry& in);
    void CloseBinding(AddressBinding& b);
    void CloseSocket(int& fd);
    void Dispatch(int eventId, int fd);
    // The identifier the interface's receivers report under, or 0 when it has none.
    int ReceiverEvent(const InterfaceEntry& in) const;
    // One copy on fd, from the address of the binding it belongs to.
    int Send(int fd, const uint8_t* packet, size_t length, uint32_t address, uint16_t port,
             uint32_t ifindex, const AddressBinding& from);
    // The interface's first binding with a slot whose socket (the member named) is open.
    static const AddressBinding* FirstUsable(const InterfaceEntry& in, int AddressBinding::*socket);
    int SendUnicast(uint32_t deviceAddress, uint32_t targetMask, uint8_t* packet, size_t length,
                    uint16_t port, bool tftp);
    void Error(std::string_view text);
    uint32_t Group() const;

    Ui& ui_;
    EventLoop& loop_;
    const Settings& settings_;
    SocketOps& ops_;
    std::vector<std::unique_ptr<InterfaceEntry>> interfaces_;
    std::array<bool, kSlots> slotInUse_{};
    std::set<uint32_t> noSlotTold_;  // addresses told "Please define enough Event ID."
    std::function<void(int)> notify_;
    std::function<void(int)> tftp_;
    int lastError_ = 0;
};

}  // namespace pm
