// The banner's HTTP GET on WinINet.
#pragma once
#include <windows.h>

#include "banner/Http.h"

namespace ui {

// Each fetch runs on a thread of its own while the caller waits at most the
// fetch's total time-out. WinINet's own time-outs bound each connect, send
// and receive, but not a server that trickles a byte now and then; the wait
// does. A fetch that is given up, at its time-out or when `cancel` is set, is
// cancelled: its WinINet handles are closed, which makes the call blocked on
// them return, and the caller waits a moment for the thread to end. A thread
// that does not end then (a name lookup; under Wine, any call already waiting
// on the network, which the longest silence allowed ends) is left to end by
// itself, owning everything it touches.
class HttpWin32 final : public Http {
  public:
    // `cancel`, when given, is an event that gives up the fetch under way and
    // every later one once it is set.
    explicit HttpWin32(HANDLE cancel = nullptr) : cancel_(cancel) {}
    bool Get(const std::string& url, const FetchLimits& limits, std::string* body) override;

  private:
    HANDLE cancel_;
};

}  // namespace ui
