cmake_minimum_required(VERSION 3.20)
# Each program's manifest, read back from its resources: all three are
# drawn at the display's scale (dpiAware); setup and the uninstaller ask
# for an administrator, with one namespace on trustInfo (the form XP
# reads); the tray program asks for nothing else, so that its settings
# stay in the user's VirtualStore and its controls keep their look.
#   -DBUILD=<native build folder> -DPECHECK=<pecheck>
set(dpi_aware "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">[ \r\n]*<windowsSettings>[ \r\n]*<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>")
foreach(arch x86 x64)
  foreach(program setup.exe Kelvey.ex_ Tessaron.ex_)
    set(file ${BUILD}/windows-${arch}/dist/${program})
    execute_process(COMMAND ${PECHECK} --manifest ${file} OUTPUT_VARIABLE manifest RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(SEND_ERROR "${arch} ${program}: ${manifest}")
      continue()
    endif()
    if(NOT manifest MATCHES "${dpi_aware}")
      message(SEND_ERROR "${arch} ${program} does not declare dpiAware: ${manifest}")
    endif()
    if(program STREQUAL "Tessaron.ex_")
      foreach(element requestedExecutionLevel trustInfo dependency compatibility)
        if(manifest MATCHES "<${element}")
          message(SEND_ERROR "${arch} ${program} carries ${element}: ${manifest}")
        endif()
      endforeach()
      message(STATUS "${arch} ${program}: dpiAware and nothing else")
    elseif(NOT manifest MATCHES "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">"
           OR NOT manifest MATCHES "<requestedExecutionLevel level=\"requireAdministrator\"")
      message(SEND_ERROR "${arch} ${program} asks for no administrator in the XP form: ${manifest}")
    else()
      message(STATUS "${arch} ${program}: dpiAware and requireAdministrator")
    endif()
  endforeach()
endforeach()
