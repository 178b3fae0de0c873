#include "app/RealNetwork.h"

namespace pm {

RealNetwork::RealNetwork(Ui& ui, EventLoop& loop)
    : ui_(ui), lock_(loop), table_(ui, loop, settings_, ops_), monitor_(loop, source_, table_) {
    monitor_.Follow(changes_);
}

RealNetwork::~RealNetwork() {
    Stop();
}

bool RealNetwork::Start(const Settings& loaded, std::function<void(int eventId)> onEvent) {
    if (!lock_.Acquire(loaded.base_port)) {
        ui_.Notice(SecondInstanceMessage(loaded.base_port, lock_.Holder()), "Error", Icon::Error,
                   Owner::NoWindow);
        return false;
    }
    settings_ = loaded;
    table_.SetNotifyHandler(std::move(onEvent));
    monitor_.Start();
    return true;
}

void RealNetwork::Stop() {
    monitor_.Stop();
    table_.SetNotifyHandler(nullptr);
    table_.CloseAll();
    lock_.Release();
}

}  // namespace pm
