# The two transfer dialogs against a fake device I/O.
kzo_add_test(test_paramfile_dialogs
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_paramfile_dialogs.cpp
    DEPS kzo_paramfiles
    LABELS threads)
