# Installing Verdane as a desktop program. The programs find the installed library relative to their own folder, so an
# installed tree works under any prefix, and unpacked anywhere.
include(GNUInstallDirs)

file(RELATIVE_PATH VERDANE_SHARE_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/verdane)
target_compile_definitions(verdane_core PRIVATE VERDANE_SHARE_FROM_BIN="${VERDANE_SHARE_FROM_BIN}")
