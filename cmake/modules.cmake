# Each top-level folder of the program is a module: a library of its own that
# links only the modules it may use (win32 <- registry <- settings <- backup
# <- profiles <- ui (the File menu runs the profiles' code), win32 <- files <-
# {backup, banner, profiles, ui}, shell <- {banner, profiles, ui}, banner and
# system <- ui, app wires them). A module's headers are found through a folder
# of the build tree that holds nothing but a link to the module's source
# folder, and only targets that link the module see that folder:
# `#include "ui/X.h"` in a module that does not link dovrane_ui fails to
# compile, rather than quietly adding a dependency the other way.
#
# DOVRANE_ROOT is the source tree's top (the fuzz project sets it too).

# Makes `folder`'s headers visible as "folder/X.h" to `target` and to
# whatever links it.
function(dovrane_module_headers target folder)
    set(root ${CMAKE_BINARY_DIR}/modules/${folder})
    if(NOT IS_SYMLINK ${root}/${folder})
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${DOVRANE_ROOT}/${folder} ${root}/${folder} RESULT linked SYMBOLIC)
        if(NOT linked EQUAL 0)
            # Without symbolic links (Windows without the privilege) the
            # program still builds; only the check of includes is lost.
            message(STATUS "No link to ${folder}/ in the build tree (${linked}): "
                           "its headers are found in the source tree")
            set(root ${DOVRANE_ROOT})
        endif()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()

# A module's library: its portable sources, and on Windows the ones given
# after WIN32. Everything Dovrane.exe links is compiled for its link-time
# optimisation (DOVRANE_LTO_COMPILE, top-level CMakeLists.txt).
function(dovrane_module target folder)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "WIN32")
    add_library(${target} STATIC ${arg_UNPARSED_ARGUMENTS})
    if(WIN32)
        target_sources(${target} PRIVATE ${arg_WIN32})
        target_compile_options(${target} PRIVATE ${DOVRANE_LTO_COMPILE})
    endif()
    dovrane_module_headers(${target} ${folder})
endfunction()
