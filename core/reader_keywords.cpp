// The keyword table of the table file reader, the statement loop that
// serves each recognised keyword from its row, and the checks run when the
// keyword part ends.
//
// The rows stand in the order the recogniser tries the patterns, which
// decides what a file means where one pattern ends inside another; the
// order and the codes are those stored files and every caller rely on.
// TEXTS( and CODES( share one code and one handler; DATA= has no handler,
// it ends the keyword part.
#include "core/codes.h"
#include "core/numfmt.h"
#include "core/reader_keywords.h"

namespace vt::reading {

namespace {

using R = statement_reader;
using K = keyword_row;
constexpr auto each = repeat_rule::read_each;
constexpr auto once = repeat_rule::first_only;
constexpr auto once_noted = repeat_rule::first_noted;
constexpr auto once_taken = repeat_rule::first_taken;
constexpr auto fatal = string_rule::fatal;
constexpr auto noted = string_rule::noted;

// The data symbols DATASYMBOL1= .. DATASYMBOL6= fill one array.
template <int N>
int datasymbol(R& r, const K& k) {
    return r.one_string(r.t.datasymbol[N - 1], 20, k.problem, noted);
}

int per_content(R& r, const K& k) { return r.per_content(k.code, k.problem); }
int cell_entry(R& r, const K& k) { return r.cell_entry(k.code, k.problem); }
int ignored(R&, const K&) { return 0; }

}  // namespace

// Problem codes shared with other rows or with the end checks are named in
// core/codes.h; the others are this table's own.
const keyword_row keyword_table[keyword_count] = {
    {kw_matrix, "MATRIX=", once, 101, [](R& r, const K& k) { return r.one_string(r.t.matrix, 20, k.problem, fatal); }},
    {kw_subject_area, "SUBJECT-AREA=", once, 102,
     [](R& r, const K& k) { return r.one_string(r.t.subject_area, 256, k.problem, fatal); }},
    {kw_units, "UNITS=", once, codes::reader_bad_units, [](R& r, const K&) { return r.units(); }},
    {kw_title, "TITLE=", once, 104,
     [](R& r, const K& k) {
         int rc = read_text_list(r.f, r.t.title);
         return rc == 0 || rc == codes::no_memory ? rc : k.problem;
     }},
    {kw_description, "DESCRIPTION=", once_noted, 105,
     [](R& r, const K& k) { return r.text_list_of(r.t.description, k.problem); }},
    {kw_stub, "STUB=", once, 106, [](R& r, const K& k) { return r.names(true, k.problem); }},
    {kw_heading, "HEADING=", once, 107, [](R& r, const K& k) { return r.names(false, k.problem); }},
    {kw_values, "VALUES(", each, 108, [](R& r, const K& k) { return r.values(k.problem); }},
    {kw_codes, "TEXTS(", each, codes::reader_bad_codes, [](R& r, const K& k) { return r.value_codes(k.problem); }},
    {kw_note, "NOTE=", each, codes::reader_bad_note,
     [](R& r, const K& k) { return r.text_list_of(r.t.note, k.problem); }},
    {kw_note_var, "NOTE(", each, codes::reader_bad_variable_note,
     [](R& r, const K& k) { return r.var_text_list(false, k.problem); }},
    {kw_valuenote, "VALUENOTE(", each, codes::reader_bad_value_note,
     [](R& r, const K& k) { return r.value_note(false, k.problem); }},
    {kw_cellnote, "CELLNOTE(", each, codes::reader_bad_cell_note, cell_entry},
    {kw_compressed, "COMPRESSED=", each, 0, ignored},
    {kw_elimination, "ELIMINATION(", each, 115, [](R& r, const K& k) { return r.elimination(k.problem); }},
    {kw_decimals, "DECIMALS=", once, codes::reader_bad_decimals,
     [](R& r, const K& k) { return r.unquoted_number(r.t.decimals, max_decimals, k.problem, true); }},
    {kw_partitioned, "PARTITIONED(", each, 117, [](R& r, const K& k) { return r.partitioned(k.problem); }},
    {kw_codes, "CODES(", each, codes::reader_bad_codes, [](R& r, const K& k) { return r.value_codes(k.problem); }},
    {kw_notex, "NOTEX=", each, codes::reader_bad_note,
     [](R& r, const K& k) { return r.text_list_of(r.t.notex, k.problem); }},
    {kw_notex_var, "NOTEX(", each, codes::reader_bad_variable_note,
     [](R& r, const K& k) { return r.var_text_list(true, k.problem); }},
    {kw_contents, "CONTENTS=", once, 120,
     [](R& r, const K& k) { return r.one_string(r.t.contents, 256, k.problem, fatal); }},
    {kw_keys_no, "KEYS=", each, codes::reader_bad_keys, [](R& r, const K&) { return r.keys_no(); }},
    {kw_notep, "NOTEP=", each, 0, ignored},
    {kw_precision, "PRECISION(", each, 123, [](R& r, const K& k) { return r.precision(k.problem); }},
    {kw_domain, "DOMAIN(", each, 124,
     [](R& r, const K& k) { return r.var_string(&variable::domain, 256, k.problem, noted); }},
    {kw_subject_code, "SUBJECT-CODE=", once, 125,
     [](R& r, const K& k) { return r.one_string(r.t.subject_code, 20, k.problem, fatal); }},
    {kw_valuenotex, "VALUENOTEX(", each, codes::reader_bad_value_note,
     [](R& r, const K& k) { return r.value_note(true, k.problem); }},
    {kw_data, "DATA=", each, 0, nullptr},
    {kw_copyright, "COPYRIGHT=", once_noted, 142,
     [](R& r, const K& k) { return r.yes_no_first(r.t.copyright, k.problem); }},
    {kw_dayadj, "DAYADJ=", once, codes::reader_bad_dayadj,
     [](R& r, const K& k) { return r.yes_no_first(r.t.continfos.front().dayadj, k.problem); }},
    {kw_seasadj, "SEASADJ=", once, codes::reader_bad_dayadj,
     [](R& r, const K& k) { return r.yes_no_first(r.t.continfos.front().seasadj, k.problem); }},
    {kw_source, "SOURCE=", once, 145, [](R& r, const K& k) { return r.text_list_of(r.t.source, k.problem); }},
    {kw_contact, "CONTACT=", once, codes::reader_bad_contact,
     [](R& r, const K& k) { return r.text_list_of(r.t.continfos.front().contact, k.problem); }},
    {kw_refperiod, "REFPERIOD=", once, codes::reader_bad_refperiod,
     [](R& r, const K& k) { return r.text_list_of(r.t.continfos.front().refperiod, k.problem); }},
    {kw_velt_version, "VELT-VERSION=", once, 148, [](R& r, const K& k) { return r.velt_version(k.problem); }},
    {kw_last_updated, "LAST-UPDATED=", once, codes::reader_bad_last_updated,
     [](R& r, const K& k) { return r.one_string(r.t.continfos.front().last_updated, 256, k.problem, noted); }},
    {kw_creation_date, "CREATION-DATE=", once_noted, 150,
     [](R& r, const K& k) { return r.one_string(r.t.creation_date, 256, k.problem, noted); }},
    {kw_stockfa, "STOCKFA=", once, codes::reader_bad_stockfa,
     [](R& r, const K& k) { return r.letter_choice(r.t.continfos.front().stockfa, "SFA", k.problem); }},
    {kw_cfprices, "CFPRICES=", once, codes::reader_bad_cfprices,
     [](R& r, const K& k) { return r.letter_choice(r.t.continfos.front().cfprices, "CF", k.problem); }},
    {kw_timeval, "TIMEVAL(", once_taken, 0, [](R& r, const K&) { return r.timeval(); }},
    {kw_baseperiod, "BASEPERIOD=", once, codes::reader_bad_baseperiod,
     [](R& r, const K& k) { return r.text_list_of(r.t.continfos.front().baseperiod, k.problem); }},
    {kw_database, "DATABASE=", once_noted, 155,
     [](R& r, const K& k) { return r.text_list_of(r.t.database, k.problem); }},
    {kw_infofile, "INFOFILE=", once, 156, [](R& r, const K& k) { return r.text_list_of(r.t.infofile, k.problem); }},
    {kw_contvariable, "CONTVARIABLE=", once_noted, codes::reader_bad_contvariable,
     [](R& r, const K&) { return r.contvariable(); }},
    {kw_baseperiod_c, "BASEPERIOD(", each, codes::reader_bad_baseperiod, per_content},
    {kw_cfprices_c, "CFPRICES(", each, codes::reader_bad_cfprices, per_content},
    {kw_contact_c, "CONTACT(", each, codes::reader_bad_contact, per_content},
    {kw_last_updated_c, "LAST-UPDATED(", each, codes::reader_bad_last_updated, per_content},
    {kw_refperiod_c, "REFPERIOD(", each, codes::reader_bad_refperiod, per_content},
    {kw_seasadj_c, "SEASADJ(", each, 144, per_content},
    {kw_stockfa_c, "STOCKFA(", each, codes::reader_bad_stockfa, per_content},
    {kw_dayadj_c, "DAYADJ(", each, codes::reader_bad_dayadj, per_content},
    {kw_showdecimals, "SHOWDECIMALS=", once, codes::reader_bad_showdecimals,
     [](R& r, const K& k) { return r.unquoted_number(r.t.showdecimals, max_shown_decimals, k.problem, false); }},
    {kw_units_c, "UNITS(", each, codes::reader_bad_units, per_content},
    {kw_cellnotex, "CELLNOTEX(", each, codes::reader_bad_cell_note, cell_entry},
    {kw_prestext, "PRESTEXT(", each, 162, [](R& r, const K& k) { return r.prestext(k.problem); }},
    {kw_keys, "KEYS(", each, codes::reader_bad_keys, [](R& r, const K&) { return r.keys(); }},
    {kw_charset, "CHARSET=", each, codes::reader_bad_charset, [](R& r, const K& k) { return r.charset(k.problem); }},
    {kw_map, "MAP(", each, 164, [](R& r, const K& k) { return r.var_string(&variable::map, 256, k.problem, fatal); }},
    {kw_language, "LANGUAGE=", once, 165,
     [](R& r, const K& k) { return r.one_string(r.t.language, 2, k.problem, noted); }},
    {kw_aggregallowed, "AGGREGALLOWED=", once, 166,
     [](R& r, const K& k) {
         if (int yn = r.yes_no_word(k.problem); yn >= 0) r.t.aggregallowed = yn;
         return 0;
     }},
    {kw_autopen, "AUTOPEN=", each, 167,
     [](R& r, const K& k) {
         if (int yn = r.yes_no_word(k.problem); yn >= 0) r.t.autopen = yn;
         return 0;
     }},
    {kw_doublecolumn, "DOUBLECOLUMN(", each, codes::reader_bad_doublecolumn,
     [](R& r, const K& k) { return r.doublecolumn(k.problem); }},
    {kw_descriptiondefault, "DESCRIPTIONDEFAULT=", each, 169,
     [](R& r, const K& k) { return r.descriptiondefault(k.problem); }},
    {kw_confidential, "CONFIDENTIAL=", once, 170,
     [](R& r, const K& k) { return r.one_string(r.t.confidential, 20, k.problem, noted); }},
    {kw_codepage, "CODEPAGE=", once, 171,
     [](R& r, const K& k) { return r.one_string(r.t.codepage, 20, k.problem, noted); }},
    // The value is not read: a table read in a selected language records
    // that language, and only when the file names its own language.
    {kw_languages, "LANGUAGES=", once_taken, 0,
     [](R& r, const K& k) {
         if (r.t.language) {
             r.seen[static_cast<std::size_t>(k.code)] = true;
             r.t.languages = r.cfg.selected_language;
         }
         return 0;
     }},
    {kw_datasymbol1, "DATASYMBOL1=", once, codes::reader_bad_datasymbol, datasymbol<1>},
    {kw_datasymbol1 + 1, "DATASYMBOL2=", once, codes::reader_bad_datasymbol, datasymbol<2>},
    {kw_datasymbol1 + 2, "DATASYMBOL3=", once, codes::reader_bad_datasymbol, datasymbol<3>},
    {kw_datasymbol1 + 3, "DATASYMBOL4=", once, codes::reader_bad_datasymbol, datasymbol<4>},
    {kw_datasymbol1 + 4, "DATASYMBOL5=", once, codes::reader_bad_datasymbol, datasymbol<5>},
    {kw_datasymbol1 + 5, "DATASYMBOL6=", once, codes::reader_bad_datasymbol, datasymbol<6>},
    {kw_datasymbolsum, "DATASYMBOLSUM=", once, 174,
     [](R& r, const K& k) { return r.one_string(r.t.datasymbolsum, 20, k.problem, noted); }},
    {kw_datasymbolnil, "DATASYMBOLNIL=", once, 175,
     [](R& r, const K& k) { return r.one_string(r.t.datasymbolnil, 20, k.problem, noted); }},
    {kw_datanotecell, "DATANOTECELL(", each, 176, cell_entry},
    {kw_datanotesum, "DATANOTESUM=", once, 177,
     [](R& r, const K& k) { return r.one_string(r.t.datanotesum, 20, k.problem, noted); }},
    {kw_next_update, "NEXT-UPDATE=", once, 178,
     [](R& r, const K& k) { return r.one_string(r.t.next_update, 256, k.problem, noted); }},
    {kw_vt_server, "VT-SERVER=", once, 179,
     [](R& r, const K& k) { return r.one_string(r.t.vt_server, 256, k.problem, noted); }},
    {kw_directory_path, "DIRECTORY-PATH=", once, 181,
     [](R& r, const K& k) { return r.one_string(r.t.directory_path, 256, k.problem, noted); }},
    {kw_update_frequency, "UPDATE-FREQUENCY=", once, 182,
     [](R& r, const K& k) { return r.one_string(r.t.update_frequency, 256, k.problem, noted); }},
    {kw_info, "INFO=", once, 183, [](R& r, const K& k) { return r.text_list_of(r.t.info, k.problem); }},
    {kw_link, "LINK=", once, 184, [](R& r, const K& k) { return r.one_string(r.t.link, 256, k.problem, noted); }},
    {kw_survey, "SURVEY=", once, 185,
     [](R& r, const K& k) { return r.one_string(r.t.survey, 256, k.problem, noted); }},
    {kw_variable_type, "VARIABLE-TYPE(", each, 186,
     [](R& r, const K& k) {
         return r.var_string(&variable::variable_type, 80, k.problem, string_rule::terminator_fatal);
     }},
    {kw_default_graph, "DEFAULT-GRAPH=", once, 187,
     [](R& r, const K& k) { return r.unquoted_number(r.t.default_graph, 10, k.problem, true); }},
    {kw_tableid, "TABLEID=", once, 188,
     [](R& r, const K& k) { return r.one_string(r.t.tableid, 256, k.problem, noted); }},
    {kw_hierarchylevelsopen, "HIERARCHYLEVELSOPEN(", each, 189,
     [](R& r, const K& k) { return r.hierarchy_digits(&variable::hierarchylevelsopen, false, k.problem); }},
    // Unlike its neighbours, a HIERARCHYLEVELS( without digits stops the read.
    {kw_hierarchylevels, "HIERARCHYLEVELS(", each, 201,
     [](R& r, const K& k) { return r.hierarchy_digits(&variable::hierarchylevels, true, k.problem); }},
    {kw_hierarchynames, "HIERARCHYNAMES(", each, 202, [](R& r, const K& k) { return r.hierarchynames(k.problem); }},
    {kw_hierarchies, "HIERARCHIES(", each, 203, [](R& r, const K& k) { return r.hierarchies(k.problem); }},
    {kw_synonyms, "SYNONYMS=", once, 205,
     [](R& r, const K& k) { return r.one_string(r.t.synonyms, 256, k.problem, noted); }},
    {kw_rounding, "ROUNDING=", each, 206, [](R& r, const K& k) { return r.rounding(k.problem); }},
};

static_assert(kw_rounding == 92 && kw_data == 50 && kw_datasymbolsum == 73 && kw_units_c == 53);

const keyword_row* row_for(int code) noexcept {
    // By code, the first row of the code (TEXTS( and CODES( read alike).
    static const auto rows = [] {
        std::array<const keyword_row*, kw_eof + 1> by_code{};
        for (const keyword_row& k : keyword_table)
            if (!by_code[static_cast<std::size_t>(k.code)]) by_code[static_cast<std::size_t>(k.code)] = &k;
        return by_code;
    }();
    return code >= 0 && code <= kw_eof ? rows[static_cast<std::size_t>(code)] : nullptr;
}

int statement_reader::run() {
    cfg.oem_input = true;
    t.compressed = 0;
    t.aggregallowed = 1;
    t.rounding = -1;
    for (variable& v : t.vars) v.keys_mode = 0;
    stub_n = t.heading <= t.vars.size() ? t.heading : t.vars.size();

    const bool lang = !cfg.selected_language.empty();
    for (;;) {
        int code = lang ? read_keyword_lang(f) : read_keyword(f);
        if (code == kw_eof) return end_checks(false);
        if (code == kw_data) return end_checks(true);
        const keyword_row* k = row_for(code);
        if (!k || !k->handle) continue;
        bool& taken = seen[static_cast<std::size_t>(code)];
        switch (k->repeat) {
        case repeat_rule::read_each: break;
        case repeat_rule::first_only:
            if (taken) continue;
            taken = true;
            break;
        case repeat_rule::first_noted:
            if (taken) {
                note(k->problem);
                continue;
            }
            taken = true;
            break;
        case repeat_rule::first_taken:
            if (taken) continue;
            break;
        }
        if (int rc = k->handle(*this, *k); rc != 0) return rc;
    }
}

// The checks stand in the order their codes have always been reported in:
// the first missing mandatory keyword is the one a caller sees.
int statement_reader::end_checks(bool got_data) {
    if (!seen[kw_matrix]) return codes::reader_no_matrix;
    if (!seen[kw_subject_area]) return codes::reader_no_subject_area;
    if (!seen[kw_subject_code]) return codes::reader_no_subject_code;
    if (!seen[kw_stub] && !seen[kw_heading]) return codes::reader_no_variables;
    if (!seen[kw_units]) return codes::reader_no_units;
    if (!seen[kw_contents]) return codes::reader_no_contents;
    if (!seen[kw_decimals]) return codes::reader_bad_decimals;
    // A missing title is taken from the description.
    if (!seen[kw_title]) {
        if (t.description.empty()) return codes::reader_no_title;
        t.title.assign(1, t.description.front());
    }
    if (!seen[kw_copyright]) t.copyright = -1;
    if (per_content_used && (!t.contvariable || t.contvariable->empty())) note(codes::reader_contents_unnamed);
    // A double column shows the code beside the text, so it needs codes.
    if (doublecolumn_yes > 0)
        for (const variable& v : t.vars)
            if (v.doublecolumn == 1 && (v.values.empty() || !v.values.front().code))
                note(codes::reader_bad_doublecolumn);
    if (contvariable_ok > 0 && !contents_variable()) note(codes::reader_malformed);
    if (seen[kw_showdecimals]) {
        if (t.decimals < t.showdecimals) note(codes::reader_bad_showdecimals);
    } else {
        t.showdecimals = t.decimals;
    }
    // Keyed data needs one KEYS( per stub variable, and no KEYS=NO.
    if (keys_count > 0) {
        if (keys_no_read) return codes::reader_bad_keys;
        if (static_cast<std::size_t>(keys_count) != stub_n) return codes::reader_bad_keys;
        for (std::size_t i = 0; i < stub_n; ++i)
            if (t.vars[i].keys_mode == 0) return codes::reader_bad_keys;
    }
    // Without stub variables the chain starts at the heading: nothing to do,
    // the chain always starts with the stub.
    //
    // "$$SORT" marks the sort pseudo-variable, which has no name and makes
    // the table's units meaningless.
    bool has_sort = false;
    for (variable& v : t.vars) {
        if (v.name && *v.name == "$$SORT") {
            v.name.reset();
            t.units.reset();
            has_sort = true;
        }
        if (v.values.empty()) return codes::reader_no_values;
        if (!v.values.front().code) v.prestext = 1;
    }
    if (!has_sort && !t.units) t.units = "?";
    // A successful read in a selected language records it in the table and
    // gives the process back its default language.
    if (cfg.selected_language.size() == 2 && t.language && t.language->size() == 2) {
        t.language = cfg.selected_language;
        cfg.selected_language.clear();
    }
    if (!got_data) return codes::reader_no_data_keyword;
    compute_strides(t.vars);
    return errors.empty() ? 0 : errors.front();
}

}  // namespace vt::reading
