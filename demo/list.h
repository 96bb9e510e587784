/* A singly linked list of texts. */
#ifndef LIST_H
#define LIST_H

struct list;

struct list *list_new(void);
void list_append(struct list *list, const char *text);
int list_length(const struct list *list);
void list_free(struct list *list);

#endif
