# Export and import as the tools page runs them, against a fake device I/O.
kzo_add_test(test_paramfile_actions
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_paramfile_actions.cpp
    DEPS kzo_paramfiles)
