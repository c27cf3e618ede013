#include "ui/HttpWin32.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <vector>

#include "win32/Handles.h"
#include "win32/Window.h"

namespace ui {

namespace {

// What the caller and the worker share. The worker fills `body` and `ok`
// and then signals `done`; the caller reads them only after that signal.
struct Transfer {
    std::string url;
    FetchLimits limits;
    std::atomic<bool> abandoned{false};
    bool ok = false;
    std::string body;
    // Manual reset, not signalled.
    win32::Handle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

bool QueryNumber(HINTERNET request, DWORD query, DWORD* value) {
    DWORD size = sizeof *value;
    return HttpQueryInfoA(request, query | HTTP_QUERY_FLAG_NUMBER, value, &size, nullptr) != FALSE;
}

void Fetch(Transfer& t) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(t.limits.totalTimeoutMs);

    win32::Internet session(
        InternetOpenA("Dovrane", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return;
    DWORD timeout = t.limits.totalTimeoutMs;
    DWORD retries = 1;
    InternetSetOptionA(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(session.get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(session.get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);

    // Every start fetches anew: nothing from or into the cache, no cookies,
    // no log-on dialog.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH;
    win32::Internet request(InternetOpenUrlA(session.get(), t.url.c_str(), nullptr, 0, flags, 0));
    if (!request) return;

    // An error page is not the banner.
    DWORD status = 0;
    if (!QueryNumber(request.get(), HTTP_QUERY_STATUS_CODE, &status) || status < 200 ||
        status > 299) {
        return;
    }
    DWORD announced = 0;
    const bool hasLength = QueryNumber(request.get(), HTTP_QUERY_CONTENT_LENGTH, &announced);
    if (hasLength && announced > t.limits.maxBytes) return;

    std::vector<char> chunk(16 * 1024);
    for (;;) {
        if (t.abandoned || Clock::now() >= deadline) return;
        // Ask what has arrived and read no more than that, so that a slow
        // server cannot hold one read for long.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request.get(), &available, 0, 0)) return;
        if (available == 0) break;
        const DWORD want = available < chunk.size() ? available : static_cast<DWORD>(chunk.size());
        DWORD got = 0;
        if (!InternetReadFile(request.get(), chunk.data(), want, &got)) return;
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
    try {
        Fetch(t);
    } catch (const std::exception& e) {
        win32::Trace("banner fetch", 0, e.what());
        t.ok = false;
    } catch (...) {
        win32::Trace("banner fetch", 0, "an exception of unknown type");
        t.ok = false;
    }
    SetEvent(t.done.get());
    return 0;
}

}  // namespace

bool HttpWin32::Get(const std::string& url, const FetchLimits& limits, std::string* body) {
    auto transfer = std::make_shared<Transfer>();
    transfer->url = url;
    transfer->limits = limits;
    if (!transfer->done.get()) return false;
    auto forWorker = std::make_unique<std::shared_ptr<Transfer>>(transfer);
    win32::Handle thread(CreateThread(nullptr, 0, FetchThread, forWorker.get(), 0, nullptr));
    if (!thread) return false;
    forWorker.release();  // the worker owns it now
    if (WaitForSingleObject(transfer->done.get(), limits.totalTimeoutMs) != WAIT_OBJECT_0) {
        transfer->abandoned = true;
        return false;
    }
    if (!transfer->ok) return false;
    *body = std::move(transfer->body);
    return true;
}

}  // namespace ui
