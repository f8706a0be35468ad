// The exports of libvtops.
#include "vtops.h"

#include <array>
#include <string>

#include "core/guard.h"
#include "dialogs/bvalue.h"
#include "dialogs/chgdec.h"
#include "dialogs/chgtxt.h"
#include "dialogs/ctvalues.h"
#include "dialogs/grid.h"
#include "dialogs/selection.h"
#include "dialogs/tabsel.h"
#include "dialogs/valorder.h"
#include "dialogs/vardelete.h"
#include "dialogs/varorder.h"
#include "export/delimited.h"
#include "tableops/calc.h"
#include "tableops/pivot.h"
#include "tableops/title.h"
#include "tableops/valueorder.h"

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

int getvalue(const char* in_path, const char* out_path, const char* value_set_dir, const char* label_path, int step,
             const vt_listbox* list1, const vt_listbox* list2, const vt_listbox* list3, const vt_listbox* list4,
             const vt_listbox* list5, const vt_listbox* list6, const vt_listbox* list7, const vt_listbox* list8,
             const vt_listbox* list9, const vt_listbox* list10, const vt_listbox* list11, const vt_listbox* list12,
             const vt_listbox* list13, const vt_listbox* list14, const vt_listbox* list15, const vt_listbox* list16,
             char* status_out, int secrecy, const char* language) {
    return vt::guard([&] {
        return vt::getvalue(in_path, out_path, value_set_dir, label_path, step,
                            {list1, list2, list3, list4, list5, list6, list7, list8, list9, list10, list11, list12,
                             list13, list14, list15, list16},
                            status_out, secrecy, language);
    });
}

int srvalues(const char* out_path, int step, const vt_listbox* list_a, const vt_listbox* list_b,
             const vt_listbox* list2, const vt_listbox* list3, const vt_listbox* list4, const vt_listbox* list5,
             const vt_listbox* list6, const vt_listbox* list7, const vt_listbox* list8, const vt_listbox* list9,
             const vt_listbox* list10, const vt_listbox* list11, const vt_listbox* list12, const vt_listbox* list13,
             const vt_listbox* list14, const vt_listbox* list15, const vt_listbox* list16, const char* name,
             int secrecy) {
    return vt::guard([&] {
        return vt::srvalues(out_path, step, list_a,
                            {list_b, list2, list3, list4, list5, list6, list7, list8, list9, list10, list11, list12,
                             list13, list14, list15, list16},
                            name, secrecy);
    });
}

int getcodes(const char* in_path, const vt_listbox* list1, const vt_listbox* list2, const vt_listbox* list3,
             const vt_listbox* list4, const vt_listbox* list5, const vt_listbox* list6, const vt_listbox* list7,
             const vt_listbox* list8, const vt_listbox* list9, const vt_listbox* list10, const vt_listbox* list11,
             const vt_listbox* list12, const vt_listbox* list13, const vt_listbox* list14, const vt_listbox* list15,
             const vt_listbox* list16) {
    return vt::guard([&] {
        return vt::getcodes(in_path, {list1, list2, list3, list4, list5, list6, list7, list8, list9, list10, list11,
                                      list12, list13, list14, list15, list16});
    });
}

int zoomvar(const char* variable, char* text_out) {
    return vt::guard([&] { return vt::zoomvar(variable, text_out); });
}

int chgtxt(const char* in_path, const char* out_path, char* contents_io, char* units_io, const vt_listbox* list,
           const char* variable, int step, const char* unit_var, const char* texts) {
    return vt::guard([&] {
        return vt::chgtxt(in_path, out_path, contents_io, units_io, list, variable, step, unit_var,
                          vt::title_words_from_label_file(texts ? texts : ""));
    });
}

int chgtxtcontents(const char* in_path, const char* out_path, const char* addition, const char* texts) {
    return vt::guard([&] {
        return vt::chgtxtcontents(in_path, out_path, addition, vt::title_words_from_label_file(texts ? texts : ""));
    });
}

int ctvalues2003(const char* in_path, const char* value_set_dir, const char* out_path, int step, char* set_io,
                 const char* options, char* domain_out) {
    return vt::guard(
        [&] { return vt::ctvalues2003(in_path, value_set_dir, out_path, step, set_io, options, domain_out); });
}

int vardelete(const char* in_path, const char* out_path, const vt_listbox* list, const char* variable, int step,
              const char* unit_var, const char* texts, int remove) {
    return vt::guard([&] {
        return vt::vardelete(in_path, out_path, list, variable, step, unit_var,
                             vt::title_words_from_label_file(texts ? texts : ""), remove);
    });
}

int chgdec(const char* in_path, const char* out_path, char* decimals_io, const vt_listbox* value_list_box,
           const vt_listbox* precision_list_box, const char* variable, int step, const char* unit_var) {
    return vt::guard([&] {
        return vt::chgdec(in_path, out_path, decimals_io, value_list_box, precision_list_box, variable, step,
                          unit_var);
    });
}

int tabsel(const char* table_dir, const char* in_path, const char* out_path, int type, const vt_listbox* list,
           int option, const char* label_path, const char* name, const char* text1, const char* text2,
           const char* text3, const char* constant, const char* inclusion) {
    return vt::guard([&] {
        return vt::tabsel(table_dir, in_path, out_path, type, list, option, label_path, name, text1, text2, text3,
                          constant, inclusion);
    });
}

int valorder(const char* in_path, const char* out_path, const vt_listbox* list_a, const vt_listbox* list_b,
             const char* variable, int step, const char* unit_var, const char* texts, const vt_listbox* code_list) {
    return vt::guard([&] {
        return vt::valorder(in_path, out_path, list_a, list_b, variable, step, unit_var,
                            vt::title_words_from_label_file(texts ? texts : ""), code_list);
    });
}

int bvalue(const char* in_path, const char* out_path, const char* texts, int step, int operation,
           const char* inclusion, const vt_listbox* list1, const vt_listbox* list2, const vt_listbox* list3,
           const vt_listbox* list4, const vt_listbox* list5, const vt_listbox* list6, const vt_listbox* list7,
           const vt_listbox* list8, const vt_listbox* list9, const vt_listbox* list10, const vt_listbox* list11,
           const vt_listbox* list12, const vt_listbox* list13, const vt_listbox* list14, const vt_listbox* list15,
           const vt_listbox* list16, int order, const char* new_value, const char* beta_value, const char* constant) {
    return vt::guard([&] {
        const std::array<const vt_listbox*, vt::max_selected_vars> lists = {
            list1, list2, list3, list4, list5, list6, list7, list8, list9, list10, list11, list12, list13, list14,
            list15, list16};
        return vt::bvalue(in_path, out_path, vt::title_words_from_label_file(texts ? texts : ""), step, operation,
                          inclusion, lists, order, new_value, beta_value, constant);
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
