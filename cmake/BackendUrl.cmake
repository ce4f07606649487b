# The backend carries the shared secret and the user's audio: only HTTPS, except for a
# backend on this machine (loopback), which never leaves it.
function(quillo_check_backend_url url)
  if(url MATCHES "/$")
    message(FATAL_ERROR "QUILLO_BACKEND_URL must not end with '/': ${url}")
  endif()
  if(url MATCHES "^https://[^/?#]+$")
    return()
  endif()
  if(url MATCHES "^http://(localhost|127\\.[0-9]+\\.[0-9]+\\.[0-9]+|\\[::1\\])(:[0-9]+)?$")
    return()
  endif()
  message(FATAL_ERROR "QUILLO_BACKEND_URL must be https://HOST[:PORT] (plain http only for a loopback host), got: ${url}")
endfunction()
