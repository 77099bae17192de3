# kzo-console against the device simulator over a pty.
if(TARGET kzo-console AND TARGET kzo-devsim)
    kzo_add_test(test_console_devsim SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_console_devsim.cpp DEPS Qt6::Core
        LABELS integration threads TIMEOUT 120)
    add_dependencies(test_console_devsim kzo-console kzo-devsim)
endif()
# kzo-console's command line, run as a child process.
if(TARGET kzo-console)
    kzo_add_test(test_console_options SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_console_options.cpp DEPS Qt6::Core)
    add_dependencies(test_console_options kzo-console)
endif()
