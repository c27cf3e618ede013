// The banner's HTTP GET on WinINet.
#pragma once
#include "ui/Http.h"

namespace ui {

// Each fetch runs on a worker thread of its own while the caller waits at
// most the fetch's total time-out. WinINet's own time-outs bound each
// connect, send and receive, but not a server that trickles a byte now and
// then, nor a name lookup; the wait does. A worker that overruns is left to
// end by itself at its next time-out (it owns its handles and its buffer),
// and the caller goes on without a banner.
class HttpWin32 final : public Http {
  public:
    bool Get(const std::string& url, const FetchLimits& limits, std::string* body) override;
};

}  // namespace ui
