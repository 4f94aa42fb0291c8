# The main window's hand-over to the companion editor talks to the fake
# companion on a session bus of its own (see the marker in the test's source).
if(TARGET gui_test_main_companion AND TARGET app_fake_companion)
    add_dependencies(gui_test_main_companion app_fake_companion)
endif()

# The accessibility tests switch Qt's accessibility on, as a screen reader
# does, through the platform integration (a private interface of Qt).
if(TARGET gui_test_main_accessible)
    target_link_libraries(gui_test_main_accessible PRIVATE Qt6::GuiPrivate)
endif()
