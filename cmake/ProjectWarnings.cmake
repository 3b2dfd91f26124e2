# Warnings for the project's own targets; third-party code keeps its defaults.
function(ds_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion -Werror)
endfunction()
