# The standalone application as a person starts it: its window on the test's X display, checked
# from a screenshot, then closed with its close button.
add_test (NAME StandaloneWindow
          COMMAND "${CMAKE_SOURCE_DIR}/tests/standalone/check-standalone-window.sh"
                  "$<TARGET_FILE:SelvandrineCompressor_Standalone>" "${SELVANDRINE_WEBSITE}"
                  "${CMAKE_BINARY_DIR}/standalone-window")

# It takes the screen in turn with the other tests that check what a window shows; 77 is its
# word for a build whose editor would ask a real address.
set_tests_properties (StandaloneWindow PROPERTIES TIMEOUT 120 RESOURCE_LOCK screen SKIP_RETURN_CODE 77)

# In the sanitizer build the application's exit would report what the system's audio and window
# libraries that it loads and unloads at run time keep; the leak check cannot even name them. The
# application's own code is checked for leaks by the unit and host tests.
set_tests_properties (StandaloneWindow PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
