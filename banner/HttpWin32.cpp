#include "banner/HttpWin32.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <exception>
#include <memory>
#include <vector>

#include "win32/Handles.h"
#include "win32/Window.h"

namespace ui {

namespace {

// How long a caller that gave a fetch up waits for its thread to end.
constexpr DWORD kEndWaitMs = 1000;

// The longest a server may stay silent, before its answer or within it. On
// Windows closing the handles ends a blocked call at once; Wine's WinINet
// lets the call run on until its socket times out, so this is what bounds a
// given-up transfer's life there: a server that sends a byte every few
// seconds is cut off here, a normal one is never silent for this long.
constexpr DWORD kLongestSilenceMs = 2000;

// What the caller and the worker share. The worker fills `body` and `ok`
// and then ends; the caller reads them only after its thread has ended. Each
// WinINet handle the worker opens is kept in a slot, and whichever side takes
// it out of the slot closes it: the worker when it is done, the caller when
// it gives the transfer up. So each is closed exactly once, and a close from
// the caller's side makes the worker's blocked call return.
struct Transfer {
    std::string url;
    FetchLimits limits;
    std::atomic<bool> abandoned{false};
    std::atomic<HINTERNET> session{nullptr};
    std::atomic<HINTERNET> connection{nullptr};
    std::atomic<HINTERNET> request{nullptr};
    bool ok = false;
    std::string body;

    // Puts a handle the worker opened in its slot; false when the transfer
    // was given up meanwhile (the handle is closed then) or none was opened.
    bool Keep(std::atomic<HINTERNET>& slot, HINTERNET handle) {
        slot = handle;
        if (abandoned) Close(slot);
        return handle && !abandoned;
    }
    static void Close(std::atomic<HINTERNET>& slot) {
        win32::Internet(slot.exchange(nullptr)).reset();
    }
    // Gives the transfer up, the request first: a send or a read may wait
    // on it; the connection and the session then end one still being made.
    void Abandon() {
        abandoned = true;
        Close(request);
        Close(connection);
        Close(session);
    }
};

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

void Fetch(Transfer& t) {
    Target target;
    if (!Crack(t.url, &target)) return;
    const HINTERNET session =
        InternetOpenA("Dovrane", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!t.Keep(t.session, session)) return;
    DWORD timeout = t.limits.totalTimeoutMs;
    DWORD silence = timeout < kLongestSilenceMs ? timeout : kLongestSilenceMs;
    DWORD retries = 1;
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    const HINTERNET connection = InternetConnectA(session, target.host.c_str(), target.port,
                                                  nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!t.Keep(t.connection, connection)) return;

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
    if (!t.Keep(t.request, request)) return;
    // Set on the request itself: Wine takes these from no other handle.
    InternetSetOptionA(request, INTERNET_OPTION_SEND_TIMEOUT, &silence, sizeof silence);
    InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &silence, sizeof silence);
    if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) return;

    // An error page is not the banner.
    DWORD status = 0;
    if (!QueryNumber(request, HTTP_QUERY_STATUS_CODE, &status) || status < 200 || status > 299) {
        return;
    }
    DWORD announced = 0;
    const bool hasLength = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, &announced);
    if (hasLength && announced > t.limits.maxBytes) return;

    std::vector<char> chunk(16 * 1024);
    for (;;) {
        if (t.abandoned) return;
        // Ask what has arrived and read no more than that, so that a slow
        // server cannot hold one read for long.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0)) return;
        if (available == 0) break;
        const DWORD want = available < chunk.size() ? available : static_cast<DWORD>(chunk.size());
        DWORD got = 0;
        if (!InternetReadFile(request, chunk.data(), want, &got)) return;
        if (got == 0) break;
        if (t.body.size() + got > t.limits.maxBytes) return;
        t.body.append(chunk.data(), got);
    }
    // A connection closed early ends the body early too; only the length
    // the server announced tells.
    if (hasLength && t.body.size() != announced) return;
    t.ok = true;
}

// The worker's entry: it owns one reference to the transfer, so that a
// caller that stops waiting cannot free what the worker still writes to.
// CreateThread rather than std::thread: the C++ thread pulls in the POSIX
// thread layer's thread objects and error categories, some 11 KB of
// Dovrane.exe for one detached worker.
DWORD WINAPI FetchThread(void* param) {
    std::unique_ptr<std::shared_ptr<Transfer>> owned(
        static_cast<std::shared_ptr<Transfer>*>(param));
    Transfer& t = **owned;
    // An exception leaving a thread ends the program: running out of memory
    // on the way is a failed fetch like any other.
    const bool ran = win32::Guard("banner fetch", [&] {
        Fetch(t);
        return true;
    });
    if (!ran) t.ok = false;
    // Done: the handles go now, unless the caller closed them already.
    Transfer::Close(t.request);
    Transfer::Close(t.connection);
    Transfer::Close(t.session);
    return 0;
}

}  // namespace

bool HttpWin32::Get(const std::string& url, const FetchLimits& limits, std::string* body) {
    if (cancel_ && WaitForSingleObject(cancel_, 0) == WAIT_OBJECT_0) return false;
    auto transfer = std::make_shared<Transfer>();
    transfer->url = url;
    transfer->limits = limits;
    auto forWorker = std::make_unique<std::shared_ptr<Transfer>>(transfer);
    win32::Handle thread(CreateThread(nullptr, 0, FetchThread, forWorker.get(), 0, nullptr));
    if (!thread) return false;
    forWorker.release();  // the worker owns it now
    const HANDLE waits[] = {thread.get(), cancel_};
    if (WaitForMultipleObjects(cancel_ ? 2 : 1, waits, FALSE, limits.totalTimeoutMs) !=
        WAIT_OBJECT_0) {
        transfer->Abandon();
        // With its handles closed the worker ends within moments; the one
        // that does not (a name lookup) owns its share of the transfer.
        WaitForSingleObject(thread.get(), kEndWaitMs);
        return false;
    }
    if (!transfer->ok) return false;
    *body = std::move(transfer->body);
    return true;
}

}  // namespace ui
