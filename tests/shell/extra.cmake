# The start-up tests run the real program: it must be built first, and they
# need a session bus of their own for the message service.
find_program(DBUS_RUN_SESSION dbus-run-session)
if(TARGET shell_test_app_process)
    add_dependencies(shell_test_app_process wobbin-express)
    if(DBUS_RUN_SESSION)
        set_tests_properties(shell_test_app_process PROPERTIES DISABLED TRUE)
        add_test(NAME shell_test_app_process_bus
                 COMMAND ${DBUS_RUN_SESSION} -- $<TARGET_FILE:shell_test_app_process>)
        wobbin_register_test(shell_test_app_process_bus shell)
    endif()
endif()
