# Renders the gallery into a fresh folder and checks it:
#   cmake -DDEMO=... -DCHECK=... -DDIR=... -P run_gallery_test.cmake
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
execute_process(COMMAND ${DEMO} ${DIR} RESULT_VARIABLE demo_result OUTPUT_QUIET)
if(NOT demo_result EQUAL 0)
  message(FATAL_ERROR "the demo failed (${demo_result})")
endif()
execute_process(COMMAND ${CHECK} ${DIR} 14 RESULT_VARIABLE check_result)
if(NOT check_result EQUAL 0)
  message(FATAL_ERROR "the gallery check failed")
endif()
