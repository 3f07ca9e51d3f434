# A Debian package of the installed tree (scripts/package). Depends is worked out by
# dpkg-shlibdeps from the shared libraries the program actually links, so it stays right as
# libraries are added; the data, desktop and icon caches are refreshed by dpkg's own triggers.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME larkspire)
set(CPACK_PACKAGE_VENDOR "Quenby Software")
set(CPACK_PACKAGE_CONTACT "Quenby Software <support@quenby-software.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "save e-mail messages as numbered plain-text files")
set(CPACK_PACKAGE_DESCRIPTION
    "Larkspire logs on to a mail profile, reads the messages of one folder of\n"
    "a mail store (Maildir, mbox, IMAP) and writes each message's plain-text\n"
    "body into a file of its own, named from a format such as %SUBJECT or\n"
    "mail%5.5d.txt and stamped with the message's received time. Afterwards\n"
    "it leaves the message, moves it, or tags its subject.\n"
    "Jobs are edited in a four-page wizard, saved to option files (*.lks) and\n"
    "run unattended from the command line, from cron or from a systemd timer.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quenby-software.example/larkspire.html")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window opens web links and documents through the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# Packaging takes the program as built; scripts/package builds what it needs first, so an
# install does not rebuild every test and benchmark.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
