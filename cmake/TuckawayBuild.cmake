# How everything is compiled: warnings (errors where the preset asks), ccache when installed,
# and Qt's headers precompiled once per library.

add_compile_options(-Wall -Wextra -Wpedantic)
# On in the dev and sanitizer presets and so in scripts/test and CI; off for release builds,
# where a newer compiler's new warning must not stop someone building from source.
option(TUCKAWAY_WERROR "Treat compiler warnings as errors" OFF)
if(TUCKAWAY_WERROR)
    add_compile_options(-Werror)
endif()

# The same object files are made again and again (two trees, fresh clones, the fault
# planting's rebuilds); ccache hands them back. Precompiled headers need its pch sloppiness.
option(TUCKAWAY_CCACHE "Compile through ccache when it is installed" ON)
find_program(TUCKAWAY_CCACHE_PROGRAM ccache)
if(TUCKAWAY_CCACHE AND TUCKAWAY_CCACHE_PROGRAM AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
        CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
        ${TUCKAWAY_CCACHE_PROGRAM})
endif()

# tuckaway_precompile_qt(<directory>...): every C++ library and executable defined in these
# folders (and below) with at least three sources of its own gets cmake/QtPrecompiled.h as a
# precompiled header. Parsing Qt's headers is most of the time each file takes to compile.
option(TUCKAWAY_PCH "Precompile the Qt headers" ON)
function(tuckaway_precompile_qt)
    if(NOT TUCKAWAY_PCH)
        return()
    endif()
    foreach(directory ${ARGN})
        get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target ${targets})
            get_target_property(type ${target} TYPE)
            if(NOT type MATCHES "STATIC_LIBRARY|EXECUTABLE")
                continue()
            endif()
            get_target_property(sources ${target} SOURCES)
            list(FILTER sources INCLUDE REGEX "\\.cpp$")
            list(LENGTH sources count)
            if(count GREATER_EQUAL 3)
                target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/QtPrecompiled.h)
                # A header that does not fit (other flags or modules) is an error, never a
                # silent and slow fallback to parsing everything.
                target_compile_options(${target} PRIVATE -Winvalid-pch)
            endif()
        endforeach()
        get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
        if(subdirectories)
            tuckaway_precompile_qt(${subdirectories})
        endif()
    endforeach()
endfunction()

# The executable's functions in the order they first run: start-up to idle, then the first
# showing of the panel, then the rest (cmake/startup-order.txt, written by
# tools/startup-order/record). The kernel maps a program's code in 64 KiB pieces around
# each page it runs; start-up code spread over the whole executable made nearly all of it
# resident at idle (0.8 of 1.3 MiB), in order it is 0.2. Needs lld; without it the link
# order stays and everything works as before.
option(TUCKAWAY_STARTUP_ORDER "Link the executable's functions in start-up order (with lld)" ON)
set(TUCKAWAY_STARTUP_ORDER_FILE ${PROJECT_SOURCE_DIR}/cmake/startup-order.txt)
if(TUCKAWAY_STARTUP_ORDER)
    include(CheckLinkerFlag)
    check_linker_flag(CXX -fuse-ld=lld TUCKAWAY_HAVE_LLD)
    if(TUCKAWAY_HAVE_LLD)
        add_compile_options(-ffunction-sections)
    else()
        message(STATUS "lld not found: the executable's functions stay in link order")
    endif()
endif()

# tuckaway_link_in_startup_order(<target>)
function(tuckaway_link_in_startup_order target)
    if(TUCKAWAY_STARTUP_ORDER AND TUCKAWAY_HAVE_LLD)
        # Functions renamed since the list was recorded are simply left in link order.
        target_link_options(${target} PRIVATE -fuse-ld=lld
            LINKER:--symbol-ordering-file=${TUCKAWAY_STARTUP_ORDER_FILE} LINKER:--no-warn-symbol-ordering)
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TUCKAWAY_STARTUP_ORDER_FILE})
    endif()
endfunction()
