# Manual pages written by help2man from each program's --help and --version,
# so the pages never drift from the programs. Built by default when help2man
# is installed; without it there are no pages and nothing to install.
find_program(KZO_HELP2MAN help2man)
find_program(KZO_GZIP gzip)
if(NOT KZO_HELP2MAN OR NOT KZO_GZIP)
    message(STATUS "help2man or gzip not found: no manual pages")
    return()
endif()

set(kzo_man_dir ${CMAKE_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${kzo_man_dir})
set(kzo_man_outputs "")

# kzo_man_page(program component "one-line description")
function(kzo_man_page prog component description)
    if(NOT TARGET ${prog})
        return()
    endif()
    set(page ${kzo_man_dir}/${prog}.1)
    # No display is needed: every program answers --help before it starts a
    # GUI; the offscreen platform only guards against one that would not.
    # gzip -n keeps the file name and time out of the archive, so the same
    # page gives the same bytes.
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${KZO_HELP2MAN} --no-info --no-discard-stderr -N --section=1
            --name=${description} --output=${page} $<TARGET_FILE:${prog}>
        COMMAND ${KZO_GZIP} -9nkf ${page}
        DEPENDS ${prog}
        COMMENT "Manual page ${prog}.1"
        VERBATIM)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
    set(kzo_man_outputs ${kzo_man_outputs} ${page}.gz PARENT_SCOPE)
endfunction()

kzo_man_page(kzo-assistant assistant "configure and upgrade the KZO camera gimbal")
kzo_man_page(kzo-flash assistant "upgrade a KZO gimbal module's firmware from the command line")
kzo_man_page(kzo-console assistant "developer console over the KZO gimbal's serial link")
kzo_man_page(kzo-devsim tools "simulated KZO gimbal behind a pseudo-terminal")
kzo_man_page(kzo-updsim tools "simulated KZO update server on the loopback interface")

add_custom_target(kzo_man_pages ALL DEPENDS ${kzo_man_outputs})
# The install-layout test installs the pages and reads them.
if(TARGET test_install_layout)
    add_dependencies(test_install_layout kzo_man_pages)
    target_compile_definitions(test_install_layout PRIVATE KZO_MAN_PAGES)
endif()
