#pragma once
// Word from the platform that the local interfaces or their addresses changed, so that the
// interface monitor need not wait for its next periodic pass. The real one is a netlink
// subscription; tests signal by hand.
namespace pm {

class InterfaceEvents {
  public:
    virtual ~InterfaceEvents() = default;
    // Subscribes; returns the descriptor that turns readable when word waits, or -1 when
    // there is none to be had (the periodic pass alone follows the interfaces then).
    virtual int Open() = 0;
    // Reads all the word that waits; true when some of it told of a change.
    virtual bool Drain() = 0;
    virtual void Close() = 0;
};

}  // namespace pm
