/*
 * ledger.c - a small double-entry ledger kept in memory.
 *
 * Accounts live in a fixed table; postings are appended to a journal and
 * folded into balances on demand.  Written in the old style on purpose:
 * some functions keep their pre-ANSI parameter declarations.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_ACCOUNTS 64
#define MAX_POSTINGS 512
#define NAME_LEN 24
#define CHECK(cond, msg) do { if (!(cond)) { report("check failed: %s", msg); return -1; } } while (0)
#define SWAP(type, a, b) { type t_ = (a); (a) = (b); (b) = t_; }
#define DEFINE_GETTER(field) \
    static long get_##field(const struct account *a) \
    { \
        return a->field; \
    }

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT
#endif

struct account {
    char name[NAME_LEN];
    long balance;
    long limit;
    int kind;               /* 0 asset, 1 liability (see kind_name()) */
};

struct posting {
    int from, to;
    long amount;
    const char *memo;
};

enum { ASSET, LIABILITY, EQUITY };

static struct account accounts[MAX_ACCOUNTS];
static struct posting journal[MAX_POSTINGS];
static int account_count, posting_count;

static const char *kind_names[] = { "asset", "liability", "equity", "{unknown}" };
static const char banner[] = "ledger { version 1 } (c) nobody";
static const char quote = '{';
static const char close_quote = '}';
static int (*compare_hook)(const void *, const void *) = 0;

static void report(const char *fmt, ...);
int find_account(const char *name);
long total_balance(void);

DEFINE_GETTER(balance)
DEFINE_GETTER(limit)

/* The name of an account kind; never NULL. */
const char *
kind_name(kind)
    int kind;
{
    if (kind < 0 || kind > EQUITY)
        kind = EQUITY + 1;
    return kind_names[kind];
}

static void
report(const char *fmt, ...)
{
    /* A comment that looks like it opens another one: /* but it does not. */
    fputs("ledger: ", stderr);
    fputs(fmt, stderr);   // the arguments are not printed { on purpose }
    fputc('\n', stderr);
}

int find_account(const char *name)
{
    int i;
    for (i = 0; i < account_count; i++)
        if (strcmp(accounts[i].name, name) == 0)
            return i;
    return -1;
}

int
add_account(name, kind, limit)
    char *name;
    int kind;
    long limit;
{
    struct account *a;

    if (account_count >= MAX_ACCOUNTS) {
        report("too many accounts (limit %d)", MAX_ACCOUNTS);
        return -1;
    }
    if (find_account(name) >= 0) {
        report("account \"%s\" exists {already}", name);
        return -1;
    }
    a = &accounts[account_count];
    strncpy(a->name, name, NAME_LEN - 1);
    a->name[NAME_LEN - 1] = '\0';
    a->balance = 0;
    a->limit = limit;
    a->kind = kind;
    return account_count++;
}

#if defined(LEDGER_STRICT)
int post(int from, int to, long amount, const char *memo)
{
    CHECK(from != to, "posting to itself");
#else
int post(int from, int to, long amount, const char *memo)
{
#endif
    struct posting *p;

    CHECK(posting_count < MAX_POSTINGS, "journal full");
    CHECK(from >= 0 && from < account_count, "bad source");
    CHECK(to >= 0 && to < account_count, "bad target");
    p = &journal[posting_count++];
    p->from = from;
    p->to = to;
    p->amount = amount;
    p->memo = memo ? memo : "(none)";
    return 0;
}

static long
fold_postings(first, last, into)
    int first, last;
    long *into;
{
    int i;
    long moved = 0;
    for (i = first; i < last; i++) {
        into[journal[i].from] -= journal[i].amount;
        into[journal[i].to] += journal[i].amount;
        moved += journal[i].amount;
    }
    return moved;
}

void recompute(void)
{
    long sums[MAX_ACCOUNTS];
    int i;

    memset(sums, 0, sizeof sums);
    fold_postings(0, posting_count, sums);
    for (i = 0; i < account_count; i++)
        accounts[i].balance = sums[i];
}

long total_balance(void)
{
    long total = 0;
    int i;
    for (i = 0; i < account_count; i++) {
        switch (accounts[i].kind) {
        case ASSET:
            total += accounts[i].balance;
            break;
        default:
            total -= accounts[i].balance;
            break;
        }
    }
    return total;
}

static int by_balance(const void *x, const void *y)
{
    const struct account *a = x, *b = y;
    return (a->balance > b->balance) - (a->balance < b->balance);
}

static int by_name(const void *x, const void *y)
{
    return strcmp(((const struct account *) x)->name,
                  ((const struct account *) y)->name);
}

void sort_accounts(int by)
{
    compare_hook = by ? by_balance : by_name;
    qsort(accounts, account_count, sizeof accounts[0], compare_hook);
}

EXPORT int
export_count(void)
{
    return account_count;
}

__declspec(noinline) static int
over_limit(int i)
{
    return accounts[i].limit && accounts[i].balance < -accounts[i].limit;
}

int check_limits(void)
{
    int i, bad = 0;
    for (i = 0; i < account_count; i++)
        if (over_limit(i)) {
            report("over limit: ");
            bad++;
        }
    return bad;
}

static void print_row(FILE *out,
                      const struct account *a,
                      int width)
{
    fprintf(out, "%-*s %10ld  %s\n", width, a->name, a->balance,
            kind_name(a->kind));
}

void print_ledger(FILE *out)
{
    int i;
    fprintf(out, "%s\n", banner);
    for (i = 0; i < account_count; i++)
        print_row(out, &accounts[i], NAME_LEN);
    fprintf(out, "total %ld\n", total_balance());
}

/*
 * Statistics.  The block below was once
 *     static int unused_stat(void) { return 0; }
 * and stays commented out.
 */

long largest_posting(void)
{
    long best = 0;
    int i;
    for (i = 0; i < posting_count; i++)
        if (journal[i].amount > best)
            best = journal[i].amount;
    return best;
}

static const char *
memo_of(n)
    int n;
{
    static const char *empty = "";
    if (n < 0 || n >= posting_count) return empty;
    return journal[n].memo;
}

int count_memos_with(const char *word)
{
    int i, n = 0;
    for (i = 0; i < posting_count; i++)
        if (strstr(memo_of(i), word))
            n++;
    return n;
}

#if 0
int never_built(void)
{
    return 42;
}
#endif

static void swap_accounts(int i, int j)
{
    SWAP(struct account, accounts[i], accounts[j]);
}

void reverse_accounts(void)
{
    int i, j;
    for (i = 0, j = account_count - 1; i < j; i++, j--)
        swap_accounts(i, j);
}

char *describe(int i, char *buffer, size_t size)
{
    const char *fmt = i % 2 ? "(%s: %ld)" : "{%s: %ld}";
    snprintf(buffer, size, fmt, accounts[i].name, accounts[i].balance);
    return buffer;
}

unsigned int
checksum(s)
    register const char *s;
{
    unsigned int h = 0;
    while (*s)
        h = (h << 5) ^ (h >> 27) ^ (unsigned char) *s++;
    return h;
}

int main(int argc, char **argv)
{
    int cash, bank, loan;
    char line[64];

    cash = add_account("cash", ASSET, 0);
    bank = add_account("bank", ASSET, 500);
    loan = add_account("loan", LIABILITY, 0);
    post(loan, bank, 1000, "loan taken {initial}");
    post(bank, cash, 200, "withdrawal");
    recompute();
    sort_accounts(argc > 1);
    print_ledger(stdout);
    printf("%s %u\n", describe(0, line, sizeof line), checksum(argv[0]));
    printf("largest %ld, limits %d, memos %d\n", largest_posting(),
           check_limits(), count_memos_with("loan"));
    (void) get_balance;
    (void) get_limit;
    (void) quote;
    (void) close_quote;
    return export_count() == 3 ? 0 : 1;
}
