# Sourced by the project's scripts: picks the Windows architecture this machine's Wine can run and
# the matching build folder. 32-bit Windows programs need the kernel's 32-bit emulation; where it is
# off, the same code is built for 64-bit Windows and run by wine64.
CADRO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The tests, the demo and the benchmark run the 64-bit build under wine64 on every machine, so that CI and
# a new user's machine run the same thing whether or not their kernel runs 32-bit code. CADRO_ARCH=i686
# runs the 32-bit build instead, where 32-bit Wine can start.
if [ "${CADRO_ARCH:-x86_64}" = i686 ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    CADRO_ARCH=i686
    CADRO_WINE=/usr/lib/wine/wine
    export WINEARCH=win32
else
    CADRO_ARCH=x86_64
    CADRO_WINE=/usr/lib/wine/wine64
    export WINEARCH=win64
fi
CADRO_BUILD="$CADRO_ROOT/build/$CADRO_ARCH"
export CADRO_ROOT CADRO_ARCH CADRO_WINE CADRO_BUILD
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winealsa.drv,winepulse.drv="

# cadro_build ARCH: configures (when the folder has no finished configuration) and builds one
# architecture. The Makefile is the last thing a configure writes, so a configure that failed or was
# interrupted leaves none; its half-made cache is removed, and the next run configures afresh.
cadro_build() {
    local arch="$1" dir="$CADRO_ROOT/build/$1"
    local tests="${CADRO_TESTS:-ON}"
    if [ ! -f "$dir/Makefile" ] || [ ! -f "$dir/CMakeCache.txt" ] ||
        ! grep -qx "CADRO_TESTS:BOOL=$tests" "$dir/CMakeCache.txt"; then
        mkdir -p "$dir"
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
        if ! cmake -S "$CADRO_ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$CADRO_ROOT/cmake/mingw-$arch.cmake" \
            -DCMAKE_BUILD_TYPE=Release -DCADRO_TESTS="$tests" >"$dir.configure.log" 2>&1; then
            cat "$dir.configure.log" >&2
            rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles" "$dir/Makefile"
            echo "build: configuring $dir failed (see above); the next run configures again" >&2
            return 1
        fi
    fi
    cmake --build "$dir" -j"$(nproc)" -- --no-print-directory
}

# x_server_start PROGRAM PIDVAR ARGS...: starts an X server, keeps its pid in PIDVAR and sets DISPLAY to it.
# The server picks a free display itself and writes its number once it listens: a number chosen here could
# be taken meanwhile, or be in use where this /tmp cannot see it (another root on the machine shares the X
# servers' abstract sockets).
x_server_start() {
    local program="$1" pidvar="$2" n="" file="$CADRO_SESSION/display-$1"
    shift 2
    : >"$file"
    "$program" -displayfd 3 "$@" -nolisten tcp 3>"$file" >/dev/null 2>&1 &
    printf -v "$pidvar" %s $!
    for _ in $(seq 300); do
        n="$(tr -dc 0-9 <"$file")"
        [ -n "$n" ] && break
        kill -0 "${!pidvar}" 2>/dev/null || break
        sleep 0.05
    done
    [ -n "$n" ] || { echo "wine_env: $program did not start" >&2; return 1; }
    export DISPLAY=":$n"
}

# wine_session_start: a private X display and Wine prefix, torn down by wine_session_stop (trap it). With
# CADRO_PREFIX_TEMPLATE naming a prefix made by an earlier start, the new prefix is a copy of it: booting
# one takes seconds of both cores, copying it a moment, so every test can have a session of its own.
# CADRO_MONITORS=2 gives the session two 1024x768 monitors side by side: Xvfb puts all its screens at the
# origin, so an Xephyr drawn into an Xvfb places the second one, and Wine reads both from Xinerama with its
# use of XRandR (which sees one) turned off.
wine_session_start() {
    CADRO_SESSION="$(mktemp -d /tmp/cadro-wine.XXXXXX)"
    export WINEPREFIX="$CADRO_SESSION/prefix"
    if [ -z "${CADRO_USE_DISPLAY:-}" ]; then
        if [ "${CADRO_MONITORS:-1}" = 2 ]; then
            x_server_start Xvfb CADRO_XVFB_PID -screen 0 2048x768x24 || return 1
            x_server_start Xephyr CADRO_XEPHYR_PID -br +xinerama -screen 1024x768 -origin 1024,0 -screen 1024x768 ||
                return 1
        else
            x_server_start Xvfb CADRO_XVFB_PID -screen 0 1024x768x24 || return 1
        fi
        export CADRO_XVFB_PID  # the benchmark counts this display's CPU with the session's
    fi
    if [ -n "${CADRO_PREFIX_TEMPLATE:-}" ] && [ -f "$CADRO_PREFIX_TEMPLATE/system.reg" ]; then
        wine_prefix_copy "$CADRO_PREFIX_TEMPLATE" "$WINEPREFIX"
    else
        "$CADRO_WINE" wineboot -i >/dev/null 2>&1 || true
        # Without a window manager Wine waits 2 s whenever a window hides; unmanaged windows do not.
        "$CADRO_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        # A crashing test program must fail its test, not wait for a debugger.
        "$CADRO_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 0 /f >/dev/null 2>&1 || true
        "$CADRO_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f >/dev/null 2>&1 || true
        /usr/lib/wine/wineserver -w 2>/dev/null || true
    fi
    if [ "${CADRO_MONITORS:-1}" = 2 ]; then
        "$CADRO_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1 || true
        /usr/lib/wine/wineserver -w 2>/dev/null || true
    fi
    export CADRO_SESSION
}

# wine_prefix_copy FROM TO: a prefix of its own. The system's libraries (most of the prefix's 700 MB), which
# Wine only reads, are hard links; every other file (the registry, the user folders) is a copy.
wine_prefix_copy() {
    local from="$1" to="$2" f
    cp -al "$from/." "$to/"
    (cd "$from" && find . -type f ! -path './drive_c/windows/system32/*' ! -path './drive_c/windows/syswow64/*' \
        ! -path './drive_c/windows/winsxs/*' -print0) |
        while IFS= read -r -d '' f; do cp -p --remove-destination "$from/$f" "$to/$f"; done
}

wine_session_stop() {
    # Runs from EXIT traps under set -e: nothing here may fail the script.
    if [ -n "${WINEPREFIX:-}" ]; then /usr/lib/wine/wineserver -k 2>/dev/null || true; fi
    local pid
    for pid in "${CADRO_XEPHYR_PID:-}" "${CADRO_XVFB_PID:-}"; do
        [ -n "$pid" ] || continue
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "${CADRO_SESSION:-}" ]; then rm -rf "$CADRO_SESSION" || true; fi
    CADRO_XVFB_PID=""
    CADRO_XEPHYR_PID=""
    CADRO_SESSION=""
    return 0
}
