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
