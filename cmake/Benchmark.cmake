# Prints the processor's cost per frame and realtime factor; built by default so CI compiles it,
# run by hand only.
add_executable (SelvandrineBenchmark
    bench/Main.cpp
    bench/TestSignal.cpp)

# As the tests do: the module headers only, the shipping code from the shared-code library.
target_include_directories (SelvandrineBenchmark PRIVATE
    $<TARGET_PROPERTY:SelvandrineCompressor,INCLUDE_DIRECTORIES>
    "${CMAKE_SOURCE_DIR}/Source")
target_link_libraries (SelvandrineBenchmark PRIVATE SelvandrineCompressor)
