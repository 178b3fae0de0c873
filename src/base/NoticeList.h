#pragma once
// Messages gathered while a handler changes state and shown only once it is done, so that
// whatever runs while a box is open (another datagram, a timer) finds the state complete.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Ui.h"

namespace pm {

class NoticeList {
  public:
    void Add(std::string_view text, std::string_view caption, Icon icon) {
        items_.push_back({std::string(text), std::string(caption), icon});
    }
    bool Empty() const { return items_.empty(); }
    // Shows the gathered messages in order, owned by the main window, and forgets them.
    void Flush(Ui& ui, Cause cause = Cause::UserCommand) {
        auto items = std::move(items_);
        items_.clear();
        for (const auto& item : items) {
            if (cause == Cause::Event)
                ui.EventNotice(item.text, item.caption, item.icon, Owner::MainWindow);
            else
                ui.Notice(item.text, item.caption, item.icon, Owner::MainWindow);
        }
    }

  private:
    struct Item {
        std::string text;
        std::string caption;
        Icon icon;
    };
    std::vector<Item> items_;
};

}  // namespace pm
