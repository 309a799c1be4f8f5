#!/bin/sh
# The menu entry Vantry.sh --install-desktop-entry writes: valid for
# desktop-file-validate, and started by gio and dex from an unrelated folder,
# for a folder whose name needs quoting. A stand-in program records where it
# was started.
set -eu
launcher=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data"

try() {  # folder name, launchers that must start it
  folder="$work/$1"
  mkdir -p "$folder"
  cp "$launcher" "$folder/Vantry.sh"
  printf '#!/bin/sh\npwd > "%s/started"\n' "$work" >"$folder/Vantry"
  chmod +x "$folder/Vantry.sh" "$folder/Vantry"
  entry=$(cd / && "$folder/Vantry.sh" --install-desktop-entry)
  desktop-file-validate "$entry"
  shift
  for start in "$@"; do
    rm -f "$work/started"
    (cd / && $start "$entry" >/dev/null)
    i=0
    while [ ! -s "$work/started" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    [ "$(cat "$work/started" 2>/dev/null)" = "$folder" ] || { echo "FAIL: $start did not start $folder"; exit 1; }
    printf "ok: %s starts the entry of %s\n" "$start" "$folder"
  done
}

try "My Vault" "gio launch" dex
# dex reads no escapes inside quotes; launchers that follow the desktop entry
# rules do.
try 'Vault "$HOME" `x` \n' "gio launch"

# Two folders, two entries; the entry follows its folder.
[ "$(ls "$XDG_DATA_HOME/applications" | wc -l)" -eq 2 ] || { echo "FAIL: not one entry per folder"; exit 1; }
if (cd / && "$work/My Vault/Vantry.sh" --install-desktop-entry >/dev/null 2>&1) && \
   [ "$(ls "$XDG_DATA_HOME/applications" | wc -l)" -eq 2 ]; then
  echo "ok: installing again replaces the folder's entry"
else
  echo "FAIL: installing again"; exit 1
fi
mkdir "$work/50%"
cp "$launcher" "$work/50%/Vantry.sh"
if "$work/50%/Vantry.sh" --install-desktop-entry 2>/dev/null; then
  echo "FAIL: a folder with % got an entry launchers cannot start"; exit 1
fi
echo "ok: a folder with % is refused with a message"
