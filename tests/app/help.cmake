# The help integration, against the real compiled help file in the program folder.
ombrex_add_test(app_help_viewer GUI SOURCES HelpViewerTest.cpp LIBS ombrex_app Qt6::Test)
ombrex_add_test(app_help_context GUI SOURCES HelpContextTest.cpp LIBS ombrex_app Qt6::Test)
ombrex_add_test(app_help_log GUI SOURCES HelpDebugLogTest.cpp LIBS ombrex_app Qt6::Test)
foreach(t app_help_viewer app_help_context app_help_log)
    add_dependencies(${t} ombrex_help)
endforeach()

# make install's layout, installed from this build into the test's own folder.
ombrex_add_test(app_help_install GUI SOURCES HelpInstallTest.cpp LIBS Qt6::Gui)
target_compile_definitions(app_help_install PRIVATE
    OMBREX_CMAKE_COMMAND="${CMAKE_COMMAND}" OMBREX_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(app_help_install ombrex ombrex_help ombrex_icons)
