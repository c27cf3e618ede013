// The user-name seam on the real advapi32 call.
#pragma once
#include "settings/UserName.h"

namespace settings {

class UserNameWin32 final : public UserNameApi {
  public:
    bool GetUserNameW(char16_t* buffer, std::uint32_t* size) override;
};

}  // namespace settings
