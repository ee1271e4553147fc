# mc_target_warnings(<target>): the warning set every target of ours builds with.
function(mc_target_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(MC_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
