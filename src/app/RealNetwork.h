#pragma once
// The program's real network: the socket table on POSIX sockets and the interface monitor
// that keeps it in line with the workstation's adapters, told of changes by netlink.
#include <functional>

#include "app/InstanceLock.h"
#include "base/EventLoop.h"
#include "base/Settings.h"
#include "base/Ui.h"
#include "net/InterfaceMonitor.h"
#include "net/LinuxInterfaceSource.h"
#include "net/NetlinkInterfaceEvents.h"
#include "net/SocketOps.h"
#include "net/SocketTable.h"

namespace pm {

class RealNetwork {
  public:
    RealNetwork(Ui& ui, EventLoop& loop);
    ~RealNetwork();
    RealNetwork(const RealNetwork&) = delete;
    RealNetwork& operator=(const RealNetwork&) = delete;

    Transport& GetTransport() { return table_; }
    InterfaceSource& Interfaces() { return source_; }

    // Takes the settings as loaded (the ports and the group are fixed for the run), takes the
    // instance lock of the base port, routes the device sockets' read events to onEvent and
    // starts following the adapters; the first pass opens the sockets. False, after a
    // message naming the other process, when another program holds the base port's lock:
    // then no socket is opened.
    bool Start(const Settings& loaded, std::function<void(int eventId)> onEvent);
    // Stops following the adapters, closes every socket and lets the lock go.
    void Stop();

  private:
    Ui& ui_;
    InstanceLock lock_;
    Settings settings_;
    PosixSocketOps ops_;
    SocketTable table_;
    LinuxInterfaceSource source_;
    NetlinkInterfaceEvents changes_;
    InterfaceMonitor monitor_;
};

}  // namespace pm
