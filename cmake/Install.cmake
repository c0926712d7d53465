# Installation as a Linux desktop program, and the Debian package built from it with
# `cpack -G DEB`.
include(GNUInstallDirs)
# Debian keeps a package's documents under /usr/share/doc/<package>, in the package's own
# lower-case name (the project's name would give share/doc/Hushwire).
set(_hw_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/hushwire)

if(TARGET hushwire)
    install(TARGETS hushwire RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The headless service and command line, found by hushwire beside itself.
if(TARGET hushwire-service)
    install(TARGETS hushwire-service RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
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
install(FILES ${_hw_pkg}/${HUSHWIRE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Software centres read the metainfo; bash-completion finds the completion by the command's name.
install(FILES ${_hw_pkg}/${HUSHWIRE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_hw_pkg}/hushwire.bash-completion
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME hushwire)
install(FILES ${_hw_pkg}/hushwire.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_hw_pkg}/hushwire-32.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME hushwire.png)
install(FILES ${PROJECT_SOURCE_DIR}/tools/fakemodem/README.md
    DESTINATION ${_hw_docdir} RENAME hushwire-fakemodem.md)

# The service's systemd units: system-wide, as the hushwire account the package's postinst makes,
# and for one's own account. Both are installed disabled. They start /usr/bin/hushwire, the
# package's program.
install(FILES ${_hw_pkg}/hushwire.service DESTINATION lib/systemd/system)
install(FILES ${_hw_pkg}/hushwire-user.service DESTINATION lib/systemd/user
    RENAME hushwire.service)

# The package's maintainer is whoever builds it, found the way Debian's own tools find them:
# HUSHWIRE_MAINTAINER, else DEBFULLNAME and DEBEMAIL from the environment, else the git identity
# that the source checkout commits under.
set(HUSHWIRE_MAINTAINER "" CACHE STRING "Maintainer of the Debian package: Name <address>")
set(_hw_maintainer "${HUSHWIRE_MAINTAINER}")
if(NOT _hw_maintainer AND DEFINED ENV{DEBFULLNAME} AND DEFINED ENV{DEBEMAIL})
    set(_hw_maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
endif()
find_program(HW_GIT git)
if(NOT _hw_maintainer AND HW_GIT)
    execute_process(COMMAND ${HW_GIT} config user.name WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE _hw_name OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${HW_GIT} config user.email WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE _hw_mail OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(_hw_name AND _hw_mail)
        set(_hw_maintainer "${_hw_name} <${_hw_mail}>")
    endif()
endif()
if(NOT _hw_maintainer)
    message(WARNING "No package maintainer known: set HUSHWIRE_MAINTAINER, or DEBFULLNAME and "
        "DEBEMAIL, before building the Debian package.")
    set(_hw_maintainer "Hushwire developers <hushwire@localhost>")
endif()

# Debian's documents of the package: the machine-readable copyright file and the changelog,
# compressed, whose entries name the maintainer.
set(_hw_doc ${PROJECT_BINARY_DIR}/doc)
set(HW_MAINTAINER "${_hw_maintainer}")
configure_file(${_hw_pkg}/changelog ${_hw_doc}/changelog @ONLY)
add_custom_command(OUTPUT ${_hw_doc}/changelog.gz
    COMMAND gzip -9 -n -c ${_hw_doc}/changelog > ${_hw_doc}/changelog.gz
    DEPENDS ${_hw_doc}/changelog
    COMMENT "Compressing the changelog"
    VERBATIM)
add_custom_target(hw_changelog ALL DEPENDS ${_hw_doc}/changelog.gz)
install(FILES ${_hw_pkg}/copyright ${_hw_doc}/changelog.gz DESTINATION ${_hw_docdir})

# Man pages are installed compressed, as Debian expects; hushwire-fakemodem(1) and
# hushwire-service(1) point at the shared page.
set(_hw_man ${PROJECT_BINARY_DIR}/man)
add_custom_command(OUTPUT ${_hw_man}/hushwire.1.gz ${_hw_man}/hushwire-fakemodem.1.gz
        ${_hw_man}/hushwire-service.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_hw_man}
    COMMAND gzip -9 -n -c ${_hw_pkg}/hushwire.1 > ${_hw_man}/hushwire.1.gz
    COMMAND ${CMAKE_COMMAND} -E echo ".so man1/hushwire.1" > ${_hw_man}/hushwire-fakemodem.1
    COMMAND gzip -9 -n -f ${_hw_man}/hushwire-fakemodem.1
    COMMAND ${CMAKE_COMMAND} -E echo ".so man1/hushwire.1" > ${_hw_man}/hushwire-service.1
    COMMAND gzip -9 -n -f ${_hw_man}/hushwire-service.1
    DEPENDS ${_hw_pkg}/hushwire.1
    COMMENT "Compressing the man pages"
    VERBATIM)
add_custom_target(hw_manpages ALL
    DEPENDS ${_hw_man}/hushwire.1.gz ${_hw_man}/hushwire-fakemodem.1.gz
        ${_hw_man}/hushwire-service.1.gz)
install(FILES ${_hw_man}/hushwire.1.gz ${_hw_man}/hushwire-fakemodem.1.gz
    ${_hw_man}/hushwire-service.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hushwire)
set(CPACK_PACKAGE_VENDOR "Hushwire developers")
set(CPACK_PACKAGE_CONTACT "${_hw_maintainer}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Call screener that answers unwanted calls on a voice modem")
# Each line of the long description stays within 80 columns in the control file.
set(CPACK_PACKAGE_DESCRIPTION
    "Hushwire watches incoming calls on Hayes-compatible voice modems, reads
the caller ID before the second ring, and answers callers on the user's
block lists with a recorded message before hanging up. Other calls ring on.
Includes hushwire-fakemodem, a voice-modem emulator on a pseudo-terminal,
for trying it out without a modem.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Maintainer scripts: the service's account and its unit's state in systemd; removed on purge.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${_hw_pkg}/postinst ${_hw_pkg}/prerm ${_hw_pkg}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Folders of the package as Debian expects them, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Run-time parts no library scan finds, because Qt loads them as plugins: the window system
# (qt6-qpa-plugins) and the GStreamer elements Qt Multimedia plays through; Qt Print Support,
# which the call log prints through; and adduser, which postinst makes the service's account with.
set(_hw_depends
    "adduser"
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
        "libqt6network6 (>= 6.4)"
        "libqt6widgets6 (>= 6.4)"
        "libqt6multimedia6 (>= 6.4)"
        "libqt6serialport6 (>= 6.4)")
endif()
list(JOIN _hw_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

include(CPack)
