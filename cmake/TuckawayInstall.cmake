# Install rules: the executable and the desktop's entry points in their XDG places.
# The string catalogs are compiled into the executable, so there are none to install.
install(TARGETS tuckaway RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/org.tuckaway.Tuckaway.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/app/org.tuckaway.Tuckaway.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The bus service names the executable by its full path, known only when installing
# (cmake --install --prefix may differ from the configured prefix).
install(CODE "set(TUCKAWAY_SERVICE_TEMPLATE \"${PROJECT_SOURCE_DIR}/resources/org.tuckaway.Tuckaway.service.in\")
    set(TUCKAWAY_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
    set(TUCKAWAY_BINDIR \"${CMAKE_INSTALL_BINDIR}\")")
install(CODE [[
    set(TUCKAWAY_SERVICE_EXEC "${CMAKE_INSTALL_PREFIX}/${TUCKAWAY_BINDIR}/tuckaway")
    set(service "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${TUCKAWAY_DATADIR}/dbus-1/services/org.tuckaway.Tuckaway.service")
    message(STATUS "Installing: ${service}")
    configure_file("${TUCKAWAY_SERVICE_TEMPLATE}" "${service}" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_PREFIX}/${TUCKAWAY_DATADIR}/dbus-1/services/org.tuckaway.Tuckaway.service")
]])

# Let menus and docks see the new entry and icon at once (only for a direct install).
install(CODE [[
    if(NOT "$ENV{DESTDIR}")
        execute_process(COMMAND update-desktop-database -q "${CMAKE_INSTALL_PREFIX}/share/applications"
            ERROR_QUIET OUTPUT_QUIET)
        execute_process(COMMAND gtk-update-icon-cache -q -t -f "${CMAKE_INSTALL_PREFIX}/share/icons/hicolor"
            ERROR_QUIET OUTPUT_QUIET)
    endif()
]])

# The reverse of the last install from this build folder: cmake --build <dir> --target uninstall
if(NOT TARGET uninstall)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/TuckawayUninstall.cmake.in
        ${CMAKE_BINARY_DIR}/TuckawayUninstall.cmake @ONLY)
    add_custom_target(uninstall COMMAND ${CMAKE_COMMAND} -P ${CMAKE_BINARY_DIR}/TuckawayUninstall.cmake)
endif()

# Made at build time: the icon at the sizes menus ask for, the man page, the changelog.
find_program(TUCKAWAY_RSVG rsvg-convert REQUIRED)
find_program(TUCKAWAY_SCDOC scdoc REQUIRED)
find_program(TUCKAWAY_GZIP gzip REQUIRED)
set(generated ${CMAKE_BINARY_DIR}/generated)
set(app_svg ${PROJECT_SOURCE_DIR}/resources/icons/app/org.tuckaway.Tuckaway.svg)
set(generated_files)
foreach(size 48 128)
    set(png ${generated}/icons/${size}/org.tuckaway.Tuckaway.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/icons/${size}
        COMMAND ${TUCKAWAY_RSVG} -w ${size} -h ${size} -o ${png} ${app_svg}
        DEPENDS ${app_svg} VERBATIM)
    list(APPEND generated_files ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_command(OUTPUT ${generated}/tuckaway.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
    COMMAND ${TUCKAWAY_SCDOC} < ${PROJECT_SOURCE_DIR}/resources/man/tuckaway.1.scd > ${generated}/tuckaway.1
    COMMAND ${TUCKAWAY_GZIP} -9nf ${generated}/tuckaway.1
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/man/tuckaway.1.scd)
add_custom_command(OUTPUT ${generated}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
    COMMAND ${TUCKAWAY_GZIP} -9nc ${PROJECT_SOURCE_DIR}/resources/changelog > ${generated}/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/changelog)
list(APPEND generated_files ${generated}/tuckaway.1.gz ${generated}/changelog.gz)
add_custom_target(tuckaway_generated ALL DEPENDS ${generated_files})

install(FILES ${generated}/tuckaway.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/org.tuckaway.Tuckaway.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Our own bus interface, for tools that browse or generate code from it (the desktop's
# org.freedesktop.Application belongs to no single package and is not installed).
install(FILES ${PROJECT_SOURCE_DIR}/resources/dbus/org.tuckaway.Tuckaway.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/interfaces)
install(FILES ${PROJECT_SOURCE_DIR}/resources/completions/tuckaway
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/resources/copyright ${generated}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tuckaway)
