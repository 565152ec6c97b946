# Writes a release archive from the files CPack staged, with CMake's own
# archive writer: the entries sorted by name, without folder entries, all
# dated SOURCE_DATE_EPOCH, so that one commit gives the same bytes. (The
# archive generators of CPack add files in the order the file system lists
# them, which differs from one machine to another.)
set(stage ${CPACK_TEMPORARY_DIRECTORY})
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${stage} ${stage}/*)
list(SORT files)
list(JOIN files "\n" lines)
set(list_file ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.files)
file(WRITE ${list_file} "${lines}\n")

# The archive writer gives every entry this time, as modification, access
# and creation time alike (an explicit --mtime would leave the other two).
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} 315532800)
endif()
set(archive ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.${CPACK_TARN_ARCHIVE})
if(CPACK_TARN_ARCHIVE STREQUAL "zip")
  set(mode cf)
  set(format zip)
else()
  set(mode czf)
  set(format gnutar)
endif()
file(REMOVE ${archive})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar ${mode} ${archive} --format=${format} --files-from=${list_file}
  WORKING_DIRECTORY ${stage}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "writing ${archive} failed: ${result}")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES ${archive})
