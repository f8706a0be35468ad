/* A program outside the tree that uses the installed libvtconv: converts
   the table named first into the cells file named second. */
#include <stdio.h>

#include <veltra/vtconv.h>

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    if (VelInit() != 1) return 3;
    const int rc = cellkonv(argv[1], argv[2], ";", NULL, ".;..;...;....;.....;......;.......;-", 0);
    printf("cellkonv %d\n", rc);
    return rc == 0 ? 0 : 1;
}
