# The Qt front end: the desktop behind small classes (src/platform) and the windows in Qt
# Widgets (src/ui), over the forms.
add_library(lumiroka_platform STATIC
    platform/accessiblealert.cpp platform/appdirs.cpp platform/boottimeclock.cpp platform/desktopnotification.cpp
    platform/fontwarmup.cpp platform/notifier.cpp platform/placement.cpp platform/qtsettingsstore.cpp
    platform/sound.cpp platform/ticktimer.cpp platform/tray.cpp platform/windowraise.cpp platform/x11activation.cpp)
# Qt's GUI library loads D-Bus anyway on Linux desktops: linking it costs nothing at start.
target_link_libraries(lumiroka_platform PUBLIC lumiroka_forms Qt6::Widgets Qt6::DBus)
# Fonts on Linux and the BSDs come from fontconfig, which the start-up reads ahead of time.
if(UNIX AND NOT APPLE)
    find_package(Fontconfig REQUIRED)
    target_link_libraries(lumiroka_platform PRIVATE Fontconfig::Fontconfig)
    target_compile_definitions(lumiroka_platform PRIVATE LUMIROKA_HAVE_FONTCONFIG)
    # X11 through plain libxcb, which Qt's X11 platform plugin loads anyway.
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)
    target_link_libraries(lumiroka_platform PRIVATE PkgConfig::XCB)
    target_compile_definitions(lumiroka_platform PRIVATE LUMIROKA_HAVE_XCB)
endif()

# The sound back end lives in a plugin so that Qt Multimedia and the audio libraries load
# when the first countdown starts, not with the program.
add_library(lumiroka_sound_impl STATIC platform/qtalarmsound.cpp)
target_include_directories(lumiroka_sound_impl PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(lumiroka_sound_impl PUBLIC lumiroka_forms Qt6::Widgets Qt6::Multimedia)
add_library(lumiroka_sound MODULE platform/soundplugin.cpp)
target_link_libraries(lumiroka_sound PRIVATE lumiroka_sound_impl)
set_target_properties(lumiroka_sound PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

add_library(lumiroka_ui STATIC ui/mainwindow.cpp ui/optionsdialog.cpp ui/picturebox.cpp ui/traymenu.cpp)
target_link_libraries(lumiroka_ui PUBLIC lumiroka_platform lumiroka_forms lumiroka_gif Qt6::Widgets)
qt_add_resources(lumiroka_ui "icons"
    PREFIX "/icons"
    BASE "${PROJECT_SOURCE_DIR}/assets/icons"
    FILES
        ${PROJECT_SOURCE_DIR}/assets/icons/lumiroka-16.png
        ${PROJECT_SOURCE_DIR}/assets/icons/lumiroka-32.png
        ${PROJECT_SOURCE_DIR}/assets/icons/lumiroka-48.png)

qt_add_executable(lumiroka WIN32 app/main.cpp)
target_link_libraries(lumiroka PRIVATE lumiroka_ui)
set_target_properties(lumiroka PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
# The program finds its pictures and sound beside itself, so it runs from the build tree.
lumiroka_stage_assets(TARGET lumiroka INSTALL_DESTINATION ${CMAKE_INSTALL_DATADIR}/lumiroka)
add_dependencies(lumiroka lumiroka_sound)

install(TARGETS lumiroka RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS lumiroka_sound LIBRARY DESTINATION lib/lumiroka)

# Desktop integration: launcher entry, software-centre metadata and the themed icon.
install(FILES ${PROJECT_SOURCE_DIR}/assets/desktop/org.lumiroka.Lumiroka.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${PROJECT_SOURCE_DIR}/assets/desktop/org.lumiroka.Lumiroka.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/org.lumiroka.Lumiroka.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/org.lumiroka.Lumiroka.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/lumiroka-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME org.lumiroka.Lumiroka.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/lumiroka.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME org.lumiroka.Lumiroka.svg)
