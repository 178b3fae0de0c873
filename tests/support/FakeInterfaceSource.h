#pragma once
#include "net/InterfaceSource.h"

namespace pm::test {

// Adapters scripted by the test; ReadAdapters returns whatever `adapters` holds now.
class FakeInterfaceSource : public InterfaceSource {
  public:
    AdapterSnapshot ReadAdapters() override {
        ++reads;
        return adapters;
    }
    AdapterSnapshot adapters;
    int reads = 0;
};

}  // namespace pm::test
