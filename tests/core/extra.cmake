# The fake companion editor (a D-Bus service) used by the companion tests here
# and by the main window's hand-over tests: WOBBIN_FAKE_COMPANION is its path.
add_executable(app_fake_companion ${CMAKE_CURRENT_SOURCE_DIR}/support/app_fake_companion/main.cpp)
target_link_libraries(app_fake_companion PRIVATE Qt6::Core Qt6::DBus)
target_compile_definitions(wobbin_testsupport PUBLIC
    WOBBIN_FAKE_COMPANION="$<TARGET_FILE:app_fake_companion>")

# The companion tests run under a session bus of their own (see the marker in
# their source) and talk to the fake companion.
if(TARGET core_test_app_companion)
    add_dependencies(core_test_app_companion app_fake_companion)
endif()

# The export tests run the built program.
if(TARGET core_test_cli_export AND TARGET wobbin-express)
    add_dependencies(core_test_cli_export wobbin-express)
endif()

# The server-list command runs the built program too.
if(TARGET core_test_publish_cli AND TARGET wobbin-express)
    add_dependencies(core_test_publish_cli wobbin-express)
endif()

# The publish tests run the built program.
if(TARGET core_test_publish_upload_cli AND TARGET wobbin-express)
    add_dependencies(core_test_publish_upload_cli wobbin-express)
endif()

# The check of a published page runs the built program.
if(TARGET core_test_publish_verify_cli AND TARGET wobbin-express)
    add_dependencies(core_test_publish_verify_cli wobbin-express)
endif()

# The thumbnail tests run the built program too.
if(TARGET core_test_cli_thumbnail AND TARGET wobbin-express)
    add_dependencies(core_test_cli_thumbnail wobbin-express)
endif()

# The pages written to fit phones are exported by the built program.
if(TARGET core_test_page_phones_tools AND TARGET wobbin-express)
    add_dependencies(core_test_page_phones_tools wobbin-express)
endif()

# The SSH key tests publish with the built program too.
if(TARGET core_test_publish_sftp_keys AND TARGET wobbin-express)
    add_dependencies(core_test_publish_sftp_keys wobbin-express)
endif()
