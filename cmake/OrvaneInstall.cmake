include(GNUInstallDirs)

# The installed data folder as a program sees it from its own folder ("../share/orvane"), so the
# installed programs find MortalityTables and "Full Yield Curve.xls" under any prefix and DESTDIR.
file(RELATIVE_PATH ORVANE_DATA_DIR_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/orvane)

# orvane_find_installed_data(TARGET)
#   Compiles that relative path into TARGET as ORVANE_DATA_DIR_FROM_BIN, for tables/data_folder.h.
function(orvane_find_installed_data target)
  target_compile_definitions(${target} PRIVATE
    ORVANE_DATA_DIR_FROM_BIN="${ORVANE_DATA_DIR_FROM_BIN}")
endfunction()

# In a build with shared libraries the installed programs find the installed libraries from their
# own folder too ("../lib"), under any prefix and DESTDIR.
if(BUILD_SHARED_LIBS)
  file(RELATIVE_PATH ORVANE_LIB_DIR_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
       ${CMAKE_INSTALL_FULL_LIBDIR})
  set(CMAKE_INSTALL_RPATH "$ORIGIN/${ORVANE_LIB_DIR_FROM_BIN}")
endif()
