# Prints the size of a built program and the DLLs it imports.
#   cmake -DEXE=<file> -DOBJDUMP=<objdump> -P report-size.cmake
file(SIZE "${EXE}" size)
execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE dump)
string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${dump}")
list(TRANSFORM dlls REPLACE "DLL Name: " "")
string(JOIN ", " dlls ${dlls})
get_filename_component(name "${EXE}" NAME)
message(STATUS "${name}: ${size} bytes; imports ${dlls}")
