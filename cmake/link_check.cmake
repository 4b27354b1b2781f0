# The layering check: a target registered with kv_forbid_toolkit must not bring the window toolkit into
# whatever links it. The compiler cannot see this (a header of Qt Core is fine, one of Qt Widgets may be
# reached through a link dependency two levels down), so the test reads the linked file itself.
#
#   kv_forbid_toolkit(<target>...)
#
# Callable from any folder once this file is included, also before <target> is defined: the checks are
# set up when the top-level folder has been read. Each target gets one CTest test, no_toolkit_<target>
# (label frame), which fails naming the library when libQt6Widgets, libQt6Gui or libQt6DBus is NEEDED.
#
# A static or interface library is judged by a tiny executable that links it with -Wl,--no-as-needed, so
# every shared library of its link closure shows up as NEEDED even though the empty main uses none of it.
# A module, shared library or executable is judged by its own file.
#
# Run as a script (cmake -DKV_READELF=... -DKV_FILE=... -DKV_TARGET=... -P link_check.cmake), this file
# is the test.

set(KV_FORBIDDEN_TOOLKIT_LIBRARIES "^lib(Qt6Widgets|Qt6Gui|Qt6DBus)\\.so")

if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(
    COMMAND "${KV_READELF}" -d "${KV_FILE}"
    RESULT_VARIABLE status
    OUTPUT_VARIABLE dynamic
    ERROR_VARIABLE problem)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${KV_TARGET}: cannot read the dynamic section of ${KV_FILE}: ${problem}")
  endif()
  string(REPLACE "\n" ";" lines "${dynamic}")
  set(needed "")
  foreach(line IN LISTS lines)
    if(line MATCHES "\\(NEEDED\\).*\\[(.+)\\]")
      list(APPEND needed "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  # Every program and module needs at least the C library: an empty list means the reading went wrong,
  # not that the file is clean.
  if(NOT needed)
    message(FATAL_ERROR "${KV_TARGET}: no NEEDED entry in ${KV_FILE}")
  endif()
  set(offending "")
  foreach(library IN LISTS needed)
    if(library MATCHES "${KV_FORBIDDEN_TOOLKIT_LIBRARIES}")
      list(APPEND offending "${library}")
    endif()
  endforeach()
  if(offending)
    list(JOIN offending ", " offending)
    message(FATAL_ERROR "${KV_TARGET} must stay free of the window toolkit, but its link closure needs "
                        "${offending} (${KV_FILE}). Find the link dependency that brings it in.")
  endif()
  list(JOIN needed ", " needed)
  message(STATUS "${KV_TARGET} is free of the window toolkit; it needs ${needed}")
  return()
endif()

include_guard(GLOBAL)

find_program(KV_READELF readelf REQUIRED)
set(KV_LINK_CHECK_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

function(kv_forbid_toolkit)
  set_property(GLOBAL APPEND PROPERTY KV_TOOLKIT_FREE_TARGETS ${ARGN})
endfunction()

function(_kv_set_up_link_checks)
  get_property(targets GLOBAL PROPERTY KV_TOOLKIT_FREE_TARGETS)
  if(NOT targets)
    return()
  endif()
  list(REMOVE_DUPLICATES targets)
  set(empty_main "${CMAKE_BINARY_DIR}/link_check/empty_main.cpp")
  file(CONFIGURE OUTPUT "${empty_main}" CONTENT "int main() { return 0; }\n")
  foreach(target IN LISTS targets)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "kv_forbid_toolkit: there is no target ${target}")
    endif()
    get_target_property(aliased ${target} ALIASED_TARGET)
    if(aliased)
      set(target ${aliased})
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY" OR type STREQUAL "INTERFACE_LIBRARY")
      set(probe kv_link_check_${target})
      add_executable(${probe} "${empty_main}")
      target_link_libraries(${probe} PRIVATE ${target})
      target_link_options(${probe} PRIVATE -Wl,--no-as-needed)
      set_target_properties(${probe} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/link_check"
        AUTOMOC OFF)
      set(file "$<TARGET_FILE:${probe}>")
    elseif(type MATCHES "^(MODULE_LIBRARY|SHARED_LIBRARY|EXECUTABLE)$")
      set(file "$<TARGET_FILE:${target}>")
    else()
      message(FATAL_ERROR "kv_forbid_toolkit: ${target} is a ${type}; only libraries and executables "
                          "are linked")
    endif()
    add_test(NAME no_toolkit_${target}
      COMMAND ${CMAKE_COMMAND} "-DKV_READELF=${KV_READELF}" "-DKV_FILE=${file}" "-DKV_TARGET=${target}"
              -P "${KV_LINK_CHECK_SCRIPT}")
    set_tests_properties(no_toolkit_${target} PROPERTIES LABELS frame)
  endforeach()
endfunction()

# At the end of the top-level folder every target of the tree exists and testing is enabled there.
cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL _kv_set_up_link_checks)
