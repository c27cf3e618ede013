// Starts a program, waits until it shows a top-level window with the given
// class, and prints the milliseconds from the start to that moment.
//   startwatch [--close] [--timeout MS] CLASS[,CLASS...] PROGRAM [ARGS...]
// With several classes (the splash, then the main window) it prints, on one
// line, when each was first seen visible, and waits for the last; one never
// seen prints as "-". --close asks the last window to close afterwards and
// waits for the program to end. Exit status: 0 when the last window came up,
// 1 when it did not in time, 2 on bad arguments or a program that cannot
// start.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    std::vector<std::string> classes;
    std::vector<HWND> found;  // one for each class, null until seen
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
    char cls[128] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    for (std::size_t k = 0; k < s->classes.size(); ++k) {
        if (!s->found[k] && s->classes[k] == cls) s->found[k] = hwnd;
    }
    return TRUE;
}

double Millis(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER freq) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(freq.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    bool close = false;
    DWORD timeout = 60000;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
        if (std::strcmp(argv[i], "--close") == 0) {
            close = true;
        } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
            timeout = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            break;
        }
    }
    if (argc - i < 2) {
        std::fprintf(stderr,
                     "usage: startwatch [--close] [--timeout MS] CLASS[,CLASS...] PROGRAM "
                     "[ARGS...]\n");
        return 2;
    }
    Search s = {0, {}, {}};
    for (const char *from = argv[i], *comma; *from; from = *comma ? comma + 1 : comma) {
        comma = std::strchr(from, ',');
        if (!comma) comma = from + std::strlen(from);
        s.classes.emplace_back(from, comma);
    }
    s.found.assign(s.classes.size(), nullptr);
    std::vector<double> seen(s.classes.size(), -1.0);
    std::string cmd;
    for (int k = i + 1; k < argc; ++k) {
        if (!cmd.empty()) cmd += ' ';
        cmd += '"';
        cmd += argv[k];
        cmd += '"';
    }
    std::string program = argv[i + 1];
    std::string folder = program.substr(0, program.find_last_of("\\/") + 1);

    LARGE_INTEGER freq, start, now;
    QueryPerformanceFrequency(&freq);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        std::fprintf(stderr, "startwatch: cannot start %s\n", cmd.c_str());
        return 2;
    }
    CloseHandle(pi.hThread);
    s.pid = pi.dwProcessId;
    for (;;) {
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
        QueryPerformanceCounter(&now);
        for (std::size_t k = 0; k < seen.size(); ++k) {
            if (s.found[k] && seen[k] < 0) seen[k] = Millis(start, now, freq);
        }
        if (s.found.back() || Millis(start, now, freq) > timeout) break;
        if (WaitForSingleObject(pi.hProcess, 5) == WAIT_OBJECT_0) break;
    }
    int status = 1;
    if (s.found.back()) {
        for (std::size_t k = 0; k < seen.size(); ++k) {
            if (k) std::printf(" ");
            if (seen[k] < 0) {
                std::printf("-");
            } else {
                std::printf("%.1f", seen[k]);
            }
        }
        std::printf("\n");
        std::fflush(stdout);
        status = 0;
        if (close) {
            PostMessageA(s.found.back(), WM_CLOSE, 0, 0);
            if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(pi.hProcess, 1);
        }
    } else {
        std::fprintf(stderr, "startwatch: no visible %s window\n", s.classes.back().c_str());
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hProcess);
    return status;
}
