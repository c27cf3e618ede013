#include "backup/ClockWin32.h"

#include <windows.h>

namespace backup {

LocalTime LocalNow() {
    SYSTEMTIME t = {};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace backup
