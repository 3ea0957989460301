#!/bin/sh
# Runs the contract tests against Wine's Win32 API.
#   run_under_wine.sh path/to/purvex_contract_tests.exe [gtest options...]
# Uses $WINEPREFIX when it is set (it is created if missing and kept);
# otherwise a throwaway 64-bit prefix that is removed afterwards.
# CONTRACT_TIMEOUT (seconds, default 600) bounds the test run.
set -eu

if [ $# -lt 1 ]; then
  echo "usage: $0 purvex_contract_tests.exe [gtest options...]" >&2
  exit 2
fi
exe=$(readlink -f "$1")
shift
if [ ! -f "$exe" ]; then
  echo "$0: $exe not found" >&2
  exit 2
fi

run_timeout=${CONTRACT_TIMEOUT:-600}
boot_timeout=180

WINEARCH=win64
WINEDEBUG=-all
export WINEARCH WINEDEBUG

throwaway_prefix=
if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX=$(mktemp -d /tmp/purvex-contract-prefix.XXXXXX)
  throwaway_prefix=$WINEPREFIX
fi
export WINEPREFIX

# Wine writes files named after devices (a print to FILE:) into the current
# directory, so the tests run in one of their own.
workdir=$(mktemp -d /tmp/purvex-contract-run.XXXXXX)

cleanup() {
  if [ -n "$throwaway_prefix" ]; then
    timeout 30 wineserver -k >/dev/null 2>&1 || true
    timeout 30 wineserver -w >/dev/null 2>&1 || true
    rm -rf "$throwaway_prefix"
  else
    timeout 60 wineserver -w >/dev/null 2>&1 || true
  fi
  rm -rf "$workdir"
}
trap cleanup EXIT INT TERM

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout "$boot_timeout" wineboot --init >/dev/null 2>&1
  timeout "$boot_timeout" wineserver -w
  # A crash must end the process, not wait for a debugger dialog.
  timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f >/dev/null 2>&1
  timeout 60 wine reg add \
    'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto \
    /t REG_SZ /d 0 /f >/dev/null 2>&1
  timeout 60 wine reg add \
    'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
    /t REG_SZ /d '' /f >/dev/null 2>&1
fi

cd "$workdir"
status=0
timeout "$run_timeout" wine "$exe" "$@" || status=$?
exit "$status"
