// The exports of libvtops.
#include "vtops.h"

#include <string>

#include "dialogs/grid.h"
#include "dialogs/varorder.h"
#include "export/delimited.h"
#include "tableops/calc.h"
#include "tableops/pivot.h"
#include "tableops/valueorder.h"
#include "tableops/title.h"
#include "core/guard.h"

int VelInit(void) { return 1; }

int VelGFree(void) { return 1; }

int utgraph(const char* path, const char* path2, const char* decimal_point, const char* text_delimiter, int iteration,
            const char* text, int rounding, int note_place) {
    return vt::guard([&] {
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::utgraph(str(path), str(path2), str(decimal_point), str(text_delimiter), iteration, str(text),
                           rounding, note_place);
    });
}

int pivot(const char* in_path, const char* out_path, int alt, const char* unit_var, const char* texts) {
    return vt::guard([&] {
        return vt::pivot(in_path, out_path, alt, unit_var, vt::title_words_from_label_file(texts ? texts : ""));
    });
}

int variableorder(const char* in_path, const char* out_path, const char* stub_order, const char* head_order,
                  const char* unit_var, const char* texts) {
    return vt::guard([&] {
        return vt::variableorder(in_path, out_path, stub_order, head_order, unit_var,
                                 vt::title_words_from_list(texts ? texts : ""));
    });
}

int varorder(const char* in_path, const char* out_path, const vt_listbox* stub_list, const vt_listbox* head_list,
             int step, const char* unit_var, const char* texts) {
    return vt::guard([&] {
        return vt::varorder(in_path, out_path, stub_list, head_list, step, unit_var,
                            vt::title_words_from_label_file(texts ? texts : ""));
    });
}

int valueorder(const char* in_path, const char* out_path, const char* value_list, const char* variable,
               const char* unit_var, const char* texts) {
    return vt::guard([&] {
        return vt::valueorder(in_path, out_path, value_list, variable, unit_var,
                              vt::title_words_from_list(texts ? texts : ""));
    });
}

int calcvalues(const char* in_path, const char* out_path, const char* texts, int operation, const char* inclusion,
               const char* sel1, const char* sel2, const char* sel3, const char* sel4, const char* sel5,
               const char* sel6, const char* sel7, const char* sel8, const char* sel9, const char* sel10,
               const char* sel11, const char* sel12, const char* sel13, const char* sel14, const char* sel15,
               const char* sel16, int order, const char* new_value, const char* beta_value, const char* constant) {
    return vt::guard([&] {
        return vt::calcvalues(in_path, out_path, texts, operation, inclusion, sel1, sel2, sel3, sel4, sel5, sel6,
                              sel7, sel8, sel9, sel10, sel11, sel12, sel13, sel14, sel15, sel16, order, new_value,
                              beta_value, constant);
    });
}

namespace {

std::string text_of(const char* s) { return s ? s : ""; }

// Runs the grid and hands its answer to the host's buffers.
int grid_export(vt::grid_request& r, char* summary_out, char* info_out) {
    vt::grid_answer answer;
    const int rc = vt::grid_output(r, answer);
    if (!answer.summary.empty()) {
        vt::copy_to_host(answer.summary, summary_out, vt::grid_summary_size);
        vt::copy_to_host(answer.info, info_out, vt::grid_info_size);
    }
    return rc;
}

}  // namespace

int utbild(const char* in_path, const char* grid_path, const char* footnote_path, char* summary_out,
           const char* label_path, const char* notes_out_path, const char* decimal_point, char* info_out,
           const char* graph_path, const char* text_delimiter, int label_repeat, int suppress, int max_columns,
           int max_lines, int double_column, const char* graph_path2, int precision, int rounding, int note_place) {
    return vt::guard(
        [&] {
            vt::grid_request r{text_of(in_path),       text_of(grid_path),      text_of(footnote_path),
                               text_of(label_path),    text_of(notes_out_path), text_of(decimal_point),
                               text_of(graph_path),    text_of(text_delimiter), label_repeat,
                               suppress,               max_columns,             max_lines,
                               double_column,          text_of(graph_path2),    precision,
                               rounding,               note_place};
            return grid_export(r, summary_out, info_out);
        },
        vt::codes::grid_no_memory);
}

int utbild2(const char* in_path, const char* grid_path, const char* footnote_path, char* summary_out,
            const char* label_path, const char* decimal_point, const char* graph_path, const char* text_delimiter,
            int label_repeat, int suppress, int max_columns, int max_lines, int double_column,
            const char* graph_path2, int precision, int rounding, int note_place) {
    if (in_path == nullptr) return 0;  // the host wants no table read
    return utbild(in_path, grid_path, footnote_path, summary_out, label_path, nullptr, decimal_point, nullptr,
                  graph_path, text_delimiter, label_repeat, suppress, max_columns, max_lines, double_column,
                  graph_path2, precision, rounding, note_place);
}
