/* The value order and calculation dialogues as a host drives them: fill
   the boxes, let the user choose, write; refused texts asked for again;
   and the steps a careless host gets wrong. */
#include "host.h"
#include "vtops.h"

#define NBOX 16

static host_box boxes[NBOX];

/* bvalue with the sixteen value boxes. */
static int calc(const char* in, const char* out, int step, int op, const char* incl, const char* new_value,
                const char* constant) {
    return bvalue(in, out, "", step, op, incl, &boxes[0].view, &boxes[1].view, &boxes[2].view, &boxes[3].view,
                  &boxes[4].view, &boxes[5].view, &boxes[6].view, &boxes[7].view, &boxes[8].view, &boxes[9].view,
                  &boxes[10].view, &boxes[11].view, &boxes[12].view, &boxes[13].view, &boxes[14].view,
                  &boxes[15].view, 1, new_value, "", constant);
}

static void value_order(const char* in, const char* out) {
    host_box a, b, codes;
    char* text;
    box_init(&a);
    box_init(&b);
    box_init(&codes);

    /* The variables, then the values and codes of the one chosen. */
    CHECK_INT(valorder(in, "", &a.view, &b.view, "", 1, "unit", "", &codes.view), 0);
    CHECK_STR(box_joined(&a), "region|sex|year");
    host_reset(&a);
    CHECK_INT(valorder(NULL, NULL, &a.view, &b.view, "sex", 2, "unit", "", &codes.view), 0);
    CHECK_STR(box_joined(&a), "men|women|total");
    CHECK_STR(box_joined(&codes), "1|2|T");
    CHECK_INT(valorder(NULL, NULL, &a.view, &b.view, "age", 2, "unit", "", &codes.view), 85);

    /* The user moves "total" over; the other two stay in their order. */
    host_reset(&a);
    host_add(&a, "men");
    host_add(&a, "women");
    host_add(&b, "total");
    CHECK_INT(valorder(NULL, in, &a.view, &b.view, "sex", 4, "unit", "", &codes.view), 84);
    CHECK_INT(valorder(NULL, out, &a.view, &b.view, "sex", 4, "unit", "", &codes.view), 0);
    text = read_whole(out);
    CHECK(text != NULL && strstr(text, "VALUES(\"sex\")=\"total\",\"men\",\"women\";") != NULL);
    CHECK(text != NULL && strstr(text, "CODES(\"sex\")=\"T\",\"1\",\"2\";") != NULL);
    free(text);
    /* The dialogue has ended. */
    CHECK_INT(valorder(NULL, out, &a.view, &b.view, "sex", 4, "unit", "", &codes.view), 90);
    CHECK_INT(valorder(NULL, NULL, NULL, NULL, NULL, 3, NULL, NULL, NULL), 0);

    box_free(&a);
    box_free(&b);
    box_free(&codes);
}

static void calculation(const char* in, const char* out) {
    char* text;
    int k;
    for (k = 0; k < NBOX; ++k) box_init(&boxes[k]);

    CHECK_INT(calc(in, out, 4, 11, "m", "x", ""), 90); /* nothing held yet */
    CHECK_INT(calc(in, out, 1, 11, "m", "", ""), 0);
    CHECK_STR(box_joined(&boxes[0]), "North|South|East");
    CHECK_STR(box_joined(&boxes[1]), "men|women|total");
    CHECK_STR(box_joined(&boxes[2]), "2003|2004|2005");
    CHECK_INT(boxes[3].count, 0);

    /* North + South of men and women in every year. */
    box_select(&boxes[0], "North");
    box_select(&boxes[0], "South");
    box_select(&boxes[1], "men");
    box_select(&boxes[1], "women");
    for (k = 0; k < 3; ++k) boxes[2].selected[k] = 1;
    CHECK_INT(calc(NULL, out, 2, 11, "m", "", ""), 93);      /* no text yet: asked for */
    CHECK_INT(calc(NULL, out, 4, 11, "m", "East", ""), 95);  /* taken */
    CHECK_INT(calc(NULL, out, 4, 11, "m", "N\"S", ""), 94);  /* a quote */
    CHECK_INT(calc(NULL, in, 4, 11, "m", "North+South", ""), 84);
    CHECK_INT(calc(NULL, out, 4, 11, "m", "North+South", ""), 0);
    text = read_whole(out);
    CHECK(text != NULL && strstr(text, "VALUES(\"region\")=\"North\",\"South\",\"North+South\",\"East\";") != NULL);
    CHECK(text != NULL && strstr(text, "VALUES(\"sex\")=\"men\",\"women\";") != NULL);
    free(text);
    CHECK_INT(calc(NULL, out, 4, 11, "m", "again", ""), 90);

    /* A failure ends the dialogue: no stale table for the next step. */
    CHECK_INT(calc(in, out, 1, 11, "x", "", ""), 0);
    for (k = 0; k < NBOX; ++k) host_reset(&boxes[k]);
    CHECK_INT(calc(NULL, out, 2, 11, "x", "sum", ""), 83); /* empty boxes choose nothing */
    CHECK_INT(calc(NULL, out, 4, 11, "m", "sum", ""), 90);

    for (k = 0; k < NBOX; ++k) box_free(&boxes[k]);
}

int main(int argc, char** argv) {
    char in[1024], out1[1024], out2[1024];
    if (argc < 3) return 2;
    path_in(in, sizeof in, argv[1], "population.vt");
    path_in(out1, sizeof out1, argv[2], "ordered.vt");
    path_in(out2, sizeof out2, argv[2], "calculated.vt");
    value_order(in, out1);
    calculation(in, out2);
    return host_failures;
}
