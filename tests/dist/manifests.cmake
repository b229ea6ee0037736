cmake_minimum_required(VERSION 3.20)
# Setup and the uninstaller carry the manifest that asks for an
# administrator, with one namespace on trustInfo (the form XP reads); the
# tray program carries none, so that its settings stay in the user's
# VirtualStore.   -DBUILD=<native build folder>
foreach(arch x86 x64)
  foreach(program setup.exe Kelvey.ex_ Tessaron.ex_)
    set(file ${BUILD}/windows-${arch}/dist/${program})
    file(STRINGS ${file} levels REGEX "requestedExecutionLevel")
    file(STRINGS ${file} trust REGEX "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">")
    if(program STREQUAL "Tessaron.ex_")
      if(levels)
        message(SEND_ERROR "${arch} ${program} carries a manifest: ${levels}")
      endif()
    elseif(NOT levels MATCHES "level=\"requireAdministrator\"" OR NOT trust)
      message(SEND_ERROR "${arch} ${program} asks for no administrator in the XP form: ${levels} ${trust}")
    endif()
  endforeach()
endforeach()
