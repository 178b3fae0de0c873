#include "net/InterfaceMonitor.h"

namespace pm {

void InterfaceMonitor::Start() {
    // Subscribed before the first pass, so that no change after it goes unheard.
    if (events_ && eventsFd_ < 0) {
        eventsFd_ = events_->Open();
        if (eventsFd_ >= 0)
            loop_.WatchReadable(eventsFd_, [this] {
                if (events_->Drain())
                    OnInterfacesChanged();
            });
    }
    Pass();
    loop_.StartTimer(Timer(), kPeriodMs, [this] { Pass(); });
}

void InterfaceMonitor::Stop() {
    loop_.StopTimer(Timer());
    loop_.StopTimer(ChangeTimer());
    if (eventsFd_ >= 0) {
        loop_.UnwatchReadable(eventsFd_);
        events_->Close();
        eventsFd_ = -1;
    }
}

void InterfaceMonitor::OnInterfacesChanged() {
    if (loop_.TimerRunning(ChangeTimer()))
        return;  // the pass that is due will see this change as well
    const uint64_t now = loop_.NowMs();
    if (passed_ && now < lastPassMs_ + kChangeSpacingMs) {
        loop_.StartOnce(ChangeTimer(), static_cast<uint32_t>(lastPassMs_ + kChangeSpacingMs - now),
                        [this] { Pass(); });
        return;
    }
    Pass();
}

void InterfaceMonitor::Pass() {
    // Whatever changed before now is seen by this pass.
    loop_.StopTimer(ChangeTimer());
    passed_ = true;
    lastPassMs_ = loop_.NowMs();
    AdapterSnapshot snapshot = source_.ReadAdapters();
    for (auto& entry : snapshot) {
        if (entry.addresses.empty()) {
            entry.seen = true;  // never added; removed below if the table still holds it
            continue;
        }
        if (auto position = table_.FindInterface(entry.name)) {
            entry.seen = true;
            table_.SetInterfaceSeen(*position, true);
            Synchronise(*position, entry);
        }
    }
    table_.RemoveStaleInterfaces();
    for (auto& entry : snapshot) {
        if (entry.seen)
            continue;
        entry.seen = true;
        table_.AddInterface(entry.name, entry.index, entry.mac);
        const size_t position = table_.InterfaceCount() - 1;
        for (const auto& a : entry.addresses)
            table_.OpenBinding(position, a.address, a.mask);
    }
    for (size_t i = 0; i < table_.InterfaceCount(); ++i)
        table_.SetInterfaceSeen(i, false);
}

void InterfaceMonitor::Synchronise(size_t tablePosition, AdapterEntry& entry) {
    for (auto& a : entry.addresses) {
        const auto b = table_.FindBinding(tablePosition, a.address);
        if (!b)
            continue;
        // An address that found no free slot earlier gets one as soon as one is free: it is
        // left unmarked, closed as stale and opened again below.
        if (table_.Binding(tablePosition, *b).slot < 0 && table_.FreeSlots() > 0)
            continue;
        table_.SetBindingSeen(tablePosition, *b, true);
        a.seen = true;
        if (table_.BindingMask(tablePosition, *b) != a.mask)
            table_.SetBindingMask(tablePosition, *b, a.mask);
    }
    table_.CloseStaleBindings(tablePosition);
    for (auto& a : entry.addresses) {
        if (a.seen)
            continue;
        a.seen = true;
        table_.OpenBinding(tablePosition, a.address, a.mask);
    }
    // An address that found no free slot earlier gets one as soon as one is free.
    table_.RetryBindingsWithoutSlot(tablePosition);
    for (size_t i = 0; i < table_.BindingCount(tablePosition); ++i)
        table_.SetBindingSeen(tablePosition, i, false);
}

}  // namespace pm
