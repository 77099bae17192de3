# kzo-flash's port listing, flash log and parameter backup against the
# device simulator and ptys.
if(TARGET kzo-flash AND TARGET kzo-devsim)
    kzo_add_test(test_flash_bench
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_flash_bench.cpp
        DEPS kzo_upgrade PkgConfig::UDEV
        LABELS threads
        TIMEOUT 120)
    add_dependencies(test_flash_bench kzo-flash kzo-devsim)
endif()
