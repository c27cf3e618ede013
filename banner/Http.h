// The HTTP GET the banner makes, as the banner's logic sees it. The Win32
// side (HttpWin32) uses WinINet; tests answer from a table.
#pragma once
#include <cstddef>
#include <string>

namespace banner {

// Bounds of one fetch. A server that is slow, silent or too generous must not
// keep the program from starting, so every fetch has both.
struct FetchLimits {
    std::size_t maxBytes;     // a longer body is a failed fetch
    unsigned totalTimeoutMs;  // from the call to the last byte, connecting included
};

class Http {
  public:
    virtual ~Http() = default;
    // A blocking GET of `url`. True with the whole body when the server
    // answered with a success status and sent all it announced within the
    // limits; false for anything else (no answer, refused, time-out, error
    // status, a body cut short or over the size limit). On false, `body`
    // holds nothing of use.
    virtual bool Get(const std::string& url, const FetchLimits& limits, std::string* body) = 0;
};

}  // namespace banner
