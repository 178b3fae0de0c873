#pragma once
// How an upgrade ended, or the failure it last reported, as a value beside its messages.
namespace pm {

enum class UpgradeOutcome {
    None,               // nothing has ended or failed since Start
    DeviceGone,         // Start: neither list holds the switch any more; nothing was sent
    PasswordInvalid,    // Start: the password is not 1-20 characters long
    ImageNotFound,      // Start: the image file cannot be opened
    ImageTooLarge,      // Start or the transfer's start: the image has too many blocks
    ImageUnreadable,    // the transfer's start: the image could not be read
    TriggerSendFailed,  // the trigger could not be sent
    TriggerRefused,     // the switch refused the password
    TriggerFailed,      // the switch did not acknowledge the trigger
    TftpSendFailed,     // a write request or data block could not be sent (the timers retry)
    DeviceNotFound,     // the write request went unacknowledged
    TransferFailed,     // a data block went unacknowledged
    DeviceError,        // the switch sent a TFTP error
    Succeeded,          // the switch answered the search after its restart
    NotConfirmed,       // the search ended without an answer from the switch
};

}  // namespace pm
