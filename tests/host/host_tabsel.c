/* The dialogue of a second table as a host drives it: list the tables of
   a folder that fit, pick one, combine; and the steps a careless host gets
   wrong. */
#define _POSIX_C_SOURCE 200809L
#include <sys/stat.h>

#include "host.h"
#include "vtops.h"

static const char* const current_table =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"Now\";\n"
    "CONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"region\";\nHEADING=\"year\";\n"
    "VALUES(\"region\")=\"A\",\"B\";\nVALUES(\"year\")=\"2001\",\"2002\";\nDATA=\n1 2 \n3 4 ;\n";

/* The same variables, regions in another order: fits every option. */
static const char* const last_year =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"Last year\";\n"
    "CONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"region\";\nHEADING=\"year\";\n"
    "VALUES(\"region\")=\"B\",\"A\";\nVALUES(\"year\")=\"2001\",\"2002\";\nDATA=\n30 40 \n10 20 ;\n";

/* One more region: fits a link only. */
static const char* const more_regions =
    "CHARSET=\"ANSI\";\nDECIMALS=0;\nMATRIX=\"T\";\nSUBJECT-AREA=\"S\";\nSUBJECT-CODE=\"S\";\nTITLE=\"Three\";\n"
    "CONTENTS=\"Pop\";\nUNITS=\"persons\";\nSTUB=\"region\";\nHEADING=\"year\";\n"
    "VALUES(\"region\")=\"A\",\"B\",\"C\";\nVALUES(\"year\")=\"2001\",\"2002\";\nDATA=\n1 2 \n3 4 \n5 6 ;\n";

int main(int argc, char** argv) {
    char in[1024], out[1024], dir[1024], file[2048];
    host_box list;
    char* text;
    if (argc < 3) return 2;
    path_in(in, sizeof in, argv[2], "now.vt");
    path_in(out, sizeof out, argv[2], "combined.vt");
    path_in(dir, sizeof dir, argv[2], "tables");
    CHECK(write_whole(in, current_table));
    CHECK(mkdir(dir, 0700) == 0);
    CHECK(write_whole(path_in(file, sizeof file, dir, "a.vt"), last_year));
    CHECK(write_whole(path_in(file, sizeof file, dir, "b.vt"), more_regions));
    box_init(&list);

    /* Step 1 lists the tables that fit a division. */
    CHECK_INT(tabsel(dir, in, NULL, 1, &list.view, 44, "", NULL, NULL, NULL, NULL, NULL, "m"), 0);
    CHECK_STR(box_joined(&list), "Last year");
    CHECK(box_select(&list, "Last year"));
    /* The user forgets the new variable's name; then gives it. */
    CHECK_INT(tabsel(NULL, NULL, out, 2, &list.view, 44, "", "", "now", "then", "ratio", NULL, "m"), 93);
    CHECK_INT(tabsel(NULL, NULL, in, 2, &list.view, 44, "", "v", "now", "then", "ratio", NULL, "m"), 84);
    CHECK_INT(tabsel(NULL, NULL, out, 2, &list.view, 44, "", "v", "now#N", "then#T", "ratio#R", NULL, "m"), 0);
    text = read_whole(out);
    CHECK(text != NULL && strstr(text, "VALUES(\"v\")=\"now\",\"then\",\"ratio\";") != NULL);
    CHECK(text != NULL && strstr(text, "CODES(\"v\")=\"N\",\"T\",\"R\";") != NULL);
    CHECK(text != NULL && strstr(text, "PRECISION(\"v\",\"ratio\")=2;") != NULL);
    free(text);
    /* The dialogue has ended. */
    CHECK_INT(tabsel(NULL, NULL, out, 2, &list.view, 44, "", "v", "a", "b", "c", NULL, "m"), 90);

    /* A link offers both tables and appends the chosen one's region. */
    host_reset(&list);
    CHECK_INT(tabsel(dir, in, NULL, 1, &list.view, 61, "", NULL, NULL, NULL, NULL, NULL, NULL), 0);
    CHECK_STR(box_joined(&list), "Last year|Three");
    CHECK(box_select(&list, "Three"));
    CHECK_INT(tabsel(NULL, NULL, out, 2, &list.view, 61, "", NULL, NULL, NULL, NULL, NULL, NULL), 0);
    text = read_whole(out);
    CHECK(text != NULL && strstr(text, "VALUES(\"region\")=\"A\",\"B\",\"C\";") != NULL);
    free(text);

    /* No source, or a release at any time. */
    CHECK_INT(tabsel(dir, "/no/such/table.vt", NULL, 1, &list.view, 41, "", NULL, NULL, NULL, NULL, NULL, "m"), 400);
    CHECK_INT(tabsel(NULL, NULL, NULL, 3, NULL, 0, NULL, NULL, NULL, NULL, NULL, NULL, NULL), 0);
    CHECK_INT(tabsel(NULL, NULL, out, 2, &list.view, 41, "", "v", "a", "b", "c", NULL, "m"), 90);

    box_free(&list);
    return host_failures;
}
