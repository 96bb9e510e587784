/* A small program to try the editor on. */
#include <stdio.h>
#include "list.h"

int main(int argc, char *argv[])
{
    struct list *numbers = list_new();
    int i;

    for (i = 1; i < argc; i++)
        list_append(numbers, argv[i]);
    printf("%d arguments\n", list_length(numbers));
    list_free(numbers);
    return 0;
}
