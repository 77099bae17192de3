# Developer console and script language.
kzo_add_test(test_dev_console SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_dev_console.cpp DEPS kzo_console LABELS threads)
kzo_add_test(test_dev_script SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_dev_script.cpp DEPS kzo_console)
