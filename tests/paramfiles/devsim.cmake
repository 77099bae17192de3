# Export and import against kzo-devsim over a pty.
kzo_add_test(test_paramfile_devsim
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_paramfile_devsim.cpp
    DEPS kzo_paramfiles kzo_link
    LABELS threads
    TIMEOUT 120)
if(TARGET kzo-devsim)
    add_dependencies(test_paramfile_devsim kzo-devsim)
endif()
