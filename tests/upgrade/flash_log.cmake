# The per-user flash log: format, reader, appends from two processes.
kzo_add_test(test_flash_log
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_flash_log.cpp
    DEPS kzo_upgrade)
