# whisper.cpp, the speech engine on this computer: the system's copy when pkg-config knows one,
# otherwise the one scripts/build-whisper.sh built into this machine's cache. Either way the
# target quillo_whisper links it; nothing is fetched or built here.
pkg_check_modules(WHISPER QUIET IMPORTED_TARGET whisper)
add_library(quillo_whisper INTERFACE)
set(QUILLO_WHISPER_CLI "" CACHE INTERNAL "whisper.cpp's command-line tool, for the benchmarks")
if(WHISPER_FOUND)
  message(STATUS "whisper.cpp: the system's ${WHISPER_VERSION}")
  target_link_libraries(quillo_whisper INTERFACE PkgConfig::WHISPER)
  find_program(whisper_cli_program whisper-cli)
  if(whisper_cli_program)
    set(QUILLO_WHISPER_CLI "${whisper_cli_program}" CACHE INTERNAL "")
  endif()
  return()
endif()

execute_process(COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/build-whisper.sh" --print-prefix
                OUTPUT_VARIABLE cache_prefix OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(QUILLO_WHISPER_PREFIX "${cache_prefix}" CACHE PATH "Where the built whisper.cpp is installed")
if(NOT EXISTS "${QUILLO_WHISPER_PREFIX}/.complete")
  message(FATAL_ERROR "whisper.cpp is not built on this machine (looked in ${QUILLO_WHISPER_PREFIX}):"
                      " run scripts/setup.sh or scripts/build-whisper.sh first")
endif()
# whisper's package file looks for ggml without a path of its own: the prefix tells it where.
list(PREPEND CMAKE_PREFIX_PATH "${QUILLO_WHISPER_PREFIX}")
find_package(whisper CONFIG REQUIRED PATHS "${QUILLO_WHISPER_PREFIX}" NO_DEFAULT_PATH)
message(STATUS "whisper.cpp: ${WHISPER_VERSION} from ${QUILLO_WHISPER_PREFIX}")
target_link_libraries(quillo_whisper INTERFACE whisper)
# The cache's ggml has the Vulkan backend built in. ggml's package file already links it and the
# Vulkan loader through ggml::ggml; naming them here keeps the dependency visible, and the
# definition tells the engine it can offer the graphics card. With the backend linked
# statically the executable needs libvulkan.so.1 to start (the package declares libvulkan1);
# without a driver the loader lists no device and the engine stays on the processor.
if(TARGET ggml::ggml-vulkan)
  find_package(Vulkan REQUIRED)
  message(STATUS "whisper.cpp: with the Vulkan backend (Vulkan ${Vulkan_VERSION})")
  target_link_libraries(quillo_whisper INTERFACE ggml::ggml-vulkan Vulkan::Vulkan)
  target_compile_definitions(quillo_whisper INTERFACE QUILLO_WHISPER_HAS_VULKAN)
endif()
# The cached build targets x86-64-v3; the engine checks the processor before it loads a model.
target_compile_definitions(quillo_whisper INTERFACE QUILLO_WHISPER_NEEDS_X86_64_V3)
set(QUILLO_WHISPER_CLI "${QUILLO_WHISPER_PREFIX}/bin/whisper-cli" CACHE INTERNAL "")
