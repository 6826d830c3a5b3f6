# The standalone application as a person starts it: its window on the test's X display, checked
# from a screenshot, then closed with its close button.
add_test (NAME StandaloneWindow
          COMMAND "${CMAKE_SOURCE_DIR}/tests/standalone/check-standalone-window.sh"
                  "$<TARGET_FILE:SelvandrineCompressor_Standalone>" "${SELVANDRINE_WEBSITE}"
                  "${CMAKE_BINARY_DIR}/standalone-window")

# It takes the screen in turn with the other tests that check what a window shows; 77 is its
# word for a build whose editor would ask a real address.
set_tests_properties (StandaloneWindow PROPERTIES TIMEOUT 120 RESOURCE_LOCK screen SKIP_RETURN_CODE 77)
