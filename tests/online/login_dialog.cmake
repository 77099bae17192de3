# The login dialog against kzo-updsim's account service, on the offscreen platform.
if(TARGET kzo_online_ui)
    kzo_add_test(test_login_dialog SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_login_dialog.cpp
        DEPS kzo_online_ui Qt6::Widgets LABELS webview TIMEOUT 240)
    if(TARGET kzo-updsim)
        add_dependencies(test_login_dialog kzo-updsim)
    endif()
endif()
