// The routines of the batch functions, named by the rows of
// batch/functions.cpp. Each runs one job and returns the function's result
// (see `routine` in batch/functions.h).
#pragma once

#include "batch/job.h"

namespace vt::batch {

int run_selvalues(const job& j);
int run_aggvalues(const job& j);
int run_pivot(const job& j);
int run_variableorder(const job& j);
int run_valueorder(const job& j);
int run_splittimes(const job& j);
int run_calcvalues(const job& j);
int run_chgtexts(const job& j);
int run_chgtextcontents(const job& j);
int run_textcode(const job& j);
int run_vardelete(const job& j);
int run_decimals(const job& j);
int run_filecalc(const job& j);
int run_text(const job& j);
int run_asp(const job& j);
int run_vtfile(const job& j);
int run_html1(const job& j);
int run_html2(const job& j);
int run_reltable(const job& j);
int run_utgraph(const job& j);
int run_prnmatrix(const job& j);
int run_prntable(const job& j);
int run_dbase1(const job& j);
int run_dbase2(const job& j);
int run_dbase3(const job& j);
int run_dbase4(const job& j);
int run_excel(const job& j);
int run_xmlsave(const job& j);
int run_xdfsave(const job& j);
int run_sdmxsave(const job& j);
int run_kml(const job& j);
int run_kml2(const job& j);
int run_kml3(const job& j);
int run_gesmes(const job& j);
int run_lotus(const job& j);

}  // namespace vt::batch
