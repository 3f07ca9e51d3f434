# `cmake --install`: the program and its data files together in one program folder, as it runs
# from the build tree, with a bin/larkspire link to it. The program finds its folder through
# /proc/self/exe, which names the link's target, so the data files are found beside it.
set(LARKSPIRE_PROGRAM_DIR lib/larkspire)
set(LARKSPIRE_DESKTOP_ID example.quenby_software.Larkspire)

install(TARGETS larkspire larkspire-window RUNTIME DESTINATION ${LARKSPIRE_PROGRAM_DIR})
file(GLOB_RECURSE larkspire_data_files CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/data
     ${PROJECT_SOURCE_DIR}/data/Languages/* ${PROJECT_SOURCE_DIR}/data/help/*
     ${PROJECT_SOURCE_DIR}/data/TIPS.TXT)
# The package owns the language folder even before it holds a file: the program makes it when it
# is missing, and a folder the package does not own would outlive a purge.
install(DIRECTORY DESTINATION ${LARKSPIRE_PROGRAM_DIR}/Languages)
foreach(f ${larkspire_data_files})
  get_filename_component(folder ${f} DIRECTORY)
  install(FILES data/${f} DESTINATION ${LARKSPIRE_PROGRAM_DIR}/${folder})
endforeach()
# A relative link, so the tree works wherever it is unpacked (a package staging folder, dpkg -x).
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
  file(CREATE_LINK ../${LARKSPIRE_PROGRAM_DIR}/larkspire
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/larkspire\" SYMBOLIC)")

# Debian keeps manual pages and changelogs compressed; -n leaves the name and time out, so the
# package is reproducible. Made with the program, so a package of the program alone has them.
function(larkspire_compressed source output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND gzip -9nc ${source} > ${output}
    DEPENDS ${source}
    VERBATIM)
endfunction()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/doc)
configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
larkspire_compressed(${PROJECT_SOURCE_DIR}/docs/larkspire.1 ${CMAKE_BINARY_DIR}/doc/larkspire.1.gz)
larkspire_compressed(${CMAKE_BINARY_DIR}/doc/changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_target(larkspire-docs DEPENDS ${CMAKE_BINARY_DIR}/doc/larkspire.1.gz
                                         ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_dependencies(larkspire larkspire-docs)
install(FILES ${CMAKE_BINARY_DIR}/doc/larkspire.1.gz DESTINATION share/man/man1)
install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz DESTINATION share/doc/larkspire)

install(FILES packaging/larkspire.desktop DESTINATION share/applications
        RENAME ${LARKSPIRE_DESKTOP_ID}.desktop)
install(FILES packaging/larkspire.metainfo.xml DESTINATION share/metainfo
        RENAME ${LARKSPIRE_DESKTOP_ID}.metainfo.xml)
install(FILES packaging/larkspire-mime.xml DESTINATION share/mime/packages RENAME larkspire.xml)
install(FILES packaging/icons/larkspire.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES packaging/icons/larkspire-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME larkspire.png)
endforeach()

install(FILES examples/profiles.ini examples/cron/larkspire.crontab
        DESTINATION share/doc/larkspire/examples)
# The job units are templates: nothing runs until the user enables a timer for a job.
install(FILES examples/systemd/larkspire-job@.service examples/systemd/larkspire-job@.timer
        DESTINATION lib/systemd/user)
