#pragma once
// Desktop notifications over the session bus (org.freedesktop.Notifications Notify). Sent
// without waiting for an answer: with no session bus or no notification service the message
// simply goes nowhere.
#include "base/NotificationSink.h"

namespace pm {

class DbusNotifier : public NotificationSink {
  public:
    void Notify(const DesktopNotice& notice) override;
};

}  // namespace pm
