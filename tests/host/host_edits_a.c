/* The delete-a-variable and decimals dialogues as a host drives them: fill
   the box, pick a variable, pick values or edit precisions, write; and the
   steps a careless host gets wrong. */
#include "host.h"
#include "vtops.h"

static void delete_a_variable(const char* in, const char* out, const char* labels) {
    host_box box;
    char* text;
    box_init(&box);

    /* Step 1 lists the variables, step 2 the values of the one picked. */
    CHECK_INT(vardelete(in, "", &box.view, "", 1, "unit", labels, 0), 0);
    CHECK_STR(box_joined(&box), "region|sex|year");
    CHECK_INT(vardelete(NULL, "", &box.view, "sex", 2, "unit", labels, 0), 0);
    CHECK_STR(box_joined(&box), "men|women|total");

    /* Remove men and women: the table keeps the totals without the variable. */
    CHECK(box_select(&box, "men"));
    CHECK(box_select(&box, "women"));
    CHECK_INT(vardelete(NULL, in, &box.view, "sex", 4, "unit", labels, 1), 84); /* never over the source */
    CHECK_INT(vardelete(NULL, out, &box.view, "sex", 4, "unit", labels, 1), 0);
    text = read_whole(out);
    CHECK(text != NULL && strstr(text, "STUB=\"region\";\nHEADING=\"year\";") != NULL);
    CHECK(text != NULL && strstr(text, "TITLE=\"Population efter region och year\";") != NULL);
    CHECK(text != NULL && strstr(text, "CELLNOTE(\"North\", \"2005\")=\"Revised figure.\";") != NULL);
    CHECK(text != NULL && strstr(text, "DATANOTECELL") == NULL);
    CHECK(text != NULL && strstr(text, "DATA=\n2390.4 2411.5 2445.5 \n") != NULL);
    free(text);

    /* The dialogue has ended; summing only some values is refused. */
    CHECK_INT(vardelete(NULL, out, &box.view, "sex", 4, "unit", labels, 1), 90);
    CHECK_INT(vardelete(in, "", &box.view, "", 1, "unit", labels, 0), 0);
    CHECK_INT(vardelete(NULL, "", &box.view, "region", 2, "unit", labels, 0), 0);
    CHECK(box_select(&box, "North"));
    CHECK_INT(vardelete(NULL, out, &box.view, "region", 4, "unit", labels, 0), 78);
    CHECK_INT(vardelete(NULL, "", &box.view, "region", 2, "unit", labels, 0), 90);
    CHECK_INT(vardelete(NULL, NULL, NULL, NULL, 3, NULL, NULL, 0), 0);
    box_free(&box);
}

static void change_decimals(const char* in, const char* out) {
    host_box values, precisions;
    char shown[16];
    char* text;
    box_init(&values);
    box_init(&precisions);
    memset(shown, '#', sizeof shown);

    CHECK_INT(chgdec(in, "", shown, &values.view, &precisions.view, "", 1, "unit"), 0);
    CHECK_STR(shown, "0");
    CHECK(shown[2] == '#'); /* the library wrote the digit and its NUL only */
    CHECK_STR(box_joined(&values), "region|sex|year");
    CHECK_INT(chgdec(NULL, "", shown, &values.view, &precisions.view, "region", 2, "unit"), 0);
    CHECK_STR(box_joined(&values), "North|South|East");
    CHECK_STR(box_joined(&precisions), "1|0|0");

    /* The user gives North two decimals and shows one for the table. */
    host_reset(&precisions);
    host_add(&precisions, "2");
    host_add(&precisions, "0");
    host_add(&precisions, "0");
    CHECK_INT(chgdec(NULL, "", shown, &values.view, &precisions.view, "region", 3, "unit"), 0);
    strcpy(shown, "1");
    CHECK_INT(chgdec(NULL, out, shown, &values.view, &precisions.view, "", 5, "unit"), 0);
    text = read_whole(out);
    CHECK(text != NULL && strstr(text, "DECIMALS=1;\nSHOWDECIMALS=1;") != NULL);
    CHECK(text != NULL && strstr(text, "PRECISION(\"region\",\"North\")=2;") != NULL);
    CHECK(text != NULL && strstr(text, "DATA=\n1200.40 1210.00 1225.60 \n") != NULL);
    free(text);
    CHECK_INT(chgdec(NULL, out, shown, &values.view, &precisions.view, "", 5, "unit"), 90);

    /* A source that cannot be read holds nothing; release always works. */
    CHECK_INT(chgdec("/no/such/table.vt", "", shown, &values.view, &precisions.view, "", 1, "unit"), 400);
    CHECK_INT(chgdec(NULL, "", shown, &values.view, &precisions.view, "region", 2, "unit"), 90);
    CHECK_INT(chgdec(NULL, NULL, NULL, NULL, NULL, NULL, 4, NULL), 0);
    box_free(&values);
    box_free(&precisions);
}

int main(int argc, char** argv) {
    char in[1024], out[1024], out2[1024], labels[1024];
    if (argc < 3) return 2;
    path_in(in, sizeof in, argv[1], "population.vt");
    path_in(out, sizeof out, argv[2], "no_sex.vt");
    path_in(out2, sizeof out2, argv[2], "decimals.vt");
    path_in(labels, sizeof labels, argv[2], "labels.ini");
    CHECK(write_whole(labels, "[Global]\nand=och\nby=efter\ndistr=fordelning\n"));
    delete_a_variable(in, out, labels);
    change_decimals(in, out2);
    return host_failures;
}
