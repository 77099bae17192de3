# Upgrade engine and image readers, without a device.
kzo_add_test(test_upgrade_images
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_upgrade_images.cpp
    DEPS kzo_upgrade)
kzo_add_test(test_upgrade_engine
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_upgrade_engine.cpp
    DEPS kzo_upgrade)
kzo_add_test(test_upgrade_threads
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_upgrade_threads.cpp
    DEPS kzo_upgrade
    LABELS threads)
kzo_add_test(test_upgrade_eager
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_upgrade_eager.cpp
    DEPS kzo_upgrade
    LABELS threads)
