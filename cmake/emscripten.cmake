# The browser build with Debian's emscripten (apt-get install emscripten):
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake -DCMAKE_BUILD_TYPE=Release
# the same as `emcmake cmake -S . -B build-web ...`. Everything it links comes
# prebuilt with the package (its cache is read-only); nothing is downloaded.
execute_process(COMMAND em-config EMSCRIPTEN_ROOT OUTPUT_VARIABLE QELO_EMSCRIPTEN_ROOT
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE QELO_EM_CONFIG_STATUS)
if(NOT QELO_EM_CONFIG_STATUS EQUAL 0 OR NOT EXISTS "${QELO_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")
  message(FATAL_ERROR "emscripten is missing: scripts/install-deps web installs it")
endif()
include("${QELO_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")
