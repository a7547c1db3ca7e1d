#!/bin/sh
# Records FOLDER as the game's "WorkPath" in the file that stands in for the registry
# ($KARDOL_REGISTRY, else $XDG_CONFIG_HOME/kardol/registry.ini), keeping every other value.
# Usage: record-work-path.sh FOLDER
set -eu
folder=$(cd "$1" && pwd)
reg=${KARDOL_REGISTRY:-${XDG_CONFIG_HOME:-$HOME/.config}/kardol/registry.ini}
mkdir -p "$(dirname "$reg")"
[ -f "$reg" ] || : >"$reg"
section='[HKEY_CLASSES_ROOT\Software\VelmoraII]'
# '%' is the file's escape character.
value=$(printf '%s' "$folder" | sed 's/%/%25/g')
awk -v section="$section" -v line="WorkPath=sz:$value" '
    $0 == section { print; print line; inside = 1; found = 1; next }
    /^\[/ { inside = 0 }
    inside && tolower($0) ~ /^workpath=/ { next }
    { print }
    END { if (!found) { print section; print line; print "" } }
' "$reg" >"$reg.tmp"
mv "$reg.tmp" "$reg"
