# The help integration, against the real compiled help file in the program folder.
ombrex_add_test(app_help_viewer GUI SOURCES HelpViewerTest.cpp LIBS ombrex_app Qt6::Test)
ombrex_add_test(app_help_context GUI SOURCES HelpContextTest.cpp LIBS ombrex_app Qt6::Test)
ombrex_add_test(app_help_log GUI SOURCES HelpDebugLogTest.cpp LIBS ombrex_app Qt6::Test)
foreach(t app_help_viewer app_help_context app_help_log)
    add_dependencies(${t} ombrex_help)
endforeach()
