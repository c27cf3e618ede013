// A web server inside a Wine test program that answers the way a broken or
// hostile banner server might: normally, never, slowly, cut short, too much,
// an error page. It listens on a loopback port and serves a table of paths.
//
// Winsock is loaded at run time: the test programs' link lines carry no
// ws2_32, and this header is all that needs it.
#pragma once
#include <windows.h>
#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "win32/Handles.h"

namespace banner_test {

struct Winsock {
    decltype(&::WSAStartup) startup;
    decltype(&::socket) socket;
    decltype(&::bind) bind;
    decltype(&::listen) listen;
    decltype(&::accept) accept;
    decltype(&::recv) recv;
    decltype(&::send) send;
    decltype(&::closesocket) close;
    decltype(&::shutdown) shutdown;
    decltype(&::connect) connect;
    decltype(&::setsockopt) setsockopt;
    decltype(&::getsockname) getsockname;
    decltype(&::select) select;

    static const Winsock& Get() {
        static const Winsock api = Load();
        return api;
    }

  private:
    static Winsock Load() {
        HMODULE dll = LoadLibraryA("ws2_32.dll");
        if (!dll) throw std::runtime_error("no ws2_32.dll");
        Winsock w{};
        auto get = [dll](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
                reinterpret_cast<void*>(GetProcAddress(dll, name)));
            if (!fn) throw std::runtime_error(std::string("no ") + name);
        };
        get(w.startup, "WSAStartup");
        get(w.socket, "socket");
        get(w.bind, "bind");
        get(w.listen, "listen");
        get(w.accept, "accept");
        get(w.recv, "recv");
        get(w.send, "send");
        get(w.close, "closesocket");
        get(w.shutdown, "shutdown");
        get(w.connect, "connect");
        get(w.setsockopt, "setsockopt");
        get(w.getsockname, "getsockname");
        get(w.select, "select");
        WSADATA data;
        if (w.startup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup");
        return w;
    }
};

inline sockaddr_in Loopback(int port) {
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = static_cast<u_short>(((port & 0xFF) << 8) | ((port >> 8) & 0xFF));
    a.sin_addr.s_addr = 0x0100007F;  // 127.0.0.1 in network order
    return a;
}

// True when something accepts connections on 127.0.0.1:port.
inline bool PortAnswers(int port) {
    const Winsock& ws = Winsock::Get();
    SOCKET s = ws.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = Loopback(port);
    const bool open = ws.connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ws.close(s);
    return open;
}

// The port of the program's built-in server address (DOVRANE_SERVER).
inline int ProgramPort() {
    const std::string server = DOVRANE_SERVER;
    const size_t colon = server.rfind(':');
    return std::atoi(server.c_str() + colon + 1);
}

// What the server does for one path.
struct Response {
    std::string bytes;                      // everything sent: status line, headers, body
    bool hang = false;                      // read the request, then answer nothing until stopped
    int delayMs = 0;                        // wait before answering
    int byteDelayMs = 0;                    // pause between bytes: a server that trickles
    size_t closeAfter = std::string::npos;  // drop the connection after so many bytes
};

inline std::string HttpReply(int status, const std::string& body,
                             const std::string& type = "text/plain", bool withLength = true) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + (status < 300 ? " OK" : " Error") +
                       "\r\nContent-Type: " + type + "\r\nConnection: close\r\n";
    if (withLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return head + "\r\n" + body;
}

inline Response Ok(const std::string& body, const std::string& type = "text/plain") {
    return Response{HttpReply(200, body, type)};
}

class TestServer {
  public:
    // Listens on 127.0.0.1:port; port 0 takes a free one. A fixed port is
    // taken even while connections of an earlier server linger on it.
    explicit TestServer(int port = 0) : ws_(Winsock::Get()) {
        listener_ = ws_.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (port != 0) {
            BOOL reuse = TRUE;
            ws_.setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR,
                           reinterpret_cast<const char*>(&reuse), sizeof reuse);
        }
        sockaddr_in a = Loopback(port);
        if (ws_.bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ws_.listen(listener_, 16) != 0) {
            ws_.close(listener_);
            throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
        }
        int len = sizeof a;
        ws_.getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ((a.sin_port & 0xFF) << 8) | ((a.sin_port >> 8) & 0xFF);
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;
    ~TestServer() {
        stopping_ = true;
        ws_.close(listener_);
        acceptor_.join();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (SOCKET s : clients_) ws_.shutdown(s, SD_BOTH);
        }
        for (auto& t : workers_) t.join();
    }

    int port() const { return port_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    void On(const std::string& path, Response r) {
        std::lock_guard<std::mutex> lock(mutex_);
        table_[path] = std::move(r);
    }
    // Paths requested so far, in order.
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    // Paths whose connection the client closed before it had the whole
    // answer: a transfer it gave up.
    std::vector<std::string> Dropped() {
        std::lock_guard<std::mutex> lock(mutex_);
        return dropped_;
    }
    // Called on the connection's thread when a request for a path arrives,
    // before it is answered.
    void OnRequest(std::function<void(const std::string&)> hook) {
        std::lock_guard<std::mutex> lock(mutex_);
        hook_ = std::move(hook);
    }

  private:
    void AcceptLoop() {
        for (;;) {
            SOCKET s = ws_.accept(listener_, nullptr, nullptr);
            if (s == INVALID_SOCKET) return;
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) {
                ws_.close(s);
                return;
            }
            clients_.push_back(s);
            workers_.emplace_back([this, s] { Serve(s); });
        }
    }

    // Lets `ms` pass on a connection; false when the server stops or the
    // client hangs up meanwhile (noted in dropped_).
    bool Idle(SOCKET s, const std::string& path, int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            if (stopping_) return false;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  until - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0) return true;
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(s, &readable);
            timeval slice = {0, static_cast<long>(left < 50 ? left : 50) * 1000};
            // One socket: a count above zero is this one readable. A client
            // sends nothing after its request, so that is its hang-up.
            if (ws_.select(0, &readable, nullptr, nullptr, &slice) > 0) {
                char c;
                if (ws_.recv(s, &c, 1, 0) <= 0) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    dropped_.push_back(path);
                    return false;
                }
            }
        }
    }

    void Serve(SOCKET s) {
        std::string request;
        char buf[1024];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
            int got = ws_.recv(s, buf, sizeof buf, 0);
            if (got <= 0) break;
            request.append(buf, static_cast<size_t>(got));
        }
        std::string path;
        if (request.compare(0, 4, "GET ") == 0) path = request.substr(4, request.find(' ', 4) - 4);
        Response r{HttpReply(404, "<html><body>Not Found</body></html>", "text/html")};
        std::function<void(const std::string&)> hook;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(path);
            auto it = table_.find(path);
            if (it != table_.end()) r = it->second;
            hook = hook_;
        }
        if (hook) hook(path);
        if (r.hang) {
            Idle(s, path, INT_MAX);
        } else if (Idle(s, path, r.delayMs)) {
            const size_t n = r.bytes.size() < r.closeAfter ? r.bytes.size() : r.closeAfter;
            if (r.byteDelayMs > 0) {
                for (size_t i = 0; i < n && Idle(s, path, r.byteDelayMs); ++i)
                    if (ws_.send(s, &r.bytes[i], 1, 0) != 1) break;
            } else {
                size_t sent = 0;
                while (sent < n) {
                    int put = ws_.send(s, r.bytes.data() + sent, static_cast<int>(n - sent), 0);
                    if (put <= 0) break;
                    sent += static_cast<size_t>(put);
                }
            }
        }
        ws_.shutdown(s, SD_SEND);
        // Let the client read what was sent before the socket goes.
        while (ws_.recv(s, buf, sizeof buf, 0) > 0) {
        }
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = clients_.begin(); it != clients_.end(); ++it) {
            if (*it == s) {
                clients_.erase(it);
                break;
            }
        }
        ws_.close(s);
    }

    const Winsock& ws_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> workers_;
    std::vector<SOCKET> clients_;
    std::map<std::string, Response> table_;
    std::vector<std::string> requests_;
    std::vector<std::string> dropped_;
    std::function<void(const std::string&)> hook_;
};

// Runs scripts/serve (a bash script on the Unix side; Wine starts Unix
// programs but cannot wait for them, so callers poll for the effect).
inline void RunServeScript(const char* verb) {
    std::string cmd = std::string("/bin/sh -c \"exec '") + DOVRANE_SOURCE_DIR + "/scripts/serve' " +
                      verb + " --server " DOVRANE_SERVER " >/dev/null 2>&1\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA("Z:\\bin\\sh", &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
        // Not waited for: both handles go at once.
        win32::Handle thread(pi.hThread);
        win32::Handle process(pi.hProcess);
    }
}

inline bool WaitUntil(const std::function<bool()>& done, int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        Sleep(50);
    }
    return true;
}

// Frees the program's server port for a test server: when the project's
// nginx (scripts/serve) holds it, stops it for the while and starts it again
// afterwards.
class ProgramPortLease {
  public:
    ProgramPortLease() : port_(ProgramPort()) {
        if (!PortAnswers(port_)) return;
        paused_ = true;
        RunServeScript("stop");
        if (!WaitUntil([this] { return !PortAnswers(port_); }, 15000))
            throw std::runtime_error("port " + std::to_string(port_) + " stays busy");
    }
    ~ProgramPortLease() {
        if (!paused_) return;
        RunServeScript("start");
        WaitUntil([this] { return PortAnswers(port_); }, 15000);
    }
    ProgramPortLease(const ProgramPortLease&) = delete;
    ProgramPortLease& operator=(const ProgramPortLease&) = delete;
    int port() const { return port_; }

  private:
    int port_;
    bool paused_ = false;
};

}  // namespace banner_test
