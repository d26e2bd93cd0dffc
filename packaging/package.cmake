# The Debian package (scripts/package.sh): what an install puts where, and
# CPack's DEB generator to pack it. Installed under a prefix (/usr in the
# package):
#   bin/tagscribe                       the launcher, with its places filled in
#   lib/tagscribe/                      both programs, the launcher's Wine settings
#                                       and its read-ahead (tagscribe-prefetch)
#   share/tagscribe/Manual/             the manual, where the help button looks
#   share/doc/tagscribe/                copyright, change log, the manual again
#   share/applications/, share/icons/   the desktop entry and its icon
#   share/man/man1/tagscribe.1.gz       the manual page
# The files that the build makes for it come from the target package_files,
# which is not part of the usual build.
set(package_dir ${CMAKE_BINARY_DIR}/package)
set(TAGSCRIBE_MAINTAINER "Orvane <tagscribe@orvane.example>")
execute_process(COMMAND date -u -R -d "${TAGSCRIBE_VERSION_DATE}"
                OUTPUT_VARIABLE TAGSCRIBE_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/tagscribe.1.in ${package_dir}/tagscribe.1 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${package_dir}/changelog @ONLY)

# Stripped copies of the programs (their symbols and debugging sections stay
# in the build); the page and the change log compressed without a time stamp.
set(programs tagscribe.exe.so tagscribe-utf8.exe.so tagscribe-prefetch)
set(made)
foreach(program ${programs})
  add_custom_command(OUTPUT ${package_dir}/${program}
    COMMAND strip --strip-unneeded --remove-section=.comment --remove-section=.note
            -o ${package_dir}/${program} ${CMAKE_BINARY_DIR}/${program}
    DEPENDS ${CMAKE_BINARY_DIR}/${program})
  list(APPEND made ${package_dir}/${program})
endforeach()
foreach(text tagscribe.1 changelog)
  add_custom_command(OUTPUT ${package_dir}/${text}.gz
    COMMAND gzip -9nf -k ${package_dir}/${text}
    DEPENDS ${package_dir}/${text})
  list(APPEND made ${package_dir}/${text}.gz)
endforeach()
add_custom_command(OUTPUT ${package_dir}/tagscribe.desktop
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/desktop-entry.sh tagscribe tagscribe
          > ${package_dir}/tagscribe.desktop
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/desktop-entry.sh)
list(APPEND made ${package_dir}/tagscribe.desktop)
# One image per size that the program's icon holds.
set(icon_sizes 16 32 48)
foreach(size ${icon_sizes})
  list(FIND icon_sizes ${size} frame)
  add_custom_command(OUTPUT ${package_dir}/icon-${size}.png
    COMMAND convert "${CMAKE_SOURCE_DIR}/res/tagscribe.ico[${frame}]" -strip
            ${package_dir}/icon-${size}.png
    DEPENDS ${CMAKE_SOURCE_DIR}/res/tagscribe.ico)
  list(APPEND made ${package_dir}/icon-${size}.png)
endforeach()
add_custom_target(package_files DEPENDS ${made})
add_dependencies(package_files tagscribe tagscribe-utf8)

# Installing never builds the whole tree (tests, benchmarks): the package
# needs only the programs and package_files.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(CODE "set(TAGSCRIBE_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")
set(TAGSCRIBE_BINARY_DIR \"${CMAKE_BINARY_DIR}\")
set(TAGSCRIBE_VERSION_TEXT \"${PROJECT_VERSION}\")")
install(SCRIPT ${CMAKE_SOURCE_DIR}/packaging/install-launcher.cmake)
# The programs' start scripts, made by winegcc beside them, find them there.
install(PROGRAMS ${CMAKE_BINARY_DIR}/tagscribe.exe ${CMAKE_BINARY_DIR}/tagscribe-utf8.exe
                 ${package_dir}/tagscribe-prefetch
        DESTINATION lib/tagscribe)
install(FILES ${package_dir}/tagscribe.exe.so ${package_dir}/tagscribe-utf8.exe.so
              ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh
        DESTINATION lib/tagscribe)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Manual DESTINATION share/tagscribe)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${package_dir}/changelog.gz
        DESTINATION share/doc/tagscribe)
# Under doc/ too, as a link: the help button must not depend on doc/, which
# some systems leave out of every install.
install(CODE "file(CREATE_LINK ../../tagscribe/Manual
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/doc/tagscribe/Manual\" SYMBOLIC)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/share/doc/tagscribe/Manual\")")
install(FILES ${package_dir}/tagscribe.desktop DESTINATION share/applications)
foreach(size ${icon_sizes})
  install(FILES ${package_dir}/icon-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME tagscribe.png)
endforeach()
install(FILES ${package_dir}/tagscribe.1.gz DESTINATION share/man/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tagscribe.bash-completion
        DESTINATION share/bash-completion/completions RENAME tagscribe)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tagscribe)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TAGSCRIBE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "export the lyrics kept in MP3 files to text files")
set(CPACK_PACKAGE_DESCRIPTION "Tagscribe writes the lyrics stored in the ID3 tags of MP3 files (USLT,
TXXX frames named as lyrics, or SYLT synchronised lyrics as LRC text) to
plain text files beside them or in a folder of their own, in the
locale's ANSI code page or as UTF-8. It is a Win32 program run by Wine: a
small dialog with Japanese captions onto which files and folders are
dropped, or a batch when paths are named on the command line.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
# The C and C++ libraries, libid3tag and zlib as dpkg-shlibdeps finds them in
# the programs; Wine to run them and the font that the launcher's prefix
# draws the Japanese captions with. The browser for the manual is the
# desktop's, through xdg-open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "wine, wine64, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
