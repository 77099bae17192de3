# The fault matrix: every upgrade path, the read-all and the firmware update
# flow against the simulators under each fault they inject. The paths are
# split over two programs so ctest can run them side by side; each runs its
# cells in parallel child processes.
if(TARGET kzo-flash AND TARGET kzo-devsim AND TARGET kzo_link)
    foreach(group "direct;mc,cmu,imu,read-all" "relay;pitch,roll,yaw,can")
        list(GET group 0 suffix)
        list(GET group 1 paths)
        set(t test_fault_matrix_${suffix})
        kzo_add_test(${t}
            SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_fault_matrix_flash.cpp
                    ${CMAKE_CURRENT_LIST_DIR}/FaultMatrix.cpp ${CMAKE_CURRENT_LIST_DIR}/FaultMatrix.h
                    ${CMAKE_CURRENT_LIST_DIR}/FlashMatrix.cpp ${CMAKE_CURRENT_LIST_DIR}/FlashMatrix.h
                    ${CMAKE_CURRENT_LIST_DIR}/ReadAllCell.cpp ${CMAKE_CURRENT_LIST_DIR}/ReadAllCell.h
            DEPS kzo_commands kzo_link Qt6::Core
            LABELS integration threads
            TIMEOUT 240)
        target_compile_definitions(${t} PRIVATE KZO_MATRIX_PATHS="${paths}")
        add_dependencies(${t} kzo-flash kzo-devsim)
    endforeach()
endif()
if(TARGET kzo_updater AND TARGET kzo-updsim AND TARGET kzo-devsim AND TARGET kzo_link)
    kzo_add_test(test_fault_matrix_update
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_fault_matrix_update.cpp ${CMAKE_CURRENT_LIST_DIR}/UpdaterFixture.h
                ${CMAKE_CURRENT_LIST_DIR}/FaultMatrix.cpp ${CMAKE_CURRENT_LIST_DIR}/FaultMatrix.h
        DEPS kzo_updater kzo_link
        LABELS integration threads
        TIMEOUT 240)
    add_dependencies(test_fault_matrix_update kzo-updsim kzo-devsim)
endif()
