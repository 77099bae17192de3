# kzo-flash and the engine against the device simulator over a pty.
if(TARGET kzo-flash AND TARGET kzo-devsim)
    kzo_add_test(test_flash_devsim
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_flash_devsim.cpp
        DEPS Qt6::Core
        LABELS threads
        TIMEOUT 300)
    add_dependencies(test_flash_devsim kzo-flash kzo-devsim)
endif()
if(TARGET kzo-devsim AND TARGET kzo_link)
    kzo_add_test(test_upgrade_link
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_upgrade_link.cpp
        DEPS kzo_upgrade kzo_link
        LABELS threads
        TIMEOUT 180)
    add_dependencies(test_upgrade_link kzo-devsim)
endif()
kzo_add_test(test_flash_job
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_flash_job.cpp
    DEPS kzo_flash_job)
if(TARGET test_flash_devsim)
    target_compile_definitions(test_flash_devsim PRIVATE KZO_VERSION="${PROJECT_VERSION}")
endif()
