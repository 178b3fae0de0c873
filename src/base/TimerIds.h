#pragma once
// Every timer of the program has its own identifier here, so that two timers never share a
// key even when the objects that own them move or share an address.
namespace pm {

enum class TimerId : int {
    Refresh = 1,            // the main window's monitor refresh tick
    GroupReport = 3,        // the periodic IGMP membership report
    MonitorPoll = 5,        // the pause between monitor poll steps
    UpgradeTrigger = 10,    // the upgrade trigger's tries
    UpgradeSearch = 11,     // the search for the switch after an upgrade
    TftpData = 20,          // a data block's retransmission
    TftpWriteRequest = 21,  // the write request's retransmission
    TftpSuccessPause = 22,  // the pause after the last block
    TftpDoneWait = 23,      // the wait for the last acknowledgement
    InterfaceMonitor = 32,  // the re-read of the interface list
    InterfaceChange = 33,   // the re-read after word of a change, when one ran just before
    DiscoveryBusy = 40,     // the busy mark while a discovery collects replies
    NoticeBoard = 41,       // the pause before the next box an event raised
};

}  // namespace pm
