# libFuzzer targets, one per file in fuzz/. Needs clang; configure a separate
# tree with -DQUILLON_FUZZ=ON -DQUILLON_SANITIZE=ON (scripts/fuzz-smoke.sh does).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "QUILLON_FUZZ needs clang (for example -DCMAKE_CXX_COMPILER=clang++-14)")
endif()

# The code under test carries the fuzzer's coverage hooks; only the targets get its main().
foreach(lib quillon_core quillon_sim)
  target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link)
endforeach()

add_library(quillon_fuzz_support STATIC ${CMAKE_SOURCE_DIR}/tests/support/scripted_ui.cpp)
target_include_directories(quillon_fuzz_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(quillon_fuzz_support PUBLIC quillon_core quillon_sim)

file(GLOB QUILLON_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
foreach(src ${QUILLON_FUZZ_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(fuzz_${name} ${src})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_${name} PRIVATE quillon_fuzz_support)
endforeach()
