#!/usr/bin/env bash
# Prints which folder's files include which other folder's headers: one line per pair,
# "app -> link 6" meaning six files in app/ include at least one header from link/.
# A file counts once per folder it reaches, however many of its headers it includes.
#
#   scripts/include-graph.sh            the program's folders (tests, bench and fuzz left out)
#   scripts/include-graph.sh --all      every top-level folder with sources
#   scripts/include-graph.sh --check    also fails when a folder includes one above it in the
#                                       layers (top first, one layer per group, tests and
#                                       the like not ranked):
#                                       app tools / help / views / export / archive / analysis /
#                                       link / data / ui
set -euo pipefail
cd "$(dirname "$0")/.."

all=0
check=0
for arg in "$@"; do
    case $arg in
    --all) all=1 ;;
    --check) check=1 ;;
    *)
        echo "usage: $0 [--all] [--check]" >&2
        exit 2
        ;;
    esac
done

folders=()
for d in */; do
    d=${d%/}
    case $d in build* | .* | cmake | docs | packaging | resources | scripts) continue ;; esac
    if [ $all -eq 0 ]; then
        case $d in tests | bench | fuzz) continue ;; esac
    fi
    folders+=("$d")
done

graph=$(
    for d in "${folders[@]}"; do
        find "$d" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 |
            xargs -0 -r grep -H -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' |
            sed -E 's|^([^/]+)/[^:]*:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"/]+)/.*|\1 \2 &|' |
            awk '{ file = $3; sub(/:.*/, "", file); if ($1 != $2) print $1, $2, file }'
    done | sort -u | awk '{ n[$1 " -> " $2]++ } END { for (k in n) print k, n[k] }' | sort
)
printf '%s\n' "$graph"

if [ $check -eq 1 ]; then
    bad=$(printf '%s\n' "$graph" | awk '
        BEGIN {
            n = split("app tools/help/views/export/archive/analysis/link/data/ui", layer, "/")
            for (i = 1; i <= n; i++) {
                m = split(layer[i], names, " ")
                for (j = 1; j <= m; j++) rank[names[j]] = i
            }
        }
        ($1 in rank) && ($3 in rank) && rank[$3] <= rank[$1]')
    if [ -n "$bad" ]; then
        echo "include-graph: layers broken:" >&2
        printf '%s\n' "$bad" >&2
        exit 1
    fi
fi
