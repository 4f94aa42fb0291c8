# The start-up tests run the real program, which must be built first; they run
# under a session bus of their own for the message service (see the marker in
# their source).
if(TARGET shell_test_app_process)
    add_dependencies(shell_test_app_process wobbin-express)
endif()
