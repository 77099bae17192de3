# The gimbal calibration page: in process on a fake device, and against kzo-devsim.
kzo_add_test(test_tx_cali SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tx_cali.cpp DEPS kzo_pages LABELS threads)
kzo_add_test(test_tx_cali_devsim SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tx_cali_devsim.cpp DEPS kzo_pages kzo_link LABELS threads TIMEOUT 120)
if(TARGET kzo-devsim)
    add_dependencies(test_tx_cali_devsim kzo-devsim)
endif()
