#include "ui/Shell.h"

#include "app/version.h"

namespace ui {

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
    std::size_t rest = 0;
    if (StartsWithNoCase(address, "http://", 7)) {
        rest = 7;
    } else if (StartsWithNoCase(address, "https://", 8)) {
        rest = 8;
    } else {
        return false;
    }
    // A host must follow: "http:///x" or "http://" alone names none.
    if (address.size() == rest || address[rest] == '/') return false;
    for (char ch : address) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '"') return false;
    }
    return true;
}

}  // namespace ui
