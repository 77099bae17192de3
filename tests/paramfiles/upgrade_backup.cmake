# The parameter copy around a main-controller upgrade, against kzo-devsim.
kzo_add_test(test_upgrade_backup
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_upgrade_backup.cpp
    DEPS kzo_paramfiles kzo_link
    LABELS threads
    TIMEOUT 120)
if(TARGET kzo-devsim)
    add_dependencies(test_upgrade_backup kzo-devsim)
endif()
