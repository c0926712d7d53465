# Installation as a Linux desktop program, and the Debian package built from it with
# `cpack -G DEB`.
include(GNUInstallDirs)

if(TARGET hushwire)
    install(TARGETS hushwire RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET hushwire-fakemodem)
    install(TARGETS hushwire-fakemodem RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Sound files and the help page: the program copies the sounds into each user's data folder
# at first start, so the user can replace them there.
file(GLOB _hw_share CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/assets/*.wav ${PROJECT_SOURCE_DIR}/assets/*.html)
install(FILES ${_hw_share} DESTINATION ${CMAKE_INSTALL_DATADIR}/hushwire)

set(_hw_pkg ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${_hw_pkg}/hushwire.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_hw_pkg}/hushwire.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_hw_pkg}/hushwire-32.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME hushwire.png)
install(FILES ${PROJECT_SOURCE_DIR}/tools/fakemodem/README.md
    DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME hushwire-fakemodem.md)

# Man pages are installed compressed, as Debian expects; hushwire-fakemodem(1) points at the
# shared page.
set(_hw_man ${PROJECT_BINARY_DIR}/man)
add_custom_command(OUTPUT ${_hw_man}/hushwire.1.gz ${_hw_man}/hushwire-fakemodem.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_hw_man}
    COMMAND gzip -9 -n -c ${_hw_pkg}/hushwire.1 > ${_hw_man}/hushwire.1.gz
    COMMAND ${CMAKE_COMMAND} -E echo ".so man1/hushwire.1" > ${_hw_man}/hushwire-fakemodem.1
    COMMAND gzip -9 -n -f ${_hw_man}/hushwire-fakemodem.1
    DEPENDS ${_hw_pkg}/hushwire.1
    COMMENT "Compressing the man pages"
    VERBATIM)
add_custom_target(hw_manpages ALL
    DEPENDS ${_hw_man}/hushwire.1.gz ${_hw_man}/hushwire-fakemodem.1.gz)
install(FILES ${_hw_man}/hushwire.1.gz ${_hw_man}/hushwire-fakemodem.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hushwire)
set(CPACK_PACKAGE_VENDOR "Hushwire developers")
set(CPACK_PACKAGE_CONTACT "Hushwire developers <hushwire@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Call screener that answers unwanted calls on a voice modem")
set(CPACK_PACKAGE_DESCRIPTION
    "Hushwire watches incoming calls on Hayes-compatible voice modems, reads the caller ID
before the second ring, and answers callers on the user's block lists with a recorded
message before hanging up. Other calls ring on. Includes hushwire-fakemodem, a voice-modem
emulator on a pseudo-terminal for trying it out without a modem.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# Run-time parts no library scan finds, because Qt loads them as plugins: the window system
# (qt6-qpa-plugins) and the GStreamer elements Qt Multimedia plays through; and Qt Print
# Support, which the call log prints through.
set(_hw_depends
    "libqt6printsupport6 (>= 6.4)"
    "qt6-qpa-plugins"
    "gstreamer1.0-plugins-base"
    "gstreamer1.0-plugins-good")
find_program(HW_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(HW_DPKG_SHLIBDEPS)
    # dpkg-shlibdeps adds the libraries the executables link, with their minimum versions.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    list(PREPEND _hw_depends
        "libc6 (>= 2.34)"
        "libstdc++6 (>= 11)"
        "libqt6core6 (>= 6.4)"
        "libqt6gui6 (>= 6.4)"
        "libqt6widgets6 (>= 6.4)"
        "libqt6multimedia6 (>= 6.4)"
        "libqt6serialport6 (>= 6.4)")
endif()
list(JOIN _hw_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

include(CPack)
