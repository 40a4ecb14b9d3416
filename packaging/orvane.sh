#!/bin/sh
# Orvane's launcher, installed as /usr/bin/orvane. The program keeps its
# settings, log, records and self-updates in its own folder, which the
# package's folder is not for a user; so every user gets a program folder of
# their own, laid out from the installed one, and the program runs from it.
#
# - First start: every installed file is copied into
#   ${XDG_DATA_HOME:-~/.local/share}/orvane.
# - When the installed program is newer than the user's (the package was
#   upgraded), the program files are copied again; when the user's is as new
#   or newer (a self-update), nothing is overwritten. Files missing from the
#   user's folder are always put back.
# - The user's orv.db is copied once and never again; zelReader.ini, Log/
#   and whatever the program or the updater left there are never touched.
set -eu

# Its messages reach a user who started it from a terminal: in Chinese, as
# the program's own.
die() {
  echo "orvane: $*" >&2
  exit 1
}

# The installed program folder, beside the launcher's own folder (so that a
# test may lay out a prefix of its own).
self=$(readlink -f "$0")
installed=$(cd "$(dirname "$self")/../lib/orvane" 2>/dev/null && pwd -P) ||
  die "找不到安装的程序文件夹（应在 $self 旁边）"

# A relative XDG_DATA_HOME is invalid and ignored, as the XDG base-directory
# rules have it.
case ${XDG_DATA_HOME:-} in
  /*) data=$XDG_DATA_HOME ;;
  *)
    [ -n "${HOME:-}" ] || die "没有设置 XDG_DATA_HOME 或 HOME，找不到存放记录的文件夹"
    data=$HOME/.local/share
    ;;
esac
folder=$data/orvane

# The version a program folder's program reports, or nothing when it has
# none that runs.
version_of() {
  v=$("$1/orvane" --version 2>/dev/null) || return 0
  if printf '%s\n' "$v" | grep -Eqx '[0-9]{1,9}\.[0-9]{1,9}\.[0-9]{1,9}'; then
    printf '%s\n' "$v"
  fi
}

# True when version $1 is newer than $2, part by part as numbers (1.10.0 is
# newer than 1.9.9), as the update check compares them.
newer() {
  a=$1.
  b=$2.
  while [ -n "$a" ]; do
    x=${a%%.*} y=${b%%.*}
    [ "$x" -gt "$y" ] && return 0
    [ "$x" -lt "$y" ] && return 1
    a=${a#*.} b=${b#*.}
  done
  return 1
}

# Copies $1 to $2 through a temporary name, so that a running program, or a
# copy cut short, never sees half a file.
put() {
  mkdir -p "$(dirname "$2")" || die "无法建立 $2 所在的文件夹"
  if ! { cp "$1" "$2.new" && mv -f "$2.new" "$2"; }; then
    rm -f "$2.new"
    die "无法把 $1 复制到 $2"
  fi
}

(umask 077 && mkdir -p "$folder") || die "无法建立程序文件夹 $folder"
[ -d "$folder" ] || die "$folder 不是文件夹"

# Two starts at once lay the folder out one after the other.
exec 9<"$folder"
flock 9 || die "无法锁定程序文件夹 $folder"

new=$(version_of "$installed")
[ -n "$new" ] || die "$installed/orvane 无法运行"
old=$(version_of "$folder")
refresh=false
if [ -z "$old" ] || newer "$new" "$old"; then
  refresh=true
fi

# The program file last: a refresh cut short leaves the old version in
# place, and the next start tries again.
files=$(cd "$installed" && find . -type f ! -path ./orvane | sed 's|^\./||' && echo orvane)
while IFS= read -r name; do
  target=$folder/$name
  case $name in
    zelReader.ini | Log | Log/*) continue ;;
    orv.db) [ -e "$target" ] && continue ;;
  esac
  if $refresh || [ ! -e "$target" ]; then
    put "$installed/$name" "$target"
  fi
done <<EOF
$files
EOF

exec 9<&-
exec "$folder/orvane" "$@"
