/* A program with something of every kind for the debugger to read back. */
#include <stdio.h>
#include <string.h>

enum colour { RED, GREEN = 5, BLUE };

struct point {
    int x, y;
    char label[8];
};

union number {
    int whole;
    double real;
};

int counter = 3;
static long total;
static const char *names[3] = {"one", "two", "three"};
double ratio = 1.5;

static int square(int n)
{
    int result = n * n;
    return result;
}

int sum_points(struct point *points, int count)
{
    int i, sum = 0;
    for (i = 0; i < count; i++)
        sum += points[i].x + points[i].y;
    return sum;
}

unsigned char checksum(const char *text)
{
    unsigned char c = 0;
    while (*text)
        c = (unsigned char)(c + *text++);
    return c;
}

int main(int argc, char **argv)
{
    struct point points[2] = {{1, 2, "a"}, {3, 4, "b"}};
    union number n;
    enum colour colour = GREEN;
    short little = 7;
    n.whole = square(argc + 1);
    total = sum_points(points, 2) + n.whole + colour + little;
    counter += checksum(names[1]) % 2;
    if (argc > 1)
        printf("%s %ld %d %g\n", argv[1], total, counter, ratio);
    return (int)(total % 100);
}
