# The state fuzzer: setStateInformation against arbitrary blocks, under ASan and UBSan.
add_executable (SelvandrineStateFuzzer tests/fuzz/StateFuzzer.cpp)
target_include_directories (SelvandrineStateFuzzer PRIVATE
    $<TARGET_PROPERTY:SelvandrineCompressor,INCLUDE_DIRECTORIES>
    "${CMAKE_SOURCE_DIR}/Source")
target_link_libraries (SelvandrineStateFuzzer PRIVATE SelvandrineCompressor)
target_link_options (SelvandrineStateFuzzer PRIVATE -fsanitize=fuzzer)
