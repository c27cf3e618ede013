// The logon name of the user running the program, as GetUserNameA gives it.
// A seam so that tests choose the name, or make the call fail.
#pragma once
#include <cstdint>

namespace reg {

class UserNameApi {
  public:
    virtual ~UserNameApi() = default;
    // GetUserNameA(buffer, size): true on success, with *size the characters
    // written including the NUL; false when the name does not fit or cannot
    // be had.
    virtual bool GetUserNameA(char* buffer, std::uint32_t* size) = 0;
};

#if defined(_WIN32)
// The real call (advapi32).
class UserNameWin32 final : public UserNameApi {
  public:
    bool GetUserNameA(char* buffer, std::uint32_t* size) override;
};
#endif

}  // namespace reg
