enable_testing()

# The portable program logic: builds natively and with the cross compiler.
add_library(maj_core STATIC
  app/FichierVersion.cpp
  app/Frm_MAJ.cpp
  app/Rapport.cpp
  app/SeuleMiseANiveau.cpp
  connection/Connexion.cpp
  connection/Frm_Connexion.cpp
  platform/Text.cpp
  platform/TextInput.cpp
  steps/CheminBase.cpp
  steps/ControleCopie.cpp
  steps/CopieInstallMAJ.cpp
  steps/ExecutionMAJ.cpp
  steps/Recup_Base.cpp
)
target_link_libraries(maj_core PUBLIC maj_contract)

option(MAJ_STANDIN "Build the stand-in database server" ON)
if(MAJ_STANDIN AND EXISTS ${CMAKE_SOURCE_DIR}/standin/CMakeLists.txt)
  add_subdirectory(standin)
endif()

if(WIN32)
  foreach(dir connection/com platform/win32 app/win32 tests/e2e)
    if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
else()
  if(EXISTS ${CMAKE_SOURCE_DIR}/tests/CMakeLists.txt)
    add_subdirectory(tests)
  endif()
endif()
