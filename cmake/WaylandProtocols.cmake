# Client code for a Wayland protocol, generated from its XML by wayland-scanner at build
# time: adds <name>-client-protocol.h and <name>-protocol.c to `target`.
# The generated code is C.
enable_language(C)
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)

function(quillo_add_wayland_protocol target xml name)
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols")
  set(header "${dir}/${name}-client-protocol.h")
  set(code "${dir}/${name}-protocol.c")
  add_custom_command(OUTPUT "${header}" "${code}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
    COMMAND ${WAYLAND_SCANNER} client-header "${xml}" "${header}"
    COMMAND ${WAYLAND_SCANNER} private-code "${xml}" "${code}"
    DEPENDS "${xml}" VERBATIM)
  target_sources(${target} PRIVATE "${header}" "${code}")
  target_include_directories(${target} PRIVATE "${dir}")
endfunction()
