/* The variable order dialogue as a host drives it: fill the two boxes,
   move the variables, write; and the steps a careless host gets wrong. */
#include "host.h"
#include "vtops.h"

int main(int argc, char** argv) {
    char in[1024], out[1024];
    host_box stub, head;
    char* text;
    if (argc < 3) return 2;
    path_in(in, sizeof in, argv[1], "population.vt");
    path_in(out, sizeof out, argv[2], "turned.vt");
    box_init(&stub);
    box_init(&head);

    /* Step 1 fills the boxes with the stub and heading variables. */
    CHECK_INT(varorder(in, "", &stub.view, &head.view, 1, "unit", ""), 0);
    CHECK_STR(box_joined(&stub), "region|sex");
    CHECK_STR(box_joined(&head), "year");

    /* The user moves "year" into the stub and "region" into the heading. */
    host_reset(&stub);
    host_reset(&head);
    host_add(&stub, "year");
    host_add(&stub, "sex");
    host_add(&head, "region");
    CHECK_INT(varorder(NULL, in, &stub.view, &head.view, 2, "unit", ""), 84); /* never over the source */
    CHECK_INT(varorder(NULL, out, &stub.view, &head.view, 2, "unit", ""), 0);
    text = read_whole(out);
    CHECK(text != NULL && strstr(text, "STUB=\"year\",\"sex\";") != NULL);
    CHECK(text != NULL && strstr(text, "HEADING=\"region\";") != NULL);
    free(text);

    /* The dialogue has ended: a second writing step has no table. */
    CHECK_INT(varorder(NULL, out, &stub.view, &head.view, 2, "unit", ""), 90);
    /* A source that cannot be opened holds nothing either. */
    CHECK_INT(varorder("/no/such/table.vt", "", &stub.view, &head.view, 1, "unit", ""), 400);
    CHECK_INT(varorder(NULL, out, &stub.view, &head.view, 2, "unit", ""), 90);
    /* Release is always allowed. */
    CHECK_INT(varorder(NULL, NULL, NULL, NULL, 3, NULL, NULL), 0);

    box_free(&stub);
    box_free(&head);
    return host_failures;
}
