# The main window's hand-over to the companion editor talks to the fake
# companion on a session bus of its own (see the marker in the test's source).
if(TARGET gui_test_main_companion AND TARGET app_fake_companion)
    add_dependencies(gui_test_main_companion app_fake_companion)
endif()
