# The shipped data goes beside the binaries, and is installed: the data, the
# examples and the help page in share/vantor/ (where both programs look when
# nothing lies beside them), the manual pages, and the desktop entry, icon and
# file type. The programs install themselves (src/cli, src/app).
set(vantor_data_dir ${CMAKE_SOURCE_DIR}/data)
add_custom_target(vantor_data ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${vantor_data_dir} ${CMAKE_BINARY_DIR}/bin
  COMMENT "Copying data beside the binaries")

include(GNUInstallDirs)
install(FILES ${vantor_data_dir}/VANTOR.mnx ${vantor_data_dir}/VANTORW.INI
  ${vantor_data_dir}/vantorw.html ${vantor_data_dir}/vmodels.val
  DESTINATION ${CMAKE_INSTALL_DATADIR}/vantor)
install(DIRECTORY ${vantor_data_dir}/examples DESTINATION ${CMAKE_INSTALL_DATADIR}/vantor)
install(DIRECTORY ${vantor_data_dir}/lessons DESTINATION ${CMAKE_INSTALL_DATADIR}/vantor)
file(GLOB man_pages ${CMAKE_SOURCE_DIR}/man/*.1)
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(desktop_dir ${vantor_data_dir}/desktop)
install(FILES ${desktop_dir}/io.github.vantor.Vantor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_dir}/io.github.vantor.Vantor.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${desktop_dir}/io.github.vantor.Vantor.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${desktop_dir}/io.github.vantor.Vantor.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
