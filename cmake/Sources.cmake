enable_testing()

# The portable program logic, one library per layer, each linking only the
# layers below it (tests/check_layers.py checks the includes the same way).
# All build natively and with the cross compiler.
add_library(maj_platform STATIC
  platform/Text.cpp
  platform/TextInput.cpp
)
target_link_libraries(maj_platform PUBLIC maj_contract)

# The run state's own code: the run log.
add_library(maj_state STATIC
  state/RunLog.cpp
)
target_link_libraries(maj_state PUBLIC maj_platform)

add_library(maj_steps STATIC
  steps/BasePath.cpp
  steps/CopyChecks.cpp
  steps/CopyReadiness.cpp
  steps/CopieInstallMAJ.cpp
  steps/ExecutionMAJ.cpp
  steps/Recup_Base.cpp
)
target_link_libraries(maj_steps PUBLIC maj_state)

add_library(maj_connection STATIC
  connection/Connexion.cpp
  connection/Frm_Connexion.cpp
)
target_link_libraries(maj_connection PUBLIC maj_state)

# The driver, the report and the marker file: the top of the core.
add_library(maj_core STATIC
  app/CommandLine.cpp
  app/ExitCode.cpp
  app/Frm_MAJ.cpp
  app/PreCheck.cpp
  app/Rapport.cpp
  app/Run.cpp
  app/Silent.cpp
  app/SessionEnd.cpp
  app/SingleRun.cpp
  app/VersionFile.cpp
)
target_link_libraries(maj_core PUBLIC maj_steps maj_connection)
# The program's version, from the project's: the run log's first line shows
# it, the version resource carries the same (app/win32/Version.h.in).
target_compile_definitions(maj_core PUBLIC
  MAJ_PROGRAM_VERSION="${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")

option(MAJ_STANDIN "Build the stand-in database server" ON)
if(MAJ_STANDIN AND EXISTS ${CMAKE_SOURCE_DIR}/standin/CMakeLists.txt)
  add_subdirectory(standin)
endif()

if(WIN32)
  foreach(dir support/win32 connection/com platform/win32 app/win32 tests/win32 tests/e2e
              release)
    if(MAJ_PROGRAM_ONLY AND dir MATCHES "^tests/")
      continue()
    endif()
    if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
else()
  if(EXISTS ${CMAKE_SOURCE_DIR}/tests/CMakeLists.txt)
    add_subdirectory(tests)
  endif()
endif()
