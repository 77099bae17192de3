# The thread-sanitizer pass itself: a race after a QProcess start is reported.
if(KZO_TSAN)
    kzo_add_test(kzo_tsan_after_process_test SOURCES TsanAfterProcessTest.cpp DEPS Qt6::Core LABELS threads)
endif()
