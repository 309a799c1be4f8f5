#!/bin/sh
# Starts Vantry from its own folder, wherever it is started from: the archive
# is always the one beside the program.
#   Vantry.sh --install-desktop-entry   puts a menu entry for this folder into
#                                       ~/.local/share/applications
here=$(dirname "$(readlink -f "$0")") || exit 1

# The Exec value of a desktop entry for one argument: quoted, with the
# characters the entry's quoting reserves escaped, then the backslashes
# doubled once more for the entry's string escapes.
exec_quoted() {
  printf '"%s"' "$(printf '%s' "$1" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g')"
}

# A desktop entry's string value: backslashes doubled.
string_escaped() {
  printf '%s' "$1" | sed -e 's/\\/\\\\/g'
}

install_entry() {
  # Launchers take no percent sign or line break inside a quoted program path.
  case $here in
    *%* | *'
'*) echo "Vantry.sh: a desktop entry cannot name the folder $here; rename it without % or line breaks" >&2
      return 1 ;;
  esac
  apps=${XDG_DATA_HOME:-$HOME/.local/share}/applications
  # One entry per program folder: two vaults on two drives keep two entries.
  id=vantry-$(printf '%s' "$here" | md5sum | cut -c1-12)
  mkdir -p "$apps" || return 1
  tmp=$apps/.$id.desktop.new
  folder=$(string_escaped "$here")
  cat >"$tmp" <<EOF || return 1
[Desktop Entry]
Type=Application
Version=1.4
Name=Vantry
GenericName=Password Vault
GenericName[ja]=パスワード金庫
Comment=Your passwords and account data in one scrambled file beside the program ($folder)
Comment[ja]=パスワードと口座情報をプログラムの横の一つのファイルに保管します ($folder)
Exec=$(exec_quoted "$here/Vantry.sh")
Path=$folder
Icon=$folder/Vantry.png
Terminal=false
Categories=Utility;
StartupNotify=true
EOF
  mv -f "$tmp" "$apps/$id.desktop" || return 1
  echo "$apps/$id.desktop"
}

if [ "${1-}" = --install-desktop-entry ]; then
  install_entry
  exit
fi

cd "$here" || exit 1
# On a Wayland desktop the program runs through XWayland, where its clipboard
# clearing and mouse-selection care are proven; an owner's own choice stands.
: "${QT_QPA_PLATFORM:=xcb}"
export QT_QPA_PLATFORM
exec ./Vantry "$@"
