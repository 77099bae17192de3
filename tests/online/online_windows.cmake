# The software updater, the newsletter and the message window: on their own
# (offscreen) and against kzo-updsim.
if(TARGET kzo_online_ui)
    kzo_add_test(test_online_windows SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_online_windows.cpp ${CMAKE_CURRENT_LIST_DIR}/OnlineWindowsSupport.h
        DEPS kzo_online_ui Qt6::Widgets LABELS webview)
    kzo_add_test(test_online_windows_e2e SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_online_windows_e2e.cpp ${CMAKE_CURRENT_LIST_DIR}/OnlineWindowsSupport.h
        DEPS kzo_online_ui Qt6::Widgets LABELS webview TIMEOUT 240)
    if(TARGET kzo-updsim)
        add_dependencies(test_online_windows_e2e kzo-updsim)
    endif()
endif()
