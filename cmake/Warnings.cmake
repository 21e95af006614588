# qc_warnings(target): the project's warning set, errors when QC_WERROR is on.
function(qc_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(QC_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
