# The tools page: its logic alone, the page on a fake device with a fake
# window, the window's side of it, and the page against kzo-devsim.
kzo_add_test(test_tools_data SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tools_data.cpp DEPS kzo_pages_logic kzo_logging)
kzo_add_test(test_tools_page SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tools_page.cpp DEPS kzo_pages)
kzo_add_test(test_tools_host SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tools_host.cpp DEPS kzo_app)
kzo_add_test(test_tools_devsim SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tools_devsim.cpp DEPS kzo_pages kzo_link LABELS threads TIMEOUT 120)
if(TARGET kzo-devsim)
    add_dependencies(test_tools_devsim kzo-devsim)
endif()
