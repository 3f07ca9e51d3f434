# LARKSPIRE_SANITIZE builds everything with AddressSanitizer and UndefinedBehaviorSanitizer at -O1
# (fast enough for the whole suite, still precise). With clang the same objects also carry
# libFuzzer's coverage, so the fuzz targets in fuzz/ link against the libraries as they are.
option(LARKSPIRE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(LARKSPIRE_SANITIZE)
  add_compile_options(-O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
endif()
