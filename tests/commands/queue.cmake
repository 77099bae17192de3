# Command queue.
kzo_add_test(test_cmd_queue SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cmd_queue.cpp DEPS kzo_commands LABELS threads TIMEOUT 180)
