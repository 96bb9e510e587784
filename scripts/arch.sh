# Sourced by the other scripts: chooses the architecture of the build and of Wine.
#
# The product is the i686 program. Some hosts cannot execute any 32-bit code (every 32-bit
# program, Wine's own loader included, fails with "Exec format error"); there the same
# sources are built for x86_64 and run with wine64 in a 64-bit prefix. KELTO_ARCH=i686 or
# KELTO_ARCH=x86_64 overrides the probe.
#
# Sets KELTO_ARCH, KELTO_ARCH_WHY (one line for the user), KELTO_WINE_LOADER and
# KELTO_WINEARCH, and exports them for the scripts and CTest commands started later.

# Runs a 96-byte static i386 program that exits with 42. Needs no package, so it answers
# before Wine or any 32-bit library is installed. Answers 0 (runs), 1 (Exec format error or
# another refusal) or 2 (nothing at all can be executed from the temporary directory).
kelto_host_runs_32bit() {
    local probe status
    probe=$(mktemp "${TMPDIR:-/tmp}/kelto-probe32.XXXXXX") || return 2
    { cp /bin/true "$probe" && chmod +x "$probe" && "$probe"; } >/dev/null 2>&1 || { rm -f "$probe"; return 2; }
    printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200' > "$probe"
    chmod +x "$probe"
    "$probe" >/dev/null 2>&1
    status=$?
    rm -f "$probe"
    [ "$status" = 42 ] && return 0
    return 1
}

if [ -z "${KELTO_ARCH_WHY:-}" ]; then
    case "${KELTO_ARCH:-}" in
        i686|x86_64)
            KELTO_ARCH_WHY="KELTO_ARCH=$KELTO_ARCH was given" ;;
        "")
            # Called in a list, so that a script under "set -e" survives the probe's failure.
            kelto_probe=0
            kelto_host_runs_32bit || kelto_probe=$?
            case $kelto_probe in
                0) KELTO_ARCH=i686
                   KELTO_ARCH_WHY="this host runs 32-bit programs" ;;
                1) KELTO_ARCH=x86_64
                   KELTO_ARCH_WHY="this host cannot execute 32-bit programs" ;;
                *) KELTO_ARCH=x86_64
                   KELTO_ARCH_WHY="could not probe for 32-bit support: ${TMPDIR:-/tmp} does not let programs run" ;;
            esac ;;
        *)
            echo "KELTO_ARCH must be i686 or x86_64, not '$KELTO_ARCH'" >&2
            exit 1 ;;
    esac
fi

if [ "$KELTO_ARCH" = i686 ]; then
    KELTO_WINE_LOADER=/usr/lib/wine/wine
    KELTO_WINEARCH=win32
else
    KELTO_WINE_LOADER=/usr/lib/wine/wine64
    KELTO_WINEARCH=win64
fi
export KELTO_ARCH KELTO_ARCH_WHY KELTO_WINE_LOADER KELTO_WINEARCH

# One line saying which architecture a script uses and why.
kelto_say_arch() {
    echo "$1: $KELTO_ARCH build ($KELTO_ARCH_WHY)"
}
