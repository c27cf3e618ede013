// The banner's HTTP GET on WinINet.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <atomic>

#include "banner/Http.h"

namespace banner {

// The fetches of one banner load, made on the load's own thread, which owns
// the WinINet handles. WinINet's own time-outs bound each connect, send and
// receive, but not a server that trickles a byte now and then; a timer at
// the fetch's total time-out does. A fetch that is given up, at that time or
// by Cancel from another thread, is cancelled: its handles are closed, which
// makes the call blocked on them return: on Windows at once; under Wine when
// the server next stays silent for long or ends what it is sending. Nobody
// waits for that but the load's own thread.
class HttpWin32 final : public Http {
  public:
    HttpWin32() = default;
    HttpWin32(const HttpWin32&) = delete;
    HttpWin32& operator=(const HttpWin32&) = delete;

    bool Get(const std::string& url, const FetchLimits& limits, std::string* body) override;
    // From any thread: gives up the fetch under way and every later one.
    void Cancel();
    bool Cancelled() const { return cancelled_; }

  private:
    bool Fetch(const std::string& url, const FetchLimits& limits, std::string* body);
    // Puts a handle just opened in its slot; false when the fetch was given
    // up meanwhile (the handle is closed then) or none was opened.
    bool Keep(std::atomic<HINTERNET>& slot, HINTERNET handle);
    bool GivenUp() const { return cancelled_ || timedOut_; }
    // Closes the handles still open, the request first: a send or a read may
    // wait on it; the connection and the session then end one being made.
    void CloseAll();
    static void CALLBACK TimeUp(void* self, BOOLEAN);

    std::atomic<bool> cancelled_{false};
    std::atomic<bool> timedOut_{false};  // the fetch under way
    // Whichever side takes a handle out of its slot closes it: the load's
    // thread when the fetch is done, the canceller when it gives it up. So
    // each is closed exactly once.
    std::atomic<HINTERNET> session_{nullptr};
    std::atomic<HINTERNET> connection_{nullptr};
    std::atomic<HINTERNET> request_{nullptr};
};

}  // namespace banner
