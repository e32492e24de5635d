# Fails when the game library calls a GL, GLU or GLUT function that the frame check
# neither logs nor knows to be set-up only. Run with -DNM, -DLIBRARY, -DLOGGED, -DUNLOGGED.
cmake_minimum_required(VERSION 3.22)
execute_process(COMMAND ${NM} -u ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} -u ${LIBRARY} failed")
endif()
string(REGEX MATCHALL "U (glu?t?[A-Z][A-Za-z0-9_]*)" references "${symbols}")
set(missing "")
foreach(reference ${references})
  string(SUBSTRING "${reference}" 2 -1 name)
  if(NOT name IN_LIST LOGGED AND NOT name IN_LIST UNLOGGED AND NOT name IN_LIST missing)
    list(APPEND missing ${name})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "The game calls ${missing}, which the frame check does not log: add "
                      "it to VANTORA_LOGGED_GL in bench/CMakeLists.txt and a WRAP line to "
                      "bench/frame_check.cpp")
endif()
