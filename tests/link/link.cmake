# Serial port, device finder and serial device I/O, against pseudo-terminals.
kzo_add_test(kzo_link_serial_test SOURCES SerialTest.cpp DEPS kzo_link LABELS threads)
kzo_add_test(kzo_link_finder_test SOURCES FinderTest.cpp DEPS kzo_link LABELS threads)
kzo_add_test(kzo_link_devio_test SOURCES SimpleDevIoTest.cpp DEPS kzo_link LABELS threads)
