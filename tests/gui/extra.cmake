# The main window's hand-over to the companion editor talks to the fake
# companion on a session bus of its own.
find_program(DBUS_RUN_SESSION dbus-run-session)
if(TARGET gui_test_main_companion AND TARGET app_fake_companion)
    add_dependencies(gui_test_main_companion app_fake_companion)
    if(DBUS_RUN_SESSION)
        set_tests_properties(gui_test_main_companion PROPERTIES DISABLED TRUE)
        add_test(NAME gui_test_main_companion_bus
                 COMMAND ${DBUS_RUN_SESSION} -- $<TARGET_FILE:gui_test_main_companion>)
        wobbin_register_test(gui_test_main_companion_bus gui)
    endif()
endif()
