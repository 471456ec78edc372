# The command line's documents: the manual page quillbox.1, made at build time by help2man from
# the program's own help (skipped, with a note, when help2man is missing), and the bash completion.
# help2man runs the program in a UTF-8 locale, so the page keeps its non-ASCII text (¢, í, æ).
find_program(QUILLBOX_HELP2MAN help2man)
if(QUILLBOX_HELP2MAN)
  set(QUILLBOX_MAN_PAGE ${CMAKE_CURRENT_BINARY_DIR}/quillbox.1)
  add_custom_command(
    OUTPUT ${QUILLBOX_MAN_PAGE}
    COMMAND ${QUILLBOX_HELP2MAN} --locale=C.UTF-8 --no-info --no-discard-stderr --help-option=--help-all --version-option=--version
            "--name=toolbox for source code, text files and databases" --section=1
            --output=${QUILLBOX_MAN_PAGE} $<TARGET_FILE:quillbox>
    DEPENDS quillbox
    COMMENT "Writing the manual page quillbox.1"
    VERBATIM)
  add_custom_target(quillbox_man ALL DEPENDS ${QUILLBOX_MAN_PAGE})
  install(FILES ${QUILLBOX_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: the manual page quillbox.1 is not made")
endif()
install(FILES completion/quillbox.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME quillbox)
