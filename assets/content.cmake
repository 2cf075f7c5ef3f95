# The language folders ("eng:", "deu:"), the offer pages' pictures ("imghttp:"), the
# co-brand archives copied into every album, and the help pages beside the archive.

foreach(lang ${LANGUAGES})
  include(${SRC}/text/art-${lang}.cmake)
  set(L ${QIP}/${lang})
  foreach(file canary.txt readme.txt mktOffer.htm sfOffer.htm)
    lumora_copy(${SRC}/content/${lang}/${file} ${L}/${file} LUMORA_QIP_FILES)
  endforeach()
  foreach(i RANGE 6)
    lumora_copy(${SRC}/photos/samples/${i}.jpg ${L}/Samples/${i}.jpg LUMORA_QIP_FILES)
    lumora_copy(${SRC}/photos/partner/${i}.jpg ${L}/SFSamples/${i}.jpg LUMORA_QIP_FILES)
  endforeach()
  foreach(gif click specoff)
    lumora_configure_svg(${SRC}/art/content/${gif}.svg.in ${SVG}/${gif}-${lang}.svg)
    lumora_picture(${SVG}/${gif}-${lang}.svg ${L}/${gif}.gif gif)
    set_property(GLOBAL APPEND PROPERTY LUMORA_QIP_FILES ${L}/${gif}.gif)
  endforeach()
  # Co-brand content: the brand's closing slide and the show lines that place it.
  foreach(brand mkt:marketa sf:snapfolio)
    string(REPLACE ":" ";" brand ${brand})
    list(GET brand 0 mark)
    list(GET brand 1 archive)
    set(folder ${WORK}/cobrand/${archive}-${lang})
    lumora_configure_svg(${SRC}/art/content/closing-${mark}.svg.in ${SVG}/closing-${mark}-${lang}.svg)
    lumora_picture(${SVG}/closing-${mark}-${lang}.svg ${folder}/CoBrand/closing.jpg jpeg 88)
    add_custom_command(OUTPUT ${L}/${archive}.xpb
                       COMMAND ${CMAKE_COMMAND} -E copy ${SRC}/content/cobrand/show.txt ${folder}/CoBrand/show.txt
                       COMMAND ${CMAKE_COMMAND} -E rm -f ${L}/${archive}.xpb
                       COMMAND $<TARGET_FILE:xpb> create ${L}/${archive}.xpb --app 2 --tag COBR --seal ${folder}
                       DEPENDS ${folder}/CoBrand/closing.jpg ${SRC}/content/cobrand/show.txt xpb VERBATIM)
    set_property(GLOBAL APPEND PROPERTY LUMORA_QIP_FILES ${L}/${archive}.xpb)
  endforeach()
endforeach()

foreach(gif bb b 990000 logo-qip)
  lumora_picture(${SRC}/art/content/${gif}.svg ${QIP}/imghttp/${gif}.gif gif)
  set_property(GLOBAL APPEND PROPERTY LUMORA_QIP_FILES ${QIP}/imghttp/${gif}.gif)
endforeach()

set(WEB_FILES "")
foreach(page tips.html howtoemail.html)
  lumora_copy(${SRC}/content/web/${page} ${DATA}/web/${page} LUMORA_WEB_FILES)
  list(APPEND WEB_FILES ${DATA}/web/${page})
endforeach()
