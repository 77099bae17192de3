# The upgrade page, the internal upgrade page and the test page, in process
# on a fake device.
if(TARGET kzo_upgrade_pages)
    kzo_add_test(test_upgrade_page
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_upgrade_page.cpp ${CMAKE_CURRENT_LIST_DIR}/PageTestRig.h
        DEPS kzo_upgrade_pages)
    kzo_add_test(test_internal_page
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_internal_page.cpp ${CMAKE_CURRENT_LIST_DIR}/PageTestRig.h
        DEPS kzo_upgrade_pages LABELS threads)
endif()
