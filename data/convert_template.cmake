# Converts one template source to the classic workbook format:
#   cmake -DSOFFICE=... -DSOURCE=x.fods -DWORK=dir -DOUTPUT=bin/X.EXL -P convert_template.cmake
# The result is written next to OUTPUT and renamed over it, so that a failed
# conversion never leaves a broken template behind.
get_filename_component(base ${SOURCE} NAME_WE)
file(REMOVE_RECURSE ${WORK}/out)
file(MAKE_DIRECTORY ${WORK}/out)
execute_process(
  COMMAND ${SOFFICE} --headless --invisible --norestore --nologo --nolockcheck
          -env:UserInstallation=file://${WORK}/profile
          --convert-to "xls:MS Excel 97" --outdir ${WORK}/out ${SOURCE}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE log ERROR_VARIABLE log
  TIMEOUT 300)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/out/${base}.xls)
  message(FATAL_ERROR "conversion of ${SOURCE} failed (${rc}): ${log}")
endif()
get_filename_component(outdir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${outdir})
file(COPY_FILE ${WORK}/out/${base}.xls ${OUTPUT}.tmp)
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
