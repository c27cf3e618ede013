#include "banner/HttpWin32.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <utility>
#include <vector>

#include "win32/Handles.h"

namespace banner {

namespace {

// The longest a server may stay silent, before its answer or within it. On
// Windows closing the handles ends a blocked call at once; Wine's WinINet
// lets the call run on until its socket times out, so this is what bounds a
// given-up transfer's life there: a server that sends a byte every few
// seconds is cut off here, a normal one is never silent for this long.
constexpr DWORD kLongestSilenceMs = 2000;

void Close(std::atomic<HINTERNET>& slot) {
    win32::Internet(slot.exchange(nullptr)).reset();
}

bool QueryNumber(HINTERNET request, DWORD query, DWORD* value) {
    DWORD size = sizeof *value;
    return HttpQueryInfoA(request, query | HTTP_QUERY_FLAG_NUMBER, value, &size, nullptr) != FALSE;
}

// A web address split for WinINet: host, port, and the path with its query.
struct Target {
    std::string host;
    INTERNET_PORT port = 0;
    std::string object;
    bool secure = false;
};

bool Crack(const std::string& url, Target* target) {
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    // Lengths without buffers: the parts come back as pointers into `url`.
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts) || !parts.lpszHostName ||
        parts.dwHostNameLength == 0) {
        return false;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return false;
    target->host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target->port = parts.nPort;
    target->secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (parts.lpszUrlPath) target->object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) target->object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    // A fragment is the browser's, never sent.
    target->object = target->object.substr(0, target->object.find('#'));
    if (target->object.empty()) target->object = "/";
    return true;
}

}  // namespace

bool HttpWin32::Fetch(const std::string& url, const FetchLimits& limits, std::string* body) {
    Target target;
    if (!Crack(url, &target)) return false;
    const HINTERNET session =
        InternetOpenA("Dovrane", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!Keep(session_, session)) return false;
    DWORD timeout = limits.totalTimeoutMs;
    DWORD silence = timeout < kLongestSilenceMs ? timeout : kLongestSilenceMs;
    DWORD retries = 1;
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    const HINTERNET connection = InternetConnectA(session, target.host.c_str(), target.port,
                                                  nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!Keep(connection_, connection)) return false;

    // Every start fetches anew: nothing from or into the cache, no cookies,
    // no log-on dialog.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH |
                        (target.secure ? INTERNET_FLAG_SECURE : 0);
    // The request exists before anything is sent, so that closing it can cut
    // the send and the wait for the answer short.
    const HINTERNET request = HttpOpenRequestA(connection, "GET", target.object.c_str(), nullptr,
                                               nullptr, nullptr, flags, 0);
    if (!Keep(request_, request)) return false;
    // Set on the request itself: Wine takes these from no other handle.
    InternetSetOptionA(request, INTERNET_OPTION_SEND_TIMEOUT, &silence, sizeof silence);
    InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &silence, sizeof silence);
    if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) return false;

    // An error page is not the banner.
    DWORD status = 0;
    if (!QueryNumber(request, HTTP_QUERY_STATUS_CODE, &status) || status < 200 || status > 299) {
        return false;
    }
    DWORD announced = 0;
    const bool hasLength = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, &announced);
    if (hasLength && announced > limits.maxBytes) return false;

    std::vector<char> chunk(16 * 1024);
    for (;;) {
        if (GivenUp()) return false;
        // Ask what has arrived and read no more than that, so that a slow
        // server cannot hold one read for long.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
        if (available == 0) break;
        const DWORD want = available < chunk.size() ? available : static_cast<DWORD>(chunk.size());
        DWORD got = 0;
        if (!InternetReadFile(request, chunk.data(), want, &got)) return false;
        if (got == 0) break;
        if (body->size() + got > limits.maxBytes) return false;
        body->append(chunk.data(), got);
    }
    // A connection closed early ends the body early too; only the length
    // the server announced tells.
    if (hasLength && body->size() != announced) return false;
    return true;
}

bool HttpWin32::Keep(std::atomic<HINTERNET>& slot, HINTERNET handle) {
    slot = handle;
    if (GivenUp()) Close(slot);
    return handle && !GivenUp();
}

void HttpWin32::CloseAll() {
    Close(request_);
    Close(connection_);
    Close(session_);
}

void HttpWin32::Cancel() {
    cancelled_ = true;
    CloseAll();
}

void CALLBACK HttpWin32::TimeUp(void* self, BOOLEAN) {
    auto& http = *static_cast<HttpWin32*>(self);
    http.timedOut_ = true;
    http.CloseAll();
}

namespace {

// The time limit of one fetch, armed for its life: the timer closes the
// fetch's handles when it fires. Disarming waits for a firing under way, so
// that nothing of one fetch reaches the next.
class Deadline {
  public:
    Deadline(WAITORTIMERCALLBACK fire, void* context, DWORD ms) {
        if (!CreateTimerQueueTimer(&timer_, nullptr, fire, context, ms, 0, WT_EXECUTEONLYONCE))
            timer_ = nullptr;
    }
    ~Deadline() {
        if (timer_) DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
    explicit operator bool() const { return timer_ != nullptr; }

  private:
    HANDLE timer_ = nullptr;
};

}  // namespace

bool HttpWin32::Get(const std::string& url, const FetchLimits& limits, std::string* body) {
    if (cancelled_) return false;
    timedOut_ = false;
    std::string got;
    bool ok = false;
    {
        // Without its time limit no fetch is made.
        const Deadline deadline(TimeUp, this, limits.totalTimeoutMs);
        if (!deadline) return false;
        struct Closer {
            HttpWin32& http;
            ~Closer() { http.CloseAll(); }
        } closer{*this};
        ok = Fetch(url, limits, &got);
    }
    if (!ok) return false;
    *body = std::move(got);
    return true;
}

}  // namespace banner
