# Installation as a Linux program, and the Debian packages built from it with `cpack -G DEB`:
# hushwire-service (component "service": the service, the command line, the units, the sounds;
# no widget, GUI or multimedia library, for a headless box) and hushwire (component "desktop":
# the desktop program and the modem emulator), which depends on it.
include(GNUInstallDirs)
# Debian keeps a package's documents under /usr/share/doc/<package>, in the package's own
# lower-case name (the project's name would give share/doc/Hushwire).
set(_hw_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/hushwire)
set(_hw_service_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/hushwire-service)

if(TARGET hushwire)
    install(TARGETS hushwire RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desktop)
endif()
# The headless service and command line, found by hushwire beside itself.
if(TARGET hushwire-service)
    install(TARGETS hushwire-service RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT service)
endif()
if(TARGET hushwire-fakemodem)
    install(TARGETS hushwire-fakemodem RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT desktop)
endif()

# Sound files and the help page: the program copies the sounds into each user's data folder
# at first start, so the user can replace them there.
file(GLOB _hw_sounds CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/assets/*.wav)
install(FILES ${_hw_sounds} DESTINATION ${CMAKE_INSTALL_DATADIR}/hushwire COMPONENT service)
file(GLOB _hw_help CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/assets/*.html)
install(FILES ${_hw_help} DESTINATION ${CMAKE_INSTALL_DATADIR}/hushwire COMPONENT desktop)

set(_hw_pkg ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${_hw_pkg}/${HUSHWIRE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
    COMPONENT desktop)
# Software centres read the metainfo; bash-completion finds the completion by the command's name.
install(FILES ${_hw_pkg}/${HUSHWIRE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
    COMPONENT desktop)
install(FILES ${_hw_pkg}/hushwire.bash-completion
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME hushwire
    COMPONENT service)
install(FILES ${_hw_pkg}/hushwire.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT desktop)
install(FILES ${_hw_pkg}/hushwire-32.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME hushwire.png
    COMPONENT desktop)
install(FILES ${PROJECT_SOURCE_DIR}/tools/fakemodem/README.md
    DESTINATION ${_hw_docdir} RENAME hushwire-fakemodem.md COMPONENT desktop)

# The service's systemd units: system-wide, as the hushwire account the package's postinst makes,
# and for one's own account. Both are installed disabled. They start /usr/bin/hushwire-service.
install(FILES ${_hw_pkg}/hushwire.service DESTINATION lib/systemd/system COMPONENT service)
install(FILES ${_hw_pkg}/hushwire-user.service DESTINATION lib/systemd/user
    RENAME hushwire.service COMPONENT service)

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
# The changelog's latest entry is the version being built.
file(STRINGS ${_hw_pkg}/changelog _hw_changelog_head LIMIT_COUNT 1)
if(NOT _hw_changelog_head MATCHES "^hushwire \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog begins with \"${_hw_changelog_head}\", not version "
        "${PROJECT_VERSION}: add an entry for it.")
endif()
set(HW_MAINTAINER "${_hw_maintainer}")
configure_file(${_hw_pkg}/changelog ${_hw_doc}/changelog @ONLY)
add_custom_command(OUTPUT ${_hw_doc}/changelog.gz
    COMMAND gzip -9 -n -c ${_hw_doc}/changelog > ${_hw_doc}/changelog.gz
    DEPENDS ${_hw_doc}/changelog
    COMMENT "Compressing the changelog"
    VERBATIM)
add_custom_target(hw_changelog ALL DEPENDS ${_hw_doc}/changelog.gz)
install(FILES ${_hw_pkg}/copyright ${_hw_doc}/changelog.gz DESTINATION ${_hw_docdir}
    COMPONENT desktop)
install(FILES ${_hw_pkg}/copyright ${_hw_doc}/changelog.gz DESTINATION ${_hw_service_docdir}
    COMPONENT service)

# Man pages are installed compressed, as Debian expects; hushwire-fakemodem(1) points at the
# desktop package's page, and the headless package carries the same page as hushwire-service(1).
set(_hw_man ${PROJECT_BINARY_DIR}/man)
add_custom_command(OUTPUT ${_hw_man}/hushwire.1.gz ${_hw_man}/hushwire-fakemodem.1.gz
        ${_hw_man}/hushwire-service.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_hw_man}
    COMMAND gzip -9 -n -c ${_hw_pkg}/hushwire.1 > ${_hw_man}/hushwire.1.gz
    COMMAND ${CMAKE_COMMAND} -E echo ".so man1/hushwire.1" > ${_hw_man}/hushwire-fakemodem.1
    COMMAND gzip -9 -n -f ${_hw_man}/hushwire-fakemodem.1
    COMMAND gzip -9 -n -c ${_hw_pkg}/hushwire.1 > ${_hw_man}/hushwire-service.1.gz
    DEPENDS ${_hw_pkg}/hushwire.1
    COMMENT "Compressing the man pages"
    VERBATIM)
add_custom_target(hw_manpages ALL
    DEPENDS ${_hw_man}/hushwire.1.gz ${_hw_man}/hushwire-fakemodem.1.gz
        ${_hw_man}/hushwire-service.1.gz)
install(FILES ${_hw_man}/hushwire-service.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    COMPONENT service)
install(FILES ${_hw_man}/hushwire.1.gz ${_hw_man}/hushwire-fakemodem.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT desktop)

# Debian packages, one per component.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL service desktop)
set(CPACK_PACKAGE_NAME hushwire)
set(CPACK_PACKAGE_VENDOR "Hushwire developers")
set(CPACK_PACKAGE_CONTACT "${_hw_maintainer}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME hushwire)
set(CPACK_DEBIAN_SERVICE_PACKAGE_NAME hushwire-service)
# Each line of a long description stays within 80 columns in the control file.
set(CPACK_DEBIAN_DESKTOP_DESCRIPTION
    "Call screener that answers unwanted calls on a voice modem
Hushwire watches incoming calls on Hayes-compatible voice modems, reads
the caller ID before the second ring, and answers callers on the user's
block lists with a recorded message before hanging up. Other calls ring on.
This package holds the desktop program: its window, tray icon, list
windows and setup window, and hushwire-fakemodem, a voice-modem emulator on
a pseudo-terminal for trying it out without a modem.")
set(CPACK_DEBIAN_SERVICE_DESCRIPTION
    "Call screener service for voice modems and SIP lines, without a desktop
Hushwire watches incoming calls on Hayes-compatible voice modems and SIP
lines, reads the caller ID before the second ring, and answers callers on
the user's block lists with a recorded message before hanging up.
This package holds the headless service, its systemd units and the
command line that edits the lists and follows the call log. It needs no
window system, so it suits a small always-on box beside the modem.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Maintainer scripts: the service's account and its unit's state in systemd; removed on purge.
# They belong to the package that ships the units.
# Until 3.1.0 one package "hushwire" held everything; the files that moved into hushwire-service
# replace the old package's, and the old package may not stay beside the new one.
set(CPACK_DEBIAN_SERVICE_PACKAGE_REPLACES "hushwire (<< 3.1.0~)")
set(CPACK_DEBIAN_SERVICE_PACKAGE_BREAKS "hushwire (<< 3.1.0~)")
set(CPACK_DEBIAN_SERVICE_PACKAGE_CONTROL_EXTRA
    ${_hw_pkg}/postinst ${_hw_pkg}/prerm ${_hw_pkg}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Folders of the package as Debian expects them, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Run-time parts no library scan finds, because Qt loads them as plugins: the window system
# (qt6-qpa-plugins) and the GStreamer elements Qt Multimedia plays through; Qt Print Support,
# which the call log prints through; and adduser, which postinst makes the service's account with.
set(_hw_desktop_depends
    "hushwire-service (= ${PROJECT_VERSION})"
    "libqt6printsupport6 (>= 6.4)"
    "qt6-qpa-plugins"
    "gstreamer1.0-plugins-base"
    "gstreamer1.0-plugins-good")
set(_hw_service_depends "adduser")
find_program(HW_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(HW_DPKG_SHLIBDEPS)
    # dpkg-shlibdeps adds the libraries the executables link, with their minimum versions.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    list(PREPEND _hw_service_depends
        "libc6 (>= 2.34)"
        "libstdc++6 (>= 11)"
        "libqt6core6 (>= 6.4)"
        "libqt6network6 (>= 6.4)"
        "libqt6serialport6 (>= 6.4)")
    list(APPEND _hw_desktop_depends
        "libqt6gui6 (>= 6.4)"
        "libqt6widgets6 (>= 6.4)"
        "libqt6multimedia6 (>= 6.4)")
endif()
list(JOIN _hw_desktop_depends ", " CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS)
list(JOIN _hw_service_depends ", " CPACK_DEBIAN_SERVICE_PACKAGE_DEPENDS)

include(CPack)
