# The program's data files, the 21 pose pictures and the chime, copied beside an
# executable in the build tree, so it runs from there as from a portable folder; and
# installed to `destination` when one is given.
#
#   lumiroka_stage_assets(TARGET <exe> [INSTALL_DESTINATION <dir>])
set(LUMIROKA_GIFS
    piro0 piro0a piro0b piro1 piro1a piro1b piro2
    zu0 zu0a zu0b zu1 zu1a zu1b zu2
    tavrick0 tavrick0a tavrick0b tavrick1 tavrick1a tavrick1b tavrick2)

function(lumiroka_stage_assets)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "TARGET;INSTALL_DESTINATION" "")
    set(assets ${PROJECT_SOURCE_DIR}/assets)
    get_target_property(out_dir ${arg_TARGET} RUNTIME_OUTPUT_DIRECTORY)
    set(staged)
    foreach(file IN LISTS LUMIROKA_GIFS ITEMS justtime)
        if(file STREQUAL "justtime")
            set(rel justtime.wav)
        else()
            set(rel gif/${file}.gif)
        endif()
        add_custom_command(OUTPUT ${out_dir}/${rel}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${assets}/${rel} ${out_dir}/${rel}
            DEPENDS ${assets}/${rel})
        list(APPEND staged ${out_dir}/${rel})
        if(arg_INSTALL_DESTINATION)
            get_filename_component(sub ${rel} DIRECTORY)
            install(FILES ${assets}/${rel} DESTINATION ${arg_INSTALL_DESTINATION}/${sub})
        endif()
    endforeach()
    add_custom_target(${arg_TARGET}_assets ALL DEPENDS ${staged})
    add_dependencies(${arg_TARGET} ${arg_TARGET}_assets)
endfunction()
