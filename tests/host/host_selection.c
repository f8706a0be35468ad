/* The selection dialogue as a host drives it: getvalue fills a box per
   variable, srvalues aggregates one of them with the groups of an
   aggregation file, the table is written; getcodes and zoomvar on the side. */
#include "host.h"
#include "vtops.h"

#define NBOX 16

static host_box boxes[NBOX];
static host_box list_a;

static const vt_listbox* box(int k) { return &boxes[k].view; }

static int start(const char* in, const char* dir, const char* label, char* status) {
    return getvalue(in, "", dir, label, 0, box(0), box(1), box(2), box(3), box(4), box(5), box(6), box(7), box(8),
                    box(9), box(10), box(11), box(12), box(13), box(14), box(15), status, 0, "");
}

static int write_selection(const char* out) {
    return getvalue(NULL, out, NULL, NULL, 1, box(0), box(1), box(2), box(3), box(4), box(5), box(6), box(7),
                    box(8), box(9), box(10), box(11), box(12), box(13), box(14), box(15), NULL, 0, NULL);
}

static int sr(int step, const char* out, const char* name) {
    return srvalues(out, step, &list_a.view, box(0), box(1), box(2), box(3), box(4), box(5), box(6), box(7),
                    box(8), box(9), box(10), box(11), box(12), box(13), box(14), box(15), name, 0);
}

int main(int argc, char** argv) {
    char in[1024], label[1024], path[1024], out[1024], status[1000], elim[256];
    char* text;
    const char* dir;
    int k;
    if (argc < 3) return 2;
    path_in(in, sizeof in, argv[1], "population.vt");
    dir = argv[2];
    path_in(label, sizeof label, dir, "labels.lab");
    for (k = 0; k < NBOX; ++k) box_init(&boxes[k]);
    box_init(&list_a);
    CHECK(write_whole(label, "[Global]\r\nand=and\r\nby=by\r\ndistr=distr\r\n"));
    CHECK(write_whole(path_in(path, sizeof path, dir, "county.vs"),
                      "[Descr]\r\nName=counties\r\nType=V\r\n[Domain]\r\n1=county\r\n[Aggreg]\r\n1=halves.agg\r\n"));
    CHECK(write_whole(path_in(path, sizeof path, dir, "halves.agg"),
                      "[Aggreg]\r\nValueset=counties\r\nName=Halves\r\n1=N\r\n2=SE\r\n"
                      "[Aggtext]\r\n1=North part\r\n2=South and East\r\n[N]\r\n1=01\r\n[SE]\r\n1=02\r\n2=03\r\n"));

    /* A plain selection: North, the totals, every year. */
    CHECK_INT(start(in, dir, label, status), 0);
    CHECK_STR(status, "2 1 3 ");
    CHECK_STR(box_joined(&boxes[0]), "North|South|East");
    CHECK_STR(box_joined(&boxes[1]), "men|women|total");
    CHECK_STR(box_joined(&boxes[2]), "2003|2004|2005");
    CHECK_INT(boxes[3].count, 0);
    box_select(&boxes[0], "North");
    box_select(&boxes[1], "total");
    box_select(&boxes[2], "2003");
    box_select(&boxes[2], "2004");
    box_select(&boxes[2], "2005");
    CHECK_INT(write_selection(in), 84); /* never over the source */
    CHECK_INT(write_selection(path_in(out, sizeof out, dir, "north.vt")), 0);
    text = read_whole(out);
    CHECK(text != NULL && strstr(text, "STUB=\"region\",\"sex\";") != NULL);
    CHECK(text != NULL && strstr(text, "VALUES(\"region\")=\"North\";") != NULL);
    CHECK(text != NULL && strstr(text, "VALUES(\"sex\")=\"total\";") != NULL);
    CHECK(text != NULL && strstr(text, "TITLE=\"Population by region, sex and year\";") != NULL);
    CHECK(text != NULL && strstr(text, "DATA=\n2390.4 2411.5 2445.5") != NULL);
    free(text);
    CHECK_INT(write_selection(out), 90); /* the dialogue has ended */

    /* The aggregation dialogue: regions into two halves. */
    CHECK_INT(start(in, dir, label, status), 0);
    CHECK_INT(zoomvar("sex", elim), 0);
    CHECK_STR(elim, "total");
    CHECK_INT(sr(1, "", ""), 0);
    CHECK_STR(box_joined(&list_a), "region");
    box_select(&list_a, "region");
    CHECK_INT(sr(2, "", ""), 90); /* its values carry codes: show them */
    CHECK_INT(sr(5, "", ""), 0);
    CHECK_STR(box_joined(&boxes[0]), "01|02|03");
    CHECK_INT(sr(3, "", ""), 0);
    CHECK_STR(box_joined(&list_a), "Halves");
    box_select(&list_a, "Halves");
    CHECK_INT(sr(4, "", ""), 0);
    CHECK_STR(box_joined(&boxes[0]), "North part|South and East");
    box_select(&boxes[0], "North part");
    box_select(&boxes[0], "South and East");
    box_select(&boxes[1], "men");
    box_select(&boxes[2], "2004");
    box_select(&boxes[2], "2005");
    CHECK_INT(sr(7, path_in(out, sizeof out, dir, "halves.vt"), ""), 0);
    text = read_whole(out);
    CHECK(text != NULL && strstr(text, "STUB=\"Halves\",\"sex\";") != NULL);
    CHECK(text != NULL && strstr(text, "VALUES(\"Halves\")=\"North part\",\"South and East\";") != NULL);
    CHECK(text != NULL && strstr(text, "VALUES(\"year\")=\"2004\",\"2005\";") != NULL);
    /* South ".." and East 12.5 give ".."; South 845 and East "." give ".". */
    CHECK(text != NULL && strstr(text, "DATA=\n1210.0 1225.6 \n\"..\" \".\";") != NULL);
    free(text);
    CHECK_INT(sr(8, "", ""), 0);
    CHECK_INT(sr(1, "", ""), 90);
    CHECK_INT(zoomvar("sex", elim), 0);
    CHECK_STR(elim, "");

    /* A source that cannot be read holds nothing. */
    CHECK_INT(start("/no/such/table.vt", dir, label, status), 400);
    CHECK_INT(sr(7, out, ""), 90);
    CHECK_INT(getvalue(NULL, NULL, NULL, NULL, 3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
                       NULL, NULL, NULL, NULL, NULL, NULL, 0, NULL),
              0);

    /* The codes of the variables that have them. */
    for (k = 0; k < NBOX; ++k) host_reset(&boxes[k]);
    CHECK_INT(getcodes(in, box(0), box(1), box(2), box(3), box(4), box(5), box(6), box(7), box(8), box(9), box(10),
                       box(11), box(12), box(13), box(14), box(15)),
              0);
    CHECK_STR(box_joined(&boxes[0]), "01|02|03");
    CHECK_STR(box_joined(&boxes[1]), "1|2|T");
    CHECK_INT(boxes[2].count, 0);

    for (k = 0; k < NBOX; ++k) box_free(&boxes[k]);
    box_free(&list_a);
    return host_failures;
}
