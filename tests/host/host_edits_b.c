/* The change texts, contents addition and texts and codes dialogues as a
   host drives them: edit fields and a list box in memory, step by step,
   and the steps a careless host gets wrong. */
#include "host.h"
#include "vtops.h"

static int contains(const char* path, const char* line) {
    char* text = read_whole(path);
    int found = text != NULL && strstr(text, line) != NULL;
    free(text);
    return found;
}

/* The user's edit of a box of three items. */
static void box_put3(host_box* b, const char* a, const char* c, const char* d) {
    host_reset(b);
    host_add(b, a);
    host_add(b, c);
    host_add(b, d);
}

static void change_texts(const char* in, const char* out, const char* work) {
    char contents[VT_DIALOG_BUFFER], units[VT_DIALOG_BUFFER], labels[1024];
    host_box list;
    box_init(&list);
    path_in(labels, sizeof labels, work, "labels.ini");
    CHECK(write_whole(labels, "[Global]\nand=och\nby=efter\ndistr=fordelning\n"));

    /* Step 1: names in the box, CONTENTS and UNITS in the fields. */
    CHECK_INT(chgtxt(in, "", contents, units, &list.view, "", 1, "unit", labels), 0);
    CHECK_STR(box_joined(&list), "region|sex|year");
    CHECK_STR(contents, "Population");
    CHECK_STR(units, "persons");
    /* Step 2 lists the values of one variable; step 3 takes them back. */
    CHECK_INT(chgtxt(NULL, NULL, contents, units, &list.view, "sex", 2, "unit", labels), 0);
    CHECK_STR(box_joined(&list), "men|women|total");
    box_put3(&list, "males", "males", "all");
    CHECK_INT(chgtxt(NULL, NULL, contents, units, &list.view, "sex", 3, "unit", labels), 95);
    box_put3(&list, "males", "females", "all");
    CHECK_INT(chgtxt(NULL, NULL, contents, units, &list.view, "sex", 3, "unit", labels), 0);
    /* Step 5: the names as the box now shows them, written. */
    box_put3(&list, "area", "gender", "area");
    CHECK_INT(chgtxt(NULL, out, contents, units, &list.view, "", 5, "unit", labels), 96);
    box_put3(&list, "area", "gender", "year");
    strcpy(contents, "People");
    CHECK_INT(chgtxt(NULL, in, contents, units, &list.view, "", 5, "unit", labels), 84);
    CHECK_INT(chgtxt(NULL, out, contents, units, &list.view, "", 5, "unit", labels), 0);
    CHECK(contains(out, "STUB=\"area\",\"gender\";"));
    CHECK(contains(out, "VALUES(\"gender\")=\"males\",\"females\",\"all\";"));
    CHECK(contains(out, "CONTENTS=\"People\";"));
    /* Ended: later steps have no table; release is always allowed. */
    CHECK_INT(chgtxt(NULL, out, contents, units, &list.view, "", 5, "unit", labels), 90);
    CHECK_INT(chgtxt(NULL, NULL, NULL, NULL, NULL, NULL, 4, NULL, NULL), 0);
    CHECK_INT(chgtxt("/no/such/table.vt", "", contents, units, &list.view, "", 1, "unit", labels), 400);
    CHECK_INT(chgtxt(NULL, NULL, contents, units, &list.view, "sex", 2, "unit", labels), 90);

    /* The contents addition in one call. */
    CHECK_INT(chgtxtcontents(in, out, "preliminary", labels), 0);
    CHECK(contains(out, "CONTENTS=\"Population, preliminary,\";"));
    CHECK_INT(chgtxtcontents(in, in, "preliminary", labels), 84);
    box_free(&list);
}

static void texts_and_codes(const char* in, const char* out) {
    char set_io[VT_DIALOG_BUFFER] = "", domain[VT_DIALOG_BUFFER] = "";
    /* Nothing asked for yet: step 5 is out of order. */
    CHECK_INT(ctvalues2003(in, "", out, 5, set_io, "2", domain), 90);
    /* Codes for the regions: texts and codes change places. */
    CHECK_INT(ctvalues2003(in, "", out, 1, set_io, "2", domain), 0);
    CHECK(contains(out, "VALUES(\"region\")=\"01\",\"02\",\"03\";"));
    CHECK(contains(out, "PRESTEXT(\"region\")=0;"));
    CHECK_STR(set_io, "");
    CHECK_INT(ctvalues2003(in, "", in, 1, set_io, "2", domain), 84);
    CHECK_INT(ctvalues2003(NULL, NULL, NULL, 6, NULL, NULL, NULL), 0);
}

int main(int argc, char** argv) {
    char in[1024], out[1024];
    if (argc < 3) return 2;
    path_in(in, sizeof in, argv[1], "population.vt");
    path_in(out, sizeof out, argv[2], "edited.vt");
    change_texts(in, out, argv[2]);
    texts_and_codes(in, out);
    return host_failures;
}
