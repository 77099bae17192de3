# Connection manager.
kzo_add_test(test_connector SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_connector.cpp DEPS kzo_commands LABELS threads)
