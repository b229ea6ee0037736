cmake_minimum_required(VERSION 3.20)
# The instruction check must refuse a program built for the Pentium Pro,
# naming the conditional move and its address.
#   -DPECHECK=<pecheck> -DOBJDUMP=<i686 objdump> -DPROGRAM=<pentiumpro.exe>
execute_process(COMMAND ${PECHECK} --i486 ${OBJDUMP} ${PROGRAM} OUTPUT_VARIABLE out ERROR_VARIABLE out
  RESULT_VARIABLE result)
message("${out}")
if(result EQUAL 0)
  message(FATAL_ERROR "pecheck --i486 accepted a program built for the Pentium Pro")
endif()
if(NOT out MATCHES "pentiumpro[.]exe: 0x[0-9a-f]+: cmov[a-z]+: conditional move")
  message(FATAL_ERROR "pecheck --i486 did not name a conditional move and its address")
endif()
