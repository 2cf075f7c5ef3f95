# The player setup's payload art and string tables (Setup/): the page background, its
# palettes and its three sprite files. The setup issue packs this folder with "Install:".

set(BACKDROP_sky photos/backdrops/sky.jpg)
lumora_configure_svg(${SRC}/art/setup/theme.svg.in ${SVG}/setup-theme.svg)
lumora_picture(${SVG}/setup-theme.svg ${SETUP}/theme.jpg jpeg 86)
set_property(GLOBAL APPEND PROPERTY LUMORA_SETUP_FILES ${SETUP}/theme.jpg)

set(MAKER_STRIPS_SAVED ${MAKER_STRIPS})
set(MAKER_STRIPS "")
lumora_strip(setup-button ${SRC}/art/setup/button.svg 4)
set(BUTTON_STRIPS ${MAKER_STRIPS})
set(MAKER_STRIPS "")
lumora_strip(setup-name ${SRC}/art/setup/name.svg 1)
lumora_strip(setup-therm ${SRC}/art/setup/therm.svg 1)
set(THEME_STRIPS ${MAKER_STRIPS})
set(MAKER_STRIPS ${MAKER_STRIPS_SAVED})

# theme.pal: the page's picture and the progress parts; button.pal: the buttons.
lumora_render(${SVG}/setup-theme.svg ${WORK}/png/setup-theme-page.png)
function(lumora_setup_palette name)
  add_custom_command(OUTPUT ${SETUP}/${name}.pal
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${SETUP}
                     COMMAND ${LA} montage ${WORK}/png/setup-${name}-palette.png ${ARGN}
                     COMMAND ${CMAKE_COMMAND} -E rm -f ${SETUP}/${name}.pal
                     COMMAND $<TARGET_FILE:pal> make ${SETUP}/${name}.pal --from-png ${WORK}/png/setup-${name}-palette.png
                     DEPENDS ${ARGN} lumora-assets pal VERBATIM)
  set_property(GLOBAL APPEND PROPERTY LUMORA_SETUP_FILES ${SETUP}/${name}.pal)
endfunction()
lumora_setup_palette(theme ${WORK}/png/setup-theme-page.png ${THEME_STRIPS})
lumora_setup_palette(button ${BUTTON_STRIPS})
lumora_sprite(${SETUP}/button.xps setup-button 0 0 ${SETUP}/button.pal LUMORA_SETUP_FILES)
lumora_sprite(${SETUP}/name.xps setup-name 0 0 ${SETUP}/theme.pal LUMORA_SETUP_FILES)
lumora_sprite(${SETUP}/therm.xps setup-therm 5 5 ${SETUP}/theme.pal LUMORA_SETUP_FILES)
