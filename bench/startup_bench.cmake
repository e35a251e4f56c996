# The reference program the start-up benchmark runs beside ostiva-manager.
if(TARGET ostiva_ui)
  add_executable(bare_qt_dialog ${CMAKE_CURRENT_SOURCE_DIR}/bare_qt_dialog.cpp)
  target_link_libraries(bare_qt_dialog PRIVATE Qt6::Widgets)
  add_dependencies(${name} bare_qt_dialog ostiva-manager)
endif()
