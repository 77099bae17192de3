# The firmware update dialog: in-process, offscreen, with the update-server
# simulator on 127.0.0.1 and a boot loader behind a test device I/O.
kzo_add_test(test_updater_dialog
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_updater_dialog.cpp ${CMAKE_CURRENT_LIST_DIR}/UpdaterFixture.h
    DEPS kzo_updater LABELS threads webview TIMEOUT 180)
kzo_add_test(test_updater_flow
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_updater_flow.cpp ${CMAKE_CURRENT_LIST_DIR}/UpdaterFixture.h
    DEPS kzo_updater LABELS threads webview TIMEOUT 300)
if(TARGET kzo-updsim)
    add_dependencies(test_updater_flow kzo-updsim)
endif()
