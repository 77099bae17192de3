# The internal page's upgrades in the flash log, on a fake device.
if(TARGET kzo_upgrade_pages)
    kzo_add_test(test_internal_flashlog
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_internal_flashlog.cpp ${CMAKE_CURRENT_LIST_DIR}/PageTestRig.h
        DEPS kzo_upgrade_pages)
endif()
