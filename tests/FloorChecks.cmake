# Builds each floor check (TARGET|HEADER, separated by ';' in CHECKS) and fails unless
# every one of them fails to compile because its header cannot be found.
foreach(check ${CHECKS})
  string(REPLACE "|" ";" parts "${check}")
  list(GET parts 0 target)
  list(GET parts 1 header)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(result EQUAL 0)
    message(FATAL_ERROR "${target}: ${header} compiled where it must not be reachable")
  endif()
  string(FIND "${output}" "${header}: No such file or directory" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${target} failed, but not for want of ${header}:\n${output}")
  endif()
  message(STATUS "${target}: ${header} is out of reach")
endforeach()
