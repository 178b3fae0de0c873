#pragma once
// The counters and flags of one TFTP image transfer.
#include <cstdint>

namespace pm {

struct TransferState {
    uint16_t transferDone = 0;  // set when the last block has been acknowledged
    uint16_t currentBlock = 0;  // block last sent, whose acknowledgement is awaited
    uint16_t lastBlock = 0xFFFF;
    // lastBlock alone can't tell "not sent yet" (0xFFFF) from a final block numbered 65535,
    // and a stray acknowledgement of 65535 must not pass for the end of the transfer.
    bool lastBlockSent = false;
    uint32_t fileSize = 0;
    uint32_t dataRetries = 0;  // resends of the current block since the last acknowledgement
    // Kept across resets: the write request's retry count and the byte count have their own
    // moments of reset.
    uint32_t wrqRetries = 0;
    uint32_t bytesSent = 0;  // first copies only

    void Reset() {
        transferDone = 0;
        currentBlock = 0;
        lastBlock = 0xFFFF;
        lastBlockSent = false;
        fileSize = 0;
        dataRetries = 0;
    }
};

}  // namespace pm
