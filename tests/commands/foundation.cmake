# Command geometry, acknowledgement readers, the application model and the
# global configuration.
kzo_add_test(test_commands_geometry SOURCES test_commands_geometry.cpp DEPS kzo_commands)
kzo_add_test(test_commands_ack_decode SOURCES test_commands_ack_decode.cpp DEPS kzo_commands)
kzo_add_test(test_commands_app_model SOURCES test_commands_app_model.cpp DEPS kzo_commands kzo_config LABELS threads)
