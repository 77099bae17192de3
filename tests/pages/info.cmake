# The info page in process, with a fake window and the update-server client against kzo-updsim.
kzo_add_test(test_info_page SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_info_page.cpp DEPS kzo_pages TIMEOUT 180)
if(TARGET kzo-updsim)
    add_dependencies(test_info_page kzo-updsim)
endif()
