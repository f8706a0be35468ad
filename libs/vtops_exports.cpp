// The exports of libvtops.
#include "vtops.h"

#include <string>

#include "export/delimited.h"
#include "guard.h"

int VelInit(void) { return 1; }

int VelGFree(void) { return 1; }

int utgraph(const char* path, const char* path2, const char* decimal_point, const char* text_delimiter, int iteration,
            const char* text, int rounding, int note_place) {
    return vt::exports::guard([&] {
        auto str = [](const char* s) { return std::string(s ? s : ""); };
        return vt::utgraph(str(path), str(path2), str(decimal_point), str(text_delimiter), iteration, str(text),
                           rounding, note_place);
    });
}
