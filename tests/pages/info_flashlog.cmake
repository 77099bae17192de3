# The info page's recent upgrades, read from a flash log.
kzo_add_test(test_info_flashlog SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_info_flashlog.cpp DEPS kzo_pages kzo_upgrade kzo_resources)
