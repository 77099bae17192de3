# The main parameter page: its device logic, the page on a fake device, and
# the page against kzo-devsim.
kzo_add_test(test_main_page_data SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_main_page_data.cpp DEPS kzo_pages_logic kzo_logging)
kzo_add_test(test_main_page SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_main_page.cpp DEPS kzo_pages)
kzo_add_test(test_main_page_devsim SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_main_page_devsim.cpp DEPS kzo_pages kzo_link LABELS threads TIMEOUT 120)
if(TARGET kzo-devsim)
    add_dependencies(test_main_page_devsim kzo-devsim)
endif()
