# Build-wide switches for CI: warnings as errors, the sanitizer build and the fuzz targets. Included from
# the top-level file before any target exists, so that every target of the tree gets the same flags.
#
#   KV_WERROR    warnings in our code fail the build (Qt, FFmpeg, pugixml and GoogleTest headers come in
#                as system headers through their imported targets or the compiler's own search path, so
#                their warnings never count)
#   KV_SANITIZE  AddressSanitizer (with leak detection) and UBSan; a finding ends the program
#   KV_FUZZ      the libFuzzer targets of tests/fuzz (clang; with KV_SANITIZE, or alone for fast runs)

option(KV_WERROR "Treat compiler warnings in the project's own code as errors" ON)
option(KV_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KV_FUZZ "Build the libFuzzer targets of tests/fuzz and their seed replay tests (clang)" OFF)

if(KV_WERROR)
  add_compile_options(-Werror)
endif()

if(KV_SANITIZE)
  # Recovering from undefined behaviour would let a test pass over it.
  set(kv_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  add_compile_options(${kv_sanitizers} -fno-omit-frame-pointer)
  add_link_options(${kv_sanitizers})
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # clang links its static runtime into executables only and leaves a module's __asan_* references
    # undefined, which the modules' -Wl,--no-undefined refuses. The shared runtime resolves them at link
    # time and is the one runtime of the host and every module it loads (gcc does this by default).
    execute_process(
      COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libclang_rt.asan-x86_64.so
      OUTPUT_VARIABLE kv_asan_runtime
      OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${kv_asan_runtime}" OR NOT EXISTS "${kv_asan_runtime}")
      message(FATAL_ERROR "KV_SANITIZE: ${CMAKE_CXX_COMPILER} has no shared AddressSanitizer runtime "
                          "(Debian: libclang-rt-14-dev)")
    endif()
    get_filename_component(kv_asan_runtime_dir "${kv_asan_runtime}" DIRECTORY)
    # The runtime is not in the loader's search path.
    add_link_options(-shared-libasan "-Wl,-rpath,${kv_asan_runtime_dir}")
  endif()
  # pixman, which FFmpeg's libraries bring in through cairo, allocates its implementation table in its
  # library constructor and never frees it. A test that unloads the media engine module can take pixman
  # out of the process with it; LeakSanitizer then reports the table with no library name on its stack,
  # which no suppression can match. Every program of this build keeps pixman loaded instead.
  find_library(KV_SANITIZE_PIXMAN NAMES libpixman-1.so.0)
  if(KV_SANITIZE_PIXMAN)
    add_link_options("$<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:-Wl,--push-state,--no-as-needed;${KV_SANITIZE_PIXMAN};-Wl,--pop-state>")
  endif()
endif()

if(KV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KV_FUZZ needs clang's libFuzzer: configure with CXX=clang++ (CC=clang)")
  endif()
  # The fuzz targets link the program's own libraries; those get coverage hooks whose default no-op
  # definitions live in the sanitizer runtime, which every other program and module linking them needs.
  # Without the sanitizers only the fuzz targets themselves link: a tree for fast runs that catch
  # crashes, hangs and broken properties but not silent bad reads (scripts/fuzz-probe with
  # FUZZ_SANITIZE=0 builds just its target there).
  if(NOT KV_SANITIZE)
    message(STATUS "KV_FUZZ without KV_SANITIZE: build only the fuzz targets in this tree")
  endif()
endif()
