// The exports of libvtops.
#include "vtops.h"

#include <array>
#include <string>

#include "dialogs/bvalue.h"
#include "dialogs/valorder.h"
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
