# The parameter file, the block frames and the block counter, without windows.
kzo_add_test(test_paramfile_format
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_paramfile_format.cpp
    DEPS kzo_paramfiles)
