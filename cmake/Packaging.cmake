# Debian packages built by CPack (cpack -G DEB, see scripts/package.sh):
#   kzo-assistant        the window, kzo-flash, kzo-console and their data
#   kzo-assistant-tools  the device and update-server simulators
# Install rules name one of the two components, "assistant" or "tools".
# Instrumented builds are never shipped.
if(KZO_SANITIZE OR KZO_TSAN OR KZO_FUZZ)
    return()
endif()

include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)

set(kzo_pkg_dir ${PROJECT_SOURCE_DIR}/packaging)
set(kzo_pkg_release 1)
set(kzo_pkg_version ${PROJECT_VERSION}-${kzo_pkg_release})

# The changelog's newest entry must name the version being packaged.
file(STRINGS ${kzo_pkg_dir}/changelog kzo_changelog_head LIMIT_COUNT 1)
if(NOT kzo_changelog_head MATCHES "^kzo-assistant \\(${kzo_pkg_version}\\) ")
    message(WARNING "packaging/changelog does not start with version ${kzo_pkg_version}: ${kzo_changelog_head}")
endif()

# Each package carries its own copyright file and the compressed changelog.
set(kzo_changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
add_custom_command(OUTPUT ${kzo_changelog_gz}
    COMMAND ${CMAKE_COMMAND} -E copy ${kzo_pkg_dir}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.Debian
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/packaging/changelog.Debian
    DEPENDS ${kzo_pkg_dir}/changelog
    COMMENT "changelog.Debian.gz"
    VERBATIM)
add_custom_target(kzo_changelog ALL DEPENDS ${kzo_changelog_gz})
foreach(kzo_comp_pkg "assistant;kzo-assistant" "tools;kzo-assistant-tools")
    list(GET kzo_comp_pkg 0 kzo_comp)
    list(GET kzo_comp_pkg 1 kzo_pkg)
    install(FILES ${kzo_pkg_dir}/copyright ${kzo_changelog_gz}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${kzo_pkg} COMPONENT ${kzo_comp})
endforeach()

# Everything the packages are made of; cpack itself builds nothing.
add_custom_target(kzo_package_inputs DEPENDS kzo_changelog)
foreach(t kzo-assistant kzo-flash kzo-console kzo-devsim kzo-updsim kzo_man_pages)
    if(TARGET ${t})
        add_dependencies(kzo_package_inputs ${t})
    endif()
endforeach()
if(TARGET test_install_layout)
    add_dependencies(test_install_layout kzo_changelog)
endif()
# cpack runs the "preinstall" target, which would otherwise build every test.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kzo-assistant)
set(CPACK_PACKAGE_VENDOR KZO)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "KZO Assistant maintainers <assistant@kzo-gimbal.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://kzo-gimbal.example/assistant")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_COMPONENTS_ALL assistant tools)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${kzo_pkg_release})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CPACK_PACKAGE_HOMEPAGE_URL}")
# Library dependencies come from the binaries (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

set(CPACK_DEBIAN_ASSISTANT_PACKAGE_NAME kzo-assistant)
set(CPACK_DEBIAN_ASSISTANT_PACKAGE_SECTION utils)
# The Chinese translation needs a font with Chinese glyphs, which fontconfig
# finds at run time: invisible to dpkg-shlibdeps.
set(CPACK_DEBIAN_ASSISTANT_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei")
set(CPACK_DEBIAN_ASSISTANT_PACKAGE_CONTROL_EXTRA "${kzo_pkg_dir}/postinst;${kzo_pkg_dir}/postrm")
set(CPACK_DEBIAN_ASSISTANT_DESCRIPTION
"configuration and firmware-upgrade assistant for the KZO gimbal
KZO Assistant configures and upgrades the KZO camera gimbal over its USB
virtual COM port: it finds the gimbal on its own, shows its input channels
live, reads the modules' versions, upgrades module firmware through their
boot loaders, calibrates the gimbal and shows help pages.
.
The package also holds kzo-flash, which upgrades a module's firmware from
the command line, and kzo-console, a developer console over the serial
link. Its udev rules give the desktop user access to the gimbal's port.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME kzo-assistant-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_TOOLS_DESCRIPTION
"simulated gimbal and update server for KZO Assistant
Test tools for KZO Assistant and for service benches without hardware:
kzo-devsim plays the KZO gimbal behind a pseudo-terminal, with injectable
link and device faults; kzo-updsim answers as the update server does on
the loopback interface, with injectable server faults.")

include(CPack)
