#!/usr/bin/env bash
# Checks a Windows installer in a Wine prefix of its own, as a Windows user
# meets it, run inside scripts/lib/wine-session.sh (scripts/package-test.sh
# starts it). In turn:
#   an older version installed silently into a folder given with /D=;
#   this version installed over it without /D=, replacing it in its folder;
#   a second install of this version repairing a damaged one;
#   a silent uninstall, which keeps the user's settings;
#   a fresh install into the default folder, and uninstalls clicked through
#   answering no, then yes, to removing the settings.
# After each install every file, the shortcut, the screensaver and the
# uninstall key must be in place, and the installed programs' version
# resources must read the project's version (huesift.exe also opens its
# window); after each uninstall none of them may be left.
#   installer_test.sh INSTALLER OLDER_INSTALLER OLDER_VERSION INSTALL_CHECK_EXE
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

[ $# -eq 4 ] || { echo "usage: installer_test.sh INSTALLER OLDER_INSTALLER OLDER_VERSION INSTALL_CHECK_EXE" >&2; exit 2; }
installer=$1 older_installer=$2 older_version=$3 check=$4
version=$(bash "$root/scripts/lib/project-version.sh")
build=$(basename "$installer" | sed -n 's/^huesift-[0-9.]*-\(win32\|win64\)-setup\.exe$/\1/p')
[ -n "$build" ] || { echo "installer_test: $installer is not named huesift-VERSION-win32|win64-setup.exe" >&2; exit 2; }
[ "$(basename "$installer")" = "huesift-$version-$build-setup.exe" ] ||
  { echo "installer_test: $installer does not carry the project's version $version" >&2; exit 1; }

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

drive_c=$WINEPREFIX/drive_c
# Where this build's files belong in this prefix: a 32-bit installer on
# 64-bit Windows is redirected to the 32-bit folders.
if [ "$build" = win32 ] && [ "$WINEARCH" = win64 ]; then
  default_folder='C:\Program Files (x86)\Huesift'
  screensaver=$drive_c/windows/syswow64/huesift.scr
  other_screensaver=$drive_c/windows/system32/huesift.scr
else
  default_folder='C:\Program Files\Huesift'
  screensaver=$drive_c/windows/system32/huesift.scr
  other_screensaver=$drive_c/windows/syswow64/huesift.scr
fi
custom_folder='C:\Program Files\Huesift Test'
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Huesift.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Huesift'
settings_key='HKCU\Software\Huesift'

unix_path() { local path=${1#C:\\}; echo "$drive_c/${path//\\//}"; }
windows_path() { local path=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${path//\//\\}"; }

# A value of a key, from the 64-bit registry in a 64-bit prefix; empty when
# the key or value is missing.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 \{2,\}REG_[A-Z_]* \{2,\}//p"
}
key_exists() { wine reg query "$@" >/dev/null 2>&1; }

install_check() {
  local output code
  output=$(wine "$check" "$@" 2>&1)
  code=$?
  [ -z "$output" ] || printf '%s\n' "$output" | tr -d '\r' | sed 's/^/    /'
  return $code
}

step() { echo "--- $*"; }

expect_value() {
  local key=$1 name=$2 expected=$3 actual
  actual=$(reg_value "$key" "$name")
  [ "$actual" = "$expected" ] || fail "$key $name is '$actual', not '$expected'"
}

expect_version_resource() {
  local file=$1 description=$2 output line
  output=$(wine "$check" version "$(windows_path "$file")" 2>&1 | tr -d '\r')
  echo "    $(basename "$file"): $(printf '%s' "$output" | grep -E '^(FileDescription|FileVersion|ProductVersion)=' | tr '\n' ' ')"
  for line in "FixedFileVersion=$version.0" "FixedProductVersion=$version.0" "FileVersion=$version" \
    "ProductVersion=$version" "ProductName=Huesift" "FileDescription=$description"; do
    grep -qxF "$line" <<<"$output" || fail "$file's version resource lacks $line"
  done
}

# Everything an install of VERSION into FOLDER puts in place.
expect_installed() {
  local folder=$1 expected_version=$2 program unix_folder size estimated target
  unix_folder=$(unix_path "$folder")
  for program in huesift.exe uninstall.exe; do
    [ -f "$unix_folder/$program" ] || fail "no $folder\\$program"
  done
  [ -f "$screensaver" ] || fail "no screensaver at $screensaver"
  [ ! -e "$other_screensaver" ] || fail "a screensaver at $other_screensaver too"
  if [ -f "$shortcut" ]; then
    # Read whole before searching: grep -q ending early would fail the pipe.
    target=$({ strings -e l "$shortcut"; strings "$shortcut"; } | grep -iF 'huesift.exe' | tr '\n' ' ')
    grep -qiF "${folder#C:\\}\\huesift.exe" <<<"$target" ||
      fail "the Start-menu shortcut does not lead to $folder\\huesift.exe but to: $target"
  else
    fail "no Start-menu shortcut $shortcut"
  fi
  expect_value "$uninstall_key" DisplayName Huesift
  expect_value "$uninstall_key" DisplayVersion "$expected_version"
  expect_value "$uninstall_key" Publisher "The Huesift developers"
  expect_value "$uninstall_key" DisplayIcon "$folder\\huesift.exe,0"
  expect_value "$uninstall_key" InstallLocation "$folder"
  expect_value "$uninstall_key" UninstallString "\"$folder\\uninstall.exe\""
  expect_value "$uninstall_key" QuietUninstallString "\"$folder\\uninstall.exe\" /S"
  # The size in KiB covers at least the program and the screensaver.
  estimated=$(($(reg_value "$uninstall_key" EstimatedSize)))
  size=$((($(stat -c %s "$unix_folder/huesift.exe") + $(stat -c %s "$screensaver")) / 1024))
  [ "$estimated" -ge "$size" ] && [ "$estimated" -lt $((size + 1024)) ] ||
    fail "EstimatedSize is $estimated KiB for $size KiB of programs"
  if [ "$WINEARCH" = win64 ] && key_exists "$uninstall_key" /reg:32; then
    fail "an uninstall key in the 32-bit registry too"
  fi
  expect_version_resource "$unix_folder/huesift.exe" Huesift
  expect_version_resource "$screensaver" "Huesift screensaver"
}

# Nothing an install put in place is left.
expect_removed() {
  local unix_folder
  unix_folder=$(unix_path "$1")
  [ ! -e "$unix_folder" ] || fail "$1 is left: $(ls -A "$unix_folder" | tr '\n' ' ')"
  [ ! -e "$screensaver" ] || fail "$screensaver is left"
  [ ! -e "$shortcut" ] || fail "the Start-menu shortcut is left"
  ! key_exists "$uninstall_key" || fail "the uninstall key is left"
  if [ "$WINEARCH" = win64 ] && key_exists "$uninstall_key" /reg:32; then
    fail "an uninstall key is left in the 32-bit registry"
  fi
}

expect_settings() {
  if [ "$1" = kept ]; then
    [ "$(reg_value "$settings_key\\Screensaver" Shape)" = 0x3 ] || fail "the saved settings were not kept"
  else
    ! key_exists "$settings_key" || fail "the saved settings were not removed"
  fi
}

# As run from Add/Remove Programs: the command line the key holds.
uninstall_command() { reg_value "$uninstall_key" UninstallString; }

echo "=== $(basename "$installer") in a $WINEARCH prefix ==="
key_exists "$uninstall_key" && fail "the fresh prefix already has an uninstall key"
# The user's saved settings, as the screensaver keeps them.
wine reg add "$settings_key\\Screensaver" /v Shape /t REG_DWORD /d 3 /f >/dev/null 2>&1 || fail "could not save settings"

step "$older_version installed silently into $custom_folder"
install_check run "\"$(windows_path "$older_installer")\" /S /D=$custom_folder" || fail "the older installer failed"
expect_installed "$custom_folder" "$older_version"

step "$version installed silently over it"
install_check run "\"$(windows_path "$installer")\" /S" || fail "the installer failed over the older version"
expect_installed "$custom_folder" "$version"
install_check window "$(windows_path "$(unix_path "$custom_folder")/huesift.exe")" || fail "huesift.exe showed no window"

step "$version installed again over a damaged install"
rm -f "$(unix_path "$custom_folder")/huesift.exe" "$shortcut" "$screensaver"
install_check run "\"$(windows_path "$installer")\" /S" || fail "the repairing install failed"
expect_installed "$custom_folder" "$version"

step "uninstalled silently"
install_check run "$(uninstall_command) /S" || fail "the silent uninstall failed"
expect_removed "$custom_folder"
expect_settings kept

step "$version installed silently into the default folder"
install_check run "\"$(windows_path "$installer")\" /S" || fail "the install into the default folder failed"
expect_installed "$default_folder" "$version"
install_check window "$(windows_path "$(unix_path "$default_folder")/huesift.exe")" || fail "huesift.exe showed no window"

step "uninstalled by hand, answering no to removing the settings"
install_check answer no "$(uninstall_command)" || fail "the uninstall answering no failed"
expect_removed "$default_folder"
expect_settings kept

step "installed, then uninstalled by hand, answering yes"
install_check run "\"$(windows_path "$installer")\" /S" || fail "the install failed"
install_check answer yes "$(uninstall_command)" || fail "the uninstall answering yes failed"
expect_removed "$default_folder"
expect_settings removed

if [ $failures -ne 0 ]; then
  echo "$(basename "$installer") in a $WINEARCH prefix: $failures checks FAILED"
  exit 1
fi
echo "$(basename "$installer") in a $WINEARCH prefix: every check passed"
