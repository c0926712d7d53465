# The program's translations: translations/hushwire_<language>.ts in the tree, compiled by
# lrelease into <build>/translations/*.qm on every build (where the program looks for them
# beside itself) and installed to share/hushwire/translations. `ninja hw_lupdate` gathers the
# texts of the sources into the .ts files again after texts changed (qt6-l10n-tools).
find_program(HW_LRELEASE NAMES lrelease lrelease-qt6 HINTS /usr/lib/qt6/bin REQUIRED)
find_program(HW_LUPDATE NAMES lupdate lupdate-qt6 HINTS /usr/lib/qt6/bin REQUIRED)
file(GLOB _hw_ts CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/translations/hushwire_*.ts)
set(_hw_qm_dir ${PROJECT_BINARY_DIR}/translations)
set(_hw_qms)
foreach(_ts ${_hw_ts})
    get_filename_component(_name ${_ts} NAME_WE)
    set(_qm ${_hw_qm_dir}/${_name}.qm)
    add_custom_command(OUTPUT ${_qm}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_hw_qm_dir}
        COMMAND ${HW_LRELEASE} -silent ${_ts} -qm ${_qm}
        DEPENDS ${_ts}
        COMMENT "Compiling ${_name}.ts"
        VERBATIM)
    list(APPEND _hw_qms ${_qm})
endforeach()
add_custom_target(hw_translations ALL DEPENDS ${_hw_qms})
install(FILES ${_hw_qms} DESTINATION ${CMAKE_INSTALL_DATADIR}/hushwire/translations
    COMPONENT service)
add_custom_target(hw_lupdate
    COMMAND ${HW_LUPDATE} -silent -locations none -no-obsolete ${PROJECT_SOURCE_DIR}/src
        -ts ${_hw_ts}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Gathering the texts to translate"
    VERBATIM)
