#include <stdlib.h>
#include <string.h>
#include "list.h"

struct node {
    struct node *next;
    char *text;
};

struct list {
    struct node *first;
    struct node *last;
    int length;
};

struct list *list_new(void)
{
    return calloc(1, sizeof(struct list));
}

void list_append(struct list *list, const char *text)
{
    struct node *node = calloc(1, sizeof(struct node));

    node->text = strdup(text);
    if (list->last)
        list->last->next = node;
    else
        list->first = node;
    list->last = node;
    list->length++;
}

int list_length(const struct list *list)
{
    return list->length;
}

void list_free(struct list *list)
{
    struct node *node = list->first;

    while (node) {
        struct node *next = node->next;
        free(node->text);
        free(node);
        node = next;
    }
    free(list);
}
