# Definitions every test and benchmark program gets: where the sources and
# the built programs with their data are.
function(vantor_paths target)
  target_compile_definitions(${target} PRIVATE
    VANTOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VANTOR_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  if(TARGET vantor_data)
    add_dependencies(${target} vantor_data)
  endif()
endfunction()

function(vantor_print_summary)
  get_property(parts GLOBAL PROPERTY VANTOR_SUMMARY_LINES)
  message(STATUS "Vantor ${PROJECT_VERSION}, optional parts:\n${VANTOR_SUMMARY}${parts}")
endfunction()

# For parts decided in a subdirectory (the Python module).
function(vantor_add_summary line)
  set_property(GLOBAL APPEND_STRING PROPERTY VANTOR_SUMMARY_LINES "  ${line}\n")
endfunction()
