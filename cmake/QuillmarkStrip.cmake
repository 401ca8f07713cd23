# Run by CPack on the staging folder before the package is made: strips the programs as
# Debian's dh_strip does, leaving out the compiler's .comment and .note sections as well.
find_program(QM_STRIP strip REQUIRED)
foreach(name quillmark quillmark-cli quillmark-logger-sim)
  set(program "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/${name}")
  execute_process(COMMAND ${QM_STRIP} --remove-section=.comment --remove-section=.note
                          ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
