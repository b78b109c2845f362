# Tests of the Qt front end: its widgets offscreen, and the real program end to end.
find_package(Qt6 REQUIRED COMPONENTS Test)

# Widget tests: the real windows, offscreen, with the forms behind them and stand-ins for
# the sound, the tray and the store.
function(add_widget_test name)
    add_executable(${name} ui/${name}.cpp ui/harness.h)
    target_link_libraries(${name} PRIVATE lumiroka_qt Qt6::Test GTest::gtest)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "widgets"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LUMIROKA_ASSETS=${PROJECT_SOURCE_DIR}/assets")
endfunction()
add_widget_test(test_windows)
add_widget_test(test_platform)
add_widget_test(test_alert)

add_subdirectory(e2e)

# The sound library and the sound server's client stay out of the program itself; they are
# opened with the first countdown.
add_test(NAME startup_leaves_out_sound
         COMMAND sh -c "ldd \"$1\" >/dev/null && ! ldd \"$1\" | grep -qE 'canberra|libpulse'" sh $<TARGET_FILE:lumiroka>)
set_tests_properties(startup_leaves_out_sound PROPERTIES LABELS "logic")
# So does libwayland-client: the plugin that asks a Wayland compositor for attention loads
# it, on Wayland only.
add_test(NAME startup_leaves_out_wayland
         COMMAND sh -c "! ldd \"$1\" | grep -q libwayland-client && ldd \"$2\" | grep -q libwayland-client"
                 sh $<TARGET_FILE:lumiroka> $<TARGET_FILE:lumiroka_wayland>)
set_tests_properties(startup_leaves_out_wayland PROPERTIES LABELS "logic")

# Ten minutes of random use of the real program; run with: ctest -L soak
add_test(NAME soak COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/soak.sh $<TARGET_FILE:lumiroka>)
set_tests_properties(soak PROPERTIES LABELS "soak" TIMEOUT 800)
