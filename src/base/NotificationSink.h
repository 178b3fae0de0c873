#pragma once
// The desktop-notification port: a short message that pops up outside the window. The Qt
// layer sends it over D-Bus; tests record it. Texts are plain text: a sink whose medium reads
// markup escapes them.
#include <string>

namespace pm {

struct DesktopNotice {
    std::string summary;
    std::string body;
    bool urgent = false;
};

class NotificationSink {
  public:
    virtual ~NotificationSink() = default;
    // Fire and forget: a desktop without a notification service drops it silently.
    virtual void Notify(const DesktopNotice& notice) = 0;
};

}  // namespace pm
