# The eight themes: each a binder with "ProjDir.txt", its project folder (profile, names
# in three languages, icon, features and the authoring folder "custom") and "Assets:"
# with the show description and its pictures; the newborn theme adds "@boy:" and
# "@girl:" variants. Staged under themes/<name>/, archived into the Maker's "LMx:".

set(LUMORA_THEMES holidays birthday cats newborn iloveyou fall photoalb collage)
foreach(stem ${LUMORA_THEMES})
  unset(THEME_VARIANTS)
  include(${SRC}/themes/${stem}/theme.cmake)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SRC}/themes/${stem}/theme.cmake)
  set(T ${THEMES}/${stem})
  set(P ${T}/${THEME_PROJECT})
  set(list LUMORA_THEME_${stem})
  set_property(GLOBAL PROPERTY ${list} "")

  file(WRITE ${WORK}/ProjDir-${stem}.txt "${THEME_PROJECT}\r\n")
  lumora_copy(${WORK}/ProjDir-${stem}.txt ${T}/ProjDir.txt ${list})
  lumora_copy(${SRC}/themes/${stem}/profile.txt ${P}/profile.txt ${list})
  foreach(language English German French)
    lumora_copy(${SRC}/themes/${stem}/Help/${language}/Name.txt ${P}/Help/${language}/Name.txt ${list})
  endforeach()
  lumora_copy(${SRC}/themes/${stem}/custom/README.txt ${P}/custom/README.txt ${list})
  lumora_copy(${SRC}/themes/${stem}/theme.cmake ${P}/custom/theme.cmake ${list})
  lumora_copy(${SRC}/themes/${stem}/show.txt ${T}/Assets/show.txt ${list})

  set(MOTIF ${THEME_MOTIF})
  lumora_configure_svg(${SRC}/art/themes/icon24.svg.in ${SVG}/icon24-${stem}.svg)
  lumora_picture(${SVG}/icon24-${stem}.svg ${P}/Help/icon24.bmp bmp)
  set_property(GLOBAL APPEND PROPERTY ${list} ${P}/Help/icon24.bmp)
  add_custom_command(OUTPUT ${P}/Features.nfo COMMAND ${CMAKE_COMMAND} -E make_directory ${P}
                     COMMAND ${LA} features ${P}/Features.nfo ${THEME_FEATURES}
                     DEPENDS lumora-assets ${SRC}/themes/${stem}/theme.cmake VERBATIM)
  set_property(GLOBAL APPEND PROPERTY ${list} ${P}/Features.nfo)

  # The pictures: the theme's own, and each variant's with its own colours (an album made
  # without choosing a variant still finds the theme's).
  set(variants "-")
  foreach(variant ${THEME_VARIANTS})
    list(APPEND variants "@${variant}")
  endforeach()
  foreach(variant ${variants})
    set(BACKDROP photos/backdrops/${THEME_BACKDROP}.jpg)
    set(TINT ${THEME_TINT})
    set(TINT_OPACITY ${THEME_TINT_OPACITY})
    set(ACCENT ${THEME_ACCENT})
    set(ACCENT_DARK ${THEME_ACCENT_DARK})
    set(DASH ${THEME_DASH})
    set(CAPTION_PLATE ${THEME_CAPTION_PLATE})
    set(A ${T}/Assets)
    set(tag ${stem})
    if(NOT variant STREQUAL "-")
      string(SUBSTRING ${variant} 1 -1 name)
      set(BACKDROP photos/backdrops/${THEME_${name}_BACKDROP}.jpg)
      set(TINT ${THEME_${name}_TINT})
      set(ACCENT_DARK ${THEME_${name}_ACCENT_DARK})
      set(A ${T}/Assets/${variant})
      set(tag ${stem}-${name})
      lumora_copy(${SRC}/themes/${stem}/${variant}/show.txt ${A}/show.txt ${list})
    endif()
    lumora_configure_svg(${SRC}/art/themes/${THEME_SLIDE}.svg.in ${SVG}/slide-${tag}.svg)
    lumora_picture(${SVG}/slide-${tag}.svg ${A}/slide.jpg jpeg 85)
    lumora_configure_svg(${SRC}/art/themes/title.svg.in ${SVG}/title-${tag}.svg)
    lumora_picture(${SVG}/title-${tag}.svg ${A}/title.jpg jpeg 85)
    set_property(GLOBAL APPEND PROPERTY ${list} ${A}/slide.jpg ${A}/title.jpg)
  endforeach()

  get_property(files GLOBAL PROPERTY ${list})
  set(lmx ${QIP}/LMx/${stem}.lmx)
  add_custom_command(OUTPUT ${lmx}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${QIP}/LMx
                     COMMAND ${CMAKE_COMMAND} -E rm -f ${lmx}
                     COMMAND $<TARGET_FILE:xpb> create ${lmx} --app 2 --tag LMX1 --seal ${T}
                     DEPENDS ${files} xpb VERBATIM)
  set_property(GLOBAL APPEND PROPERTY LUMORA_QIP_FILES ${lmx})
endforeach()
