# The installed program: install into a temporary DESTDIR under a prefix other
# than /usr, run the program from there, and check the desktop's files with
# the platform's tools (tests/install/check-install.sh). Only for a full build:
# the manual page needs the program built without sanitizers.
if(NOT WOBBIN_CORE_ONLY AND NOT WOBBIN_SANITIZE AND TARGET wobbin_manpage)
    set(script ${CMAKE_CURRENT_SOURCE_DIR}/install/check-install.sh)
    set(dest ${CMAKE_BINARY_DIR}/test-install)
    add_test(NAME install_layout
        COMMAND bash ${script} layout ${CMAKE_BINARY_DIR} ${dest} ${CMAKE_SOURCE_DIR} ${CMAKE_COMMAND})
    add_test(NAME install_program COMMAND bash ${script} program ${CMAKE_BINARY_DIR} ${dest} ${CMAKE_SOURCE_DIR})
    add_test(NAME install_desktop COMMAND bash ${script} desktop ${CMAKE_BINARY_DIR} ${dest} ${CMAKE_SOURCE_DIR})
    foreach(name install_layout install_program install_desktop)
        wobbin_register_test(${name} install)
    endforeach()
    set_tests_properties(install_layout PROPERTIES FIXTURES_SETUP wobbin_installed)
    set_tests_properties(install_program install_desktop PROPERTIES FIXTURES_REQUIRED wobbin_installed)
endif()
