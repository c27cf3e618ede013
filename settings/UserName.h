// The logon name of the user running the program, as GetUserNameW gives it:
// exact, whatever its script. A seam so that tests choose the name, or make
// the call fail; the program runs on UserNameWin32.
#pragma once
#include <cstdint>

namespace settings {

class UserNameApi {
  public:
    virtual ~UserNameApi() = default;
    // GetUserNameW(buffer, size), size in characters: true on success, with
    // *size the characters written including the NUL; false when the name
    // does not fit or cannot be had.
    virtual bool GetUserNameW(char16_t* buffer, std::uint32_t* size) = 0;
};

}  // namespace settings
