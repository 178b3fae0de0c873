#include "app/RealNetwork.h"

namespace pm {

RealNetwork::RealNetwork(Ui& ui, EventLoop& loop)
    : table_(ui, loop, settings_, ops_), monitor_(loop, source_, table_) {
    monitor_.Follow(changes_);
}

RealNetwork::~RealNetwork() {
    Stop();
}

void RealNetwork::Start(const Settings& loaded, std::function<void(int eventId)> onEvent) {
    settings_ = loaded;
    table_.SetNotifyHandler(std::move(onEvent));
    monitor_.Start();
}

void RealNetwork::Stop() {
    monitor_.Stop();
    table_.SetNotifyHandler(nullptr);
    table_.CloseAll();
}

}  // namespace pm
