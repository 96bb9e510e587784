#!/usr/bin/env bash
# Times building the demo with the compiler system (make.exe, bdx.exe and bdxlnk under Wine,
# the host compiler behind the compiler service): a clean build, an incremental one (one
# source changed), and the host compiler run directly on the same files. Best of three each.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
"$root/scripts/build.sh" sdk_make bdx bdxlnk bdxlib
work=$build/sdk-bench
rm -rf "$work"
mkdir -p "$work"
cp "$root/demo/"*.c "$root/demo/"*.h "$work/"
sdk=$(printf 'Z:%s/sdk' "$build" | sed 's|/|\\|g')
dir=$(printf 'Z:%s' "$work" | sed 's|/|\\|g')
{
    printf '# Kelto Makefile for project demo\nCFLAGS=-I%s\\include  -g2 \nCC=%s\\bin\\bdx.exe\n' "$sdk" "$sdk"
    printf 'OBJS=\\\n\tmain.obj \\\n\tlist.obj\n\nLIBS=\n\ndemo.exe:\t$(OBJS) Makefile\n'
    printf '\t%s\\bin\\bdxlnk  -subsystem console -o demo.exe $(OBJS) $(LIBS)\n' "$sdk"
    for base in main list; do
        upper=$(echo "$base" | tr a-z A-Z)
        printf '\n# Build %s.c\n%s_C=\\\n\t%s\\list.h\\\n\n%s.obj: $(%s_C) %s\\%s.c\n\t$(CC) -c $(CFLAGS) %s\\%s.c\n' \
            "$base" "$upper" "$dir" "$base" "$upper" "$dir" "$base" "$dir" "$base"
    done
    printf '\n'
} > "$work/Makefile"

export KELTO_CC_PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export KELTO_CC_PIDFILE=$work/service.pid
export KELTO_BUILD=$build
"$root/scripts/cc-service.sh" start
trap '"$root/scripts/cc-service.sh" stop' EXIT
"$root/scripts/wine-run.sh" --prepare

seconds() { date +%s.%N; }
best() { printf '%s\n' "$@" | sort -n | head -1; }
make_run() { (cd "$work" && "$root/scripts/wine-run.sh" "$build/sdk/bin/make.exe" -s >/dev/null); }

clean=() incremental=() direct=() directInc=()
for run in 1 2 3; do
    rm -f "$work"/*.obj "$work/demo.exe"
    t0=$(seconds); make_run; t1=$(seconds)
    clean+=("$(echo "$t1 - $t0" | bc)")
    touch "$work/list.c"
    t0=$(seconds); make_run; t1=$(seconds)
    incremental+=("$(echo "$t1 - $t0" | bc)")
    # The host compiler on the same files: two compilations and the link.
    t0=$(seconds)
    (cd "$work" && for f in main list; do i686-w64-mingw32-gcc -c -x c -gdwarf-4 -fno-omit-frame-pointer -o "$f.o" "$f.c"; done \
        && i686-w64-mingw32-gcc -o direct.exe main.o list.o)
    t1=$(seconds)
    direct+=("$(echo "$t1 - $t0" | bc)")
    t0=$(seconds)
    (cd "$work" && i686-w64-mingw32-gcc -c -x c -gdwarf-4 -fno-omit-frame-pointer -o list.o list.c \
        && i686-w64-mingw32-gcc -o direct.exe main.o list.o)
    t1=$(seconds)
    directInc+=("$(echo "$t1 - $t0" | bc)")
done
c=$(best "${clean[@]}"); i=$(best "${incremental[@]}"); d=$(best "${direct[@]}"); di=$(best "${directInc[@]}")
printf 'demo, 2 sources + link   make.exe under Wine   host gcc directly   ratio\n'
printf 'clean build              %8.3f s            %8.3f s          %5.1f x\n' "$c" "$d" "$(echo "$c / $d" | bc -l)"
printf 'one source changed       %8.3f s            %8.3f s          %5.1f x\n' "$i" "$di" "$(echo "$i / $di" | bc -l)"
printf 'per file (clean / 3)     %8.3f s            %8.3f s\n' "$(echo "$c / 3" | bc -l)" "$(echo "$d / 3" | bc -l)"
(cd "$work" && "$root/scripts/wine-run.sh" ./demo.exe one two three)
