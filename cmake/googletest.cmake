# GoogleTest from Debian's googletest source package, built with this
# project's compiler so that the same tests build for both targets.
set(DOVRANE_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
endif()
# GoogleTest's own sources are not ours to hold to -Werror.
add_subdirectory(${DOVRANE_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
        target_compile_options(${t} PRIVATE -Wno-error)
    endif()
endforeach()
include(GoogleTest)
