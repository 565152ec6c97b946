# The release archive of this build: what it holds and how CPack writes it
# (scripts/release runs CPack in the linux, windows and windows32 builds).
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(platform windows-x64)
  set(programs tarn tarnw tarn-pack)
elseif(WIN32)
  set(platform windows-x86)
  set(programs tarn tarnw)
else()
  set(platform linux-x64)
  set(programs tarn tarn-pack)
  # The Linux images are built with debug information; users get them
  # without, as they must be before packing.
  set(CPACK_STRIP_FILES ON)
endif()

install(TARGETS ${programs} RUNTIME DESTINATION .)
install(FILES README.md LICENSE THIRD-PARTY-NOTICES.txt CHANGELOG.md DESTINATION .)
install(DIRECTORY docs examples DESTINATION .)

# CPack then builds nothing itself: scripts/release builds just the programs.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME tarn)
set(CPACK_PACKAGE_FILE_NAME tarn-${PROJECT_VERSION}-${platform})
set(CPACK_PACKAGING_INSTALL_PREFIX /${CPACK_PACKAGE_FILE_NAME})
# CPack stages the files; the script writes the archive from them.
set(CPACK_GENERATOR External)
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/release_archive.cmake)
if(WIN32)
  set(CPACK_TARN_ARCHIVE zip)
else()
  set(CPACK_TARN_ARCHIVE tar.gz)
endif()
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
