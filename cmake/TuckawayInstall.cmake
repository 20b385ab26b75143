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
