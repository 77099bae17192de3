# The calibration page's bundled help documents, in every language offered.
kzo_add_test(test_cali_help_docs SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cali_help_docs.cpp DEPS kzo_pages TIMEOUT 180)
