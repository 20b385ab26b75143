# Install rules: the executable and the desktop's entry points in their XDG places.
# The string catalogs are compiled into the executable, so there are none to install.
set(TUCKAWAY_SERVICE_EXEC ${CMAKE_INSTALL_FULL_BINDIR}/tuckaway)
configure_file(${PROJECT_SOURCE_DIR}/resources/org.tuckaway.Tuckaway.service.in
    ${CMAKE_CURRENT_BINARY_DIR}/org.tuckaway.Tuckaway.service @ONLY)

install(TARGETS tuckaway RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/org.tuckaway.Tuckaway.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/app/org.tuckaway.Tuckaway.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/org.tuckaway.Tuckaway.service
    DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/services)

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
