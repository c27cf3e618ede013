# 64-bit Windows: Dovrane.exe for Windows XP Professional x64 Edition (NT 5.2),
# and the build Wine's 64-bit loader runs where 32-bit programs cannot start.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_SYSTEM_VERSION 5.2)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
