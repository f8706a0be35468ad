// The exports of libvtconv.
#include "vtconv.h"

#include <bit>
#include <cstdint>
#include <string>

#include "core/codes.h"
#include "core/reader.h"
#include "export/asp.h"
#include "export/dbase.h"
#include "export/delimited.h"
#include "export/excel.h"
#include "export/gesmes.h"
#include "export/html.h"
#include "export/kml.h"
#include "export/nsd.h"
#include "export/lotus.h"
#include "export/print.h"
#include "export/resave.h"
#include "export/sdmx.h"
#include "export/text.h"
#include "export/xdf.h"
#include "export/xmlcube.h"
#include "export/tsd.h"
#include "core/guard.h"
#include "platform/fsinfo.h"

int VelInit(void) { return 1; }

int VelGFree(void) { return 1; }

unsigned int SpaceSpec(int kind) {
    vt::plat::disk_figures f;
    if (!vt::plat::disk_space(".", f)) return 0;
    // Hosts take the answer as a 32-bit number: the product is formed in
    // 32-bit unsigned arithmetic, so larger file systems wrap modulo 2^32.
    const auto unit = static_cast<std::uint32_t>(f.block_size);
    const auto count = static_cast<std::uint32_t>(kind == 1 ? f.blocks : f.blocks_avail);
    return count * unit;
}

namespace {

// Every conversion reads CELLNOTEX entries like CELLNOTE entries; the batch
// program and the operations library keep their own rule.
void conversion_settings() { vt::reader_state().cellnotex_batch_rules = false; }

}  // namespace

int VtReSave(const char* path, const char* path2, int ansi) {
    return vt::guard([&] {
        conversion_settings();
        return vt::VtReSave(path, path2, ansi);
    }, vt::codes::resave_no_memory);
}

int savevt(const char* path, const char* path2, int ignored, const char* ignored_name, const char* description,
           const char* subject, int set_subject, int ansi, int keys_mode, int keep_keys) {
    return vt::guard([&] {
        conversion_settings();
        return vt::savevt(path, path2, ignored, ignored_name, description, subject, set_subject, ansi, keys_mode,
                          keep_keys);
    });
}

int TextConv(const char* infile, const char* outfile, int rowlength, int pagelength, int marglength, int oem,
             const char* decimalpoint, const char* symbols, int doublecolumn, int completeinfo, const char* labelfile,
             int rounding, int noteplace, int thousand) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::TextConv(str(infile), str(outfile), rowlength, pagelength, marglength, oem, str(decimalpoint),
                            str(symbols), doublecolumn, completeinfo, str(labelfile), rounding, noteplace, thousand);
    });
}

int htmkonv(const char* path, const char* path2, const char* text, int a, int b) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::htmkonv(str(path), str(path2), str(text), a, b);
    });
}

// The host may pass a table it has read instead of a file name; this
// library works on files only, so such a call is refused as an input that
// cannot be opened.
int ExcelConv2005(const char* infile, const char* outfile, const void* table, const char* symbols, int doublecolumn,
                  int completeinfo, const char* labelfile, int datanote, int rounding, int rawvalues) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        if (infile == nullptr && table != nullptr) return vt::codes::cannot_open;
        return vt::ExcelConv2005(str(infile), str(outfile), str(symbols), doublecolumn, completeinfo, str(labelfile),
                                 datanote, rounding, rawvalues);
    });
}

int htmkonv2(const char* path, const char* path2, const char* text, int a, int b) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::htmkonv2(str(path), str(path2), str(text), a, b);
    });
}

int AspConv(const char* path, const char* path2, int stubtype, const char* text, const char* decimalpoint,
            int thousand, int doublecolumn, int completeinfo, int nozero, const char* vtlang, const char* guilang,
            const char* uppercase, int rounding, int datanoteoptplace) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::AspConv(str(path), str(path2), stubtype, str(text), str(decimalpoint), thousand, doublecolumn,
                           completeinfo, nozero, str(vtlang), str(guilang), str(uppercase), rounding,
                           datanoteoptplace);
    });
}

int RelTable(const char* path, const char* path2, const char* decimal_point, const char* text_delimiter, int iteration,
             const char* text, int rounding, int note_place) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::RelTable(str(path), str(path2), str(decimal_point), str(text_delimiter), iteration, str(text),
                            rounding, note_place);
    });
}

int utgraph(const char* path, const char* path2, const char* decimal_point, const char* text_delimiter, int iteration,
            const char* text, int rounding, int note_place) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::utgraph(str(path), str(path2), str(decimal_point), str(text_delimiter), iteration, str(text),
                           rounding, note_place);
    });
}

// The table argument of the print exports stands for an in-memory table a
// host could once pass instead of a file; the cells always come from the
// file, so it is not looked at. The symbol list is only read: the table's
// own symbol texts are used without writing them into the host's buffer.
int asmkonv(const char* path, const char* path2, const char* delimiter, int oem, const void* table,
            const char* symbols, int rounding, int note_place) {
    (void)table;
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::asmkonv(str(path), str(path2), str(delimiter), oem, str(symbols), rounding, note_place);
    });
}

int astkonv(const char* path, const char* path2, const char* delimiter, int oem, const void* table,
            const char* symbols, int rounding, int note_place) {
    (void)table;
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::astkonv(str(path), str(path2), str(delimiter), oem, str(symbols), rounding, note_place);
    });
}

int cellkonv(const char* path, const char* path2, const char* delimiter, const void* table, const char* text,
             int rounding) {
    (void)table;
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::cellkonv(str(path), str(path2), str(delimiter), str(text), rounding);
    });
}

// The dBase exports take the table file by name only; the in-memory table
// and the ignored arguments are kept for the hosts' calling sequence.
int dbakonv(const char* path, const char* path2, const char* unit_name, int ignored, const void* table) {
    (void)ignored;
    (void)table;
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::dbakonv(str(path), str(path2), str(unit_name));
    });
}

int dbakonv2(const char* path, const char* path2, int ignored, const void* table) {
    (void)ignored;
    (void)table;
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::dbakonv2(str(path), str(path2));
    });
}

int dbakonv3(const char* path, const char* path2, int ignored, const void* table) {
    (void)ignored;
    (void)table;
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::dbakonv3(str(path), str(path2));
    });
}

int dbaseConv(const char* path, const char* path2, int ignored, const void* table, const char* ignored_symbols,
              int code_mode, int ignored_info, const char* ignored_labels) {
    (void)ignored;
    (void)table;
    (void)ignored_symbols;
    (void)ignored_info;
    (void)ignored_labels;
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::dbaseConv(str(path), str(path2), code_mode);
    });
}

// The symbol value arrives as the two 32-bit halves of a double, the low
// half first, as the hosts push an 8-byte value.
int dbakonv2005(const char* path, const char* path2, const char* unit_name, int ignored, const void* table,
                unsigned int symbol_low, unsigned int symbol_high) {
    (void)ignored;
    (void)table;
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        const double symbol_value =
            std::bit_cast<double>((std::uint64_t{symbol_high} << 32) | std::uint64_t{symbol_low});
        return vt::dbakonv2005(str(path), str(path2), str(unit_name), symbol_value);
    });
}

int xmlsave(const char* infile, const char* outfile, int datamode) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::xmlsave(str(infile), str(outfile), datamode);
    });
}

int sdmxsave(const char* infile, const char* outfile, int type, const char* lang) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::sdmxsave(str(infile), str(outfile), type, str(lang));
    });
}

int xdfsave(const char* infile, const char* outfile, int type, const char* lang, int rounding, int doctype) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::xdfsave(str(infile), str(outfile), type, str(lang), rounding, doctype);
    });
}

int kmlsave(const char* infile, const char* outfile, const char* dir) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::kmlsave(str(infile), str(outfile), str(dir));
    });
}

int kmlsave2(const char* infile, const char* outfile, const char* dir, const char* symbols) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::kmlsave2(str(infile), str(outfile), str(dir), str(symbols));
    });
}

int kmlsave3(const char* infile, const char* outfile, const char* dir, const char* symbols) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::kmlsave3(str(infile), str(outfile), str(dir), str(symbols));
    });
}

int gesmes2003(const char* infile, const char* outfile, const char* /*unitvar*/, const char* Sender,
               const char* Receiver, const char* InterchangeMsg, const char* MessageRef, const char* DSN,
               const char* Datastruct, const char* Conf, const char* ObsStatus, const char* Include,
               const char* CodeListOrg, int Test, const char* CodeFile, int ARRvar, const char* listA,
               const char* listB, const char* ContactName, const char* ContactEmail) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        vt::gesmes_settings s;
        s.sender = str(Sender);
        s.receiver = str(Receiver);
        s.interchange_msg = str(InterchangeMsg);
        s.message_ref = str(MessageRef);
        s.dsn = str(DSN);
        s.datastruct = str(Datastruct);
        s.conf = str(Conf);
        s.obs_status = str(ObsStatus);
        s.include = str(Include);
        s.code_list_org = str(CodeListOrg);
        s.test = Test;
        s.code_file = str(CodeFile);
        s.arr_var = ARRvar;
        s.list_a = str(listA);
        s.list_b = str(listB);
        s.contact_name = str(ContactName);
        s.contact_email = str(ContactEmail);
        return vt::gesmes2003(str(infile), str(outfile), s);
    });
}

int arekonv(const char* path, const char* path2, int oem, const char* series_file, int keep_unnamed) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::arekonv(str(path), str(path2), oem, str(series_file), keep_unnamed);
    });
}

// As ExcelConv2005: a table held by the host cannot be taken, only a file.
int nsdkonv(const char* infile, const char* outfile, const char* defaultname, const void* table) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        if (infile == nullptr && table != nullptr) return vt::codes::cannot_open;
        return vt::nsdkonv(str(infile), str(outfile), str(defaultname));
    });
}

// The symbol list comes back in the caller's buffer when the table names
// symbol texts of its own. Hosts size that buffer for eight texts of up to
// 20 characters with their separators; a longer list is not written into
// it, as it would run past the buffer's end.
int lotkonv(const char* path, const char* path2, const void* table, char* symbols) {
    return vt::guard([&] {
        conversion_settings();
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        if (path == nullptr && table != nullptr) return vt::codes::cannot_open;
        std::string list = str(symbols);
        const std::string given = list;
        const int rc = vt::lotkonv(str(path), str(path2), list);
        if (rc == 0 && symbols != nullptr && list != given && list.size() < vt::lotus_symbol_buffer) {
            list.copy(symbols, list.size());
            symbols[list.size()] = '\0';
        }
        return rc;
    });
}
