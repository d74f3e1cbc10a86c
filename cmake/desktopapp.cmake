# SPDX-License-Identifier: MIT
# tollmark_desktop_program(TARGET): a window program as each desktop system wants one. On
# Windows it starts without a console window beside it and carries the icon as a resource,
# made at build time from data/tollmark.svg; on macOS it is an application bundle with an
# Info.plist. Elsewhere both properties mean nothing.
function(tollmark_desktop_program target)
  set_target_properties(${target} PROPERTIES
    WIN32_EXECUTABLE ON
    MACOSX_BUNDLE ON
    MACOSX_BUNDLE_INFO_PLIST ${PROJECT_SOURCE_DIR}/data/Info.plist.in
    MACOSX_BUNDLE_BUNDLE_NAME Tollmark
    MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
    MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION})
  if(WIN32)
    tollmark_windows_icon(${target})
  endif()
endfunction()

# The sizes Windows picks from for the taskbar, title bar, Explorer's views and Alt-Tab.
set(TOLLMARK_ICON_SIZES 16 24 32 48 64 256)

function(tollmark_windows_icon target)
  find_program(TOLLMARK_RSVG_CONVERT rsvg-convert)
  find_program(TOLLMARK_MAGICK_CONVERT convert)
  if(NOT TOLLMARK_RSVG_CONVERT OR NOT TOLLMARK_MAGICK_CONVERT)
    message(FATAL_ERROR "The Windows icon is drawn with rsvg-convert (Debian: librsvg2-bin) "
      "and packed with ImageMagick's convert (Debian: imagemagick); install both.")
  endif()
  set(svg ${PROJECT_SOURCE_DIR}/data/tollmark.svg)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-icon)
  set(pngs)
  set(commands)
  foreach(size ${TOLLMARK_ICON_SIZES})
    list(APPEND pngs ${dir}/${size}.png)
    list(APPEND commands COMMAND ${TOLLMARK_RSVG_CONVERT} -w ${size} -h ${size} -o ${dir}/${size}.png ${svg})
  endforeach()
  add_custom_command(OUTPUT ${dir}/tollmark.ico
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    ${commands}
    COMMAND ${TOLLMARK_MAGICK_CONVERT} ${pngs} ${dir}/tollmark.ico
    DEPENDS ${svg}
    COMMENT "Drawing the Windows icon of ${target}"
    VERBATIM)
  file(WRITE ${dir}/icon.rc "1 ICON \"${dir}/tollmark.ico\"\n")
  # The resource compiler's dependency scan does not follow the icon file.
  set_source_files_properties(${dir}/icon.rc PROPERTIES OBJECT_DEPENDS ${dir}/tollmark.ico)
  target_sources(${target} PRIVATE ${dir}/icon.rc)
endfunction()
