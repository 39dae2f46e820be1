# The portable program logic: builds natively and with the cross compiler.
if(EXISTS ${CMAKE_SOURCE_DIR}/app/Driver.cpp)
  add_library(maj_core STATIC
    app/Driver.cpp
  )
  target_link_libraries(maj_core PUBLIC maj_contract)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/standin/CMakeLists.txt)
  add_subdirectory(standin)
endif()

if(WIN32)
  foreach(dir connection/com platform/win32 app/win32 tests/e2e)
    if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
else()
  enable_testing()
  if(EXISTS ${CMAKE_SOURCE_DIR}/tests/CMakeLists.txt)
    add_subdirectory(tests)
  endif()
endif()
