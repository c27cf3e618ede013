#include "shell/Shell.h"

#include <cstring>

#include "common/version.h"

namespace shell {

std::intptr_t OpenLink(Shell& shell, Prompter& prompter, const std::string& url) {
    const std::intptr_t result = shell.ShellExecuteA("Open", url);
    if (result == 0) prompter.MsgBox(kNoBrowserText, kMbOk, DOVRANE_TITLE);
    return result;
}

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix, std::size_t n) {
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

bool IsWebAddress(const std::string& address) {
    if (address.size() > kMaxWebAddress) return false;
    std::size_t rest = 0;
    if (StartsWithNoCase(address, "http://", 7)) {
        rest = 7;
    } else if (StartsWithNoCase(address, "https://", 8)) {
        rest = 8;
    } else {
        return false;
    }
    // The characters an address may hold unescaped: printable ASCII but the
    // space and " < > \ ^ ` { | }. A quote could end the argument in a
    // browser's command line and smuggle options in; a backslash or a bar
    // reads differently to different parsers.
    for (char c : address) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || std::strchr("\"<>\\^`{|}", c) != nullptr) return false;
    }
    // The authority runs to the path, query or fragment. A user name or
    // password in it ("http://maker.example@elsewhere/") names a host the
    // reader does not see at a glance, and is nothing the banner needs.
    const std::string authority = address.substr(rest, address.find_first_of("/?#", rest) - rest);
    if (authority.find('@') != std::string::npos) return false;
    // A host must come before any port: "http://", "http:///x" and
    // "http://:80/" name none.
    std::size_t hostEnd = authority.find(':');
    if (!authority.empty() && authority[0] == '[') {  // [IPv6]:port
        const std::size_t close = authority.find(']');
        if (close == std::string::npos) return false;
        hostEnd = close + 1 < authority.size() ? close + 1 : std::string::npos;
        if (hostEnd != std::string::npos && authority[hostEnd] != ':') return false;
    }
    const std::string host = authority.substr(0, hostEnd);
    if (host.empty() || host == "[]") return false;
    if (hostEnd == std::string::npos) return true;
    for (std::size_t i = hostEnd + 1; i < authority.size(); ++i)
        if (authority[i] < '0' || authority[i] > '9') return false;
    return true;
}

}  // namespace shell
