/* The screen grid as a host calls it: two grids in a row, the second
   reporting the size of the first, with their side files; and the buffers
   the host owns stay within their bounds. */
#include "host.h"
#include "vtops.h"

int main(int argc, char** argv) {
    char in[1024], grid[1024], foot[1024], labels[1024], notes[1024], matrix[1024], copy[1024];
    char summary[128], info[16];
    char* text;
    if (argc < 3) return 2;
    path_in(in, sizeof in, argv[1], "population.vt");
    path_in(grid, sizeof grid, argv[2], "grid.txt");
    path_in(foot, sizeof foot, argv[2], "foot.txt");
    path_in(labels, sizeof labels, argv[2], "labels.ini");
    path_in(notes, sizeof notes, argv[2], "notes.out");
    path_in(matrix, sizeof matrix, argv[2], "grid.mtx");
    path_in(copy, sizeof copy, argv[2], "copy.vt");
    CHECK(write_whole(labels, "[Global]\r\nand=and\r\nby=by\r\n[Notes]\r\nFootnoteX=Note\r\n"));

    /* The first grid of the process: nothing to report from before. */
    memset(summary, 'x', sizeof summary);
    CHECK_INT(utbild(in, grid, foot, summary, labels, notes, ".", info, matrix, "'", 1, 0, 0, 0, 0, "*", -1, 0, 0),
              0);
    CHECK_STR(summary, "0\t0\t2\t2\t1\t1\t12\t3\t3");
    CHECK_STR(info, "*");
    text = read_whole(grid);
    CHECK(text != NULL && strncmp(text, "Population by region, sex \r\nand year\r\n\t2003\t2004\t2005", 52) == 0);
    CHECK(text != NULL && strstr(text, "\r\nNorth\t\t\t\r\n  men\t1200.4\t1210.0\t1225.6\r\n") != NULL);
    CHECK(text != NULL && strstr(text, "\r\nSouth\t\t\t\r\n  men\t830\tn.a.\t845\r\n  women\t-\t840\t851") != NULL);
    free(text);
    text = read_whole(foot);
    CHECK(text != NULL && strncmp(text, "\r\nNote\r\nFigures for 2005 are preliminary.\r\n", 40) == 0);
    free(text);
    text = read_whole(notes);
    CHECK(text != NULL && strstr(text, "region, East:\r\nEast includes the islands.\r\n") != NULL);
    free(text);
    text = read_whole(matrix);
    CHECK(text != NULL && strncmp(text, "region\tsex\t'\xa0" "2003'\t'\xa0" "2004'", 24) == 0);
    free(text);

    /* The second grid, cut after five row lines, tells the first one's
       size and its own full size; utbild2 takes the same arguments less
       the notes file and the info buffer. */
    CHECK_INT(utbild(in, grid, foot, summary, labels, "", ",", info, "*", "", 1, 1, 0, 5, 0, "*", -1, 0, 0), 9);
    CHECK_STR(summary, "3\t12\t2\t2\t1\t1\t12\t3\t3");
    text = read_whole(grid);
    CHECK(text != NULL && strstr(text, "\r\nEast") == NULL && strstr(text, "\r\n  men\t1200,4\t1210,0") != NULL);
    free(text);
    CHECK_INT(utbild2(in, grid, foot, summary, labels, ".", "*", "", 1, 0, 2, 0, 0, "*", -1, 0, 0), 8);
    CHECK_STR(summary, "3\t12\t2\t2\t1\t1\t12\t3\t3");
    CHECK_INT(utbild2(NULL, grid, foot, summary, labels, ".", "*", "", 1, 0, 0, 0, 0, "*", -1, 0, 0), 0);

    /* Refusals: the output never replaces the table; a missing table. */
    text = read_whole(in);
    CHECK(text != NULL && write_whole(copy, text));
    CHECK_INT(utbild(copy, copy, foot, summary, labels, "", ".", info, "*", "", 1, 0, 0, 0, 0, "*", -1, 0, 0), 2);
    CHECK_INT(utbild(in, grid, copy, summary, labels, "", ".", info, "*", "", 1, 0, 0, 0, 0, "*", -1, 0, 0), 0);
    {
        char* after = read_whole(copy);
        CHECK(text != NULL && after != NULL && strcmp(after, text) != 0); /* an old footnote file is replaced */
        free(after);
    }
    free(text);
    CHECK_INT(utbild("/no/such/table.vt", grid, foot, summary, labels, NULL, ".", info, NULL, NULL, 1, 0, 0, 0, 0,
                     NULL, -1, 0, 0),
              400);
    CHECK_INT(utbild(NULL, grid, foot, summary, labels, NULL, ".", info, NULL, NULL, 1, 0, 0, 0, 0, NULL, -1, 0, 0),
              400);
    return host_failures;
}
